// The marker table: user annotations (lines, arrows, texts, marks) placed in interstellar space
// and drawn with the sky while the marker display is on.
//
// Contract. One fixed table of kMaxMarkers records; markers are only appended or all removed
// together, never edited in place. markerAppend copies a record into the next free slot and
// returns 1, or returns 0 and changes nothing when the table is full. markerAt returns null for
// an index outside 0..markerCount()−1. Positions are light years in the catalogue's frame; the
// colour is a device pixel value (video::packRgb), handed to the drawing layer as is. The sky
// build reads the table when markersShown is 1; whoever changes the table or markersShown sets
// the camera's rebuildSky so the sky lists pick the change up. Main thread only.
#pragma once

#include <cstdint>

#include "navigation/vecmath.h"

namespace markers {

constexpr int kMaxMarkers = 128;
constexpr int kTextBytes = 132;  // text markers: NUL-terminated, at most 131 characters

enum MarkerKind : int32_t {
    kLine = 0,
    kArrow = 1,
    kText = 2,
    kMark = 3,
};

struct Marker {
    int32_t kind;        // MarkerKind
    int32_t style;       // marks only: 1 'f', 2 'c' (both draw the same cross)
    Vector3 point1;      // light years
    Vector3 point2;      // light years; lines and arrows only
    int32_t colour;      // device pixel value
    char text[kTextBytes];  // text markers only
};

// 0/1: whether the sky build turns markers into list entries. 0 at start.
extern int markersShown;

int markerCount();
const Marker* markerAt(int index);
int markerAppend(const Marker& marker);
void markerClear();

}  // namespace markers

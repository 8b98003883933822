// The marker table: a fixed array of markers and their count.
#include "extensions/markers.h"

#include "navigation/camera.h"

namespace markers {

int markersShown = 0;

namespace {
Marker table[kMaxMarkers];
int count = 0;
}  // namespace

int markerCount() { return count; }

const Marker* markerAt(int index) {
    if (index < 0 || index >= count) return nullptr;
    return &table[index];
}

int markerAppend(const Marker& marker) {
    if (count >= kMaxMarkers) return 0;
    table[count] = marker;
    // A text that arrives without its terminator must not run past the record when drawn.
    table[count].text[kTextBytes - 1] = '\0';
    ++count;
    // What the sky shows changed: the lists pick the new marker up at the next rebuild.
    camera::requestRebuild();
    return 1;
}

void markerClear() {
    count = 0;
    camera::requestRebuild();
}

}  // namespace markers

// The marker table: user annotations (lines, arrows, texts, marks) placed in interstellar space
// and drawn with the sky while the marker display is on.
//
// Contract. One fixed table of kMaxMarkers records; markers are only appended or all removed
// together, never edited in place. markerAppend copies a record into the next free slot and
// returns 1, or returns 0 and changes nothing when the table is full. markerAt returns null for
// an index outside 0..markerCount()−1. Positions are light years in the catalogue's frame; the
// colour is a device pixel value (draw::packColour), handed to the drawing layer as is.
//
// The markers are a layer of the scene (markersLayer, added by markerStart): the sky build turns
// the table into line and text entries while markersShown is 1. Appending, clearing and
// showMarkers ask for the rebuild that picks a change up. The console's "marker" words are
// added to the console by markerStart too. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/vecmath.h"

namespace render {
struct SceneLayer;
}

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

// 0/1: whether the sky build turns markers into list entries. 0 at start. Read it; change it
// with showMarkers.
extern int markersShown;
// Shows (1) or hides (0) the markers; settings changed with a rebuild.
void showMarkers(int shown);

int markerCount();
const Marker* markerAt(int index);
int markerAppend(const Marker& marker);
void markerClear();

// ---- Definitions and marker files ---------------------------------------------------------------
//
// A definition is one line of text: a kind word (its first letter l line, a arrow, t text,
// m mark), "{", then the kind's fields separated by ";": positions p(x,y,z) in light years,
// o(hex identifier) or n(name); a colour r…(RRGGBB) in hexadecimal; a text between double quotes;
// a mark's style letter f or c. Lines that are empty, start with "//" or with a control
// character, or start with another letter are not definitions. A definition that fails at any
// field adds nothing; so does every definition once the table is full. Positions must be finite;
// a text longer than kTextBytes − 1 characters is cut there. Nothing is reported.
//
// Marker files are "<program folder>/marker/<name>", read in binary mode, one definition per
// line of at most kLineChars characters (the rest of a longer line is read as the next line; a
// carriage return before the line feed does no harm).

constexpr int kLineChars = 259;
constexpr size_t kListBytes = 256;         // markerList's buffer
constexpr size_t kMaxFileBytes = 1 << 24;  // a larger file is not a marker file: not read

// Start-up: empties the table, switches the display off, adds the markers' layer to the scene
// and their words to the console. Returns 1. markerStop undoes all of it.
int markerStart();
void markerStop();
// The scene layer that draws the markers.
const render::SceneLayer* markersLayer();
// Parses one definition into `out`: 1 when it is a complete marker, else 0 (`out` then holds
// nothing useful). Colours are packed for the video layer's current pixel format.
int markerParse(const char* definition, Marker& out);
// Adds one marker from one definition: 1 added, 0 not a valid definition or the table is full.
int markerAdd(const char* definition);
// Adds every valid definition of the lines of a file's text (`size` bytes) until its end or a
// full table; returns the number of markers added.
int markerAddLines(const char* text, size_t size);
// Loads "<program folder>/marker/<name>" on top of the markers there are: the number of markers
// added, or −1 when the file cannot be opened.
int markerLoad(const char* name);
// The names of the marker files ("*.map" in the marker folder, sorted), each followed by one
// blank, into `out` (always terminated; empty when there is none). A name that does not fit
// whole ends the list. Returns the number of names written.
int markerList(char* out, size_t capacity);
// The names of the marker files, sorted, every one of them.
std::vector<std::string> markerFiles();

// ---- The Markers panel ------------------------------------------------------------------------
//
// The window "ZMARKER" of the in-scene windows: a check that shows and hides the markers, the
// list of the marker files (a dot marks those loaded), Load for the chosen file and Clear for
// all markers. markersPanelStart() registers its class and makes the window, closed, at the
// panels' start-up step (the toolbar's menu and the K key show it); it returns 1, or 0 when the
// window could not be made. markersPanelStop() forgets it; the window manager's stop destroys it.
int markersPanelStart();
void markersPanelStop();

}  // namespace markers

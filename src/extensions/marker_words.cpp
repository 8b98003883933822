// The console's "marker" words: show and hide, list the marker files, load one, clear the table
// and add one definition.
#include <cstring>

#include "console/commands.h"
#include "console/console.h"
#include "extensions/markers.h"
#include "extensions/markers_internal.h"
#include "navigation/camera.h"

namespace markers {

namespace {

using console::Argument;
using console::Kind;

template <int Shown>
void show(const Argument&) {
    showMarkers(Shown);
}

void listing(const Argument&) {
    char list[kListBytes];
    markerList(list, sizeof list);
    // The list can be longer than one formatted print holds; it is written whole.
    console::consolePrint("\nMarkers:\n");
    console::consoleWrite(list, std::strlen(list));
    console::consolePrint("\n");
}

// Loading, clearing and drawing ask for a rebuild whatever they changed, as the words promise.
void loadFile(const Argument& a) {
    markerLoad(a.name);
    camera::requestRebuild();
}

void clearAll(const Argument&) {
    markerClear();
    camera::requestRebuild();
}

void drawOne(const Argument& a) {
    markerAdd(a.text);
    camera::requestRebuild();
}

const console::SubWord kMarker[] = {
    {"on", Kind::kNone, show<1>},       {"off", Kind::kNone, show<0>},
    {"list", Kind::kNone, listing},     {"load", Kind::kFileName, loadFile},
    {"clear", Kind::kNone, clearAll},   {"draw", Kind::kDefinition, drawOne},
};

constexpr console::CommandWord kWord = console::withSubs("marker", kMarker);

}  // namespace

void addMarkerWords() { console::addCommandWord(&kWord); }
void removeMarkerWords() { console::removeCommandWord(&kWord); }

}  // namespace markers

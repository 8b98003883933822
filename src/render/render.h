// The sky renderer: builds the render lists (stars, labels, markers) from the active camera when
// the camera asks for a rebuild, and draws them every frame from the farthest item to the
// nearest, picking on the way the object under the mouse pointer for hovering and locking.
//
// Contract.
// - renderInstall() puts prepare, build and draw into the camera's scene hooks (scene_hooks.h);
//   the start-up sequence calls it before the camera step, which then runs the preparation
//   (sprites and the line font from the packs). It returns 1.
// - The lists are fixed arrays for the whole run; a build starts from empty lists and never
//   allocates; a full list stops the collection of its kind. Between builds the records stay
//   valid and only their projection changes with the camera's orientation.
// - The draw works on the active camera and video::state.drawing. A click locks the picked
//   object through camera::lockObject (event 519); otherwise the picked object becomes the
//   camera's hover and event 518 is broadcast. A pending click is taken by the first frame that
//   sees it with the pointer over neither an in-scene window nor the toolbar, whether or not it
//   locks something, so that a click on empty sky does not lock a star the pointer reaches later.
// - Main thread only.
#pragma once

#include <cstdint>

#include "navigation/camera.h"
#include "video/draw.h"

namespace render {

// Installs the sky hooks. Returns 1.
int renderInstall();

// The hook bodies, callable directly.
void prepareSky();   // loads the sprites and the line font; empties the lists
void buildSky();     // rebuilds the lists from the active camera
void drawSky();      // draws the lists on video::state.drawing

// The star collection keeps an index of the catalogue's star tree, made by prepareSky and made
// again when a catalogue at another address or of another size is attached. Whoever replaces
// the attached catalogue's contents in place (tests, tools) calls this before the next build.
void catalogueChanged();

// Rebuild from any camera record (benchmarks and tests use records that are not active).
void buildSkyFrom(const CameraRecord& camera);
// Draws the lists for the active camera on `surface`, projecting about (cx, cy).
void drawSkyOn(draw::Surface& surface, int cx, int cy);

// Counts of the lists, for the console's render status.
struct ListCounts {
    int sky, stars, deepSky, texts, lines, spots, nebulaPoints;
};
ListCounts listCounts();

// The object identifier of SkyList item `index`: −1 outside the list, −2 for an item that is not
// a star or deep-sky object.
int32_t skyListObject(int index);

// Where picking reads the pointer. `position` gives the latest pointer position input recorded
// (default: the platform's cursor position); `takeClick` returns 1 and clears the pending left
// click if there is one (default: none, so nothing is ever locked by clicking). Input installs
// both at its start; null restores a default.
using PointerPosition = void (*)(int& x, int& y);
using ClickTaker = int (*)();
void setPickInput(PointerPosition position, ClickTaker takeClick);

}  // namespace render

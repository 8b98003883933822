// The scene: a fixed table of layers that the renderer composes into each frame, and the calls a
// layer uses to put its things into the sky.
//
// Contract. A layer is a record its owner keeps alive while it is in the table: a name, an order,
// the view modes it takes part in, and a build and a draw operation (either may be null). The
// owner adds it at its start and removes it at its stop; the table holds kMaxLayers and refuses
// more (nothing changes). Every frame the renderer's scene step (sceneFrame) does, for the
// active camera's mode:
//   - when a rebuild is pending (camera::rebuildSky): the lists are emptied and every layer of
//     the mode builds in ascending order; in the sky modes (interstellar and star system) the
//     SkyList is then sorted by distance (local space sorts its own draw list every frame). In
//     the star system mode the pending system reload goes to the builds with it.
//   - then the draw: in the sky modes the SkyList from the farthest item to the nearest, with the
//     picking of the object under the pointer (hover, or lock on a click), then the draw of every
//     layer of the mode in ascending order (the star-system bodies in front of the sky; in local
//     space the chart, which draws the lists itself).
// A mode outside 0..2 draws nothing and leaves the rebuild pending. Builds and draws run on the
// main thread and must not allocate; adding to a full list stops adding things of that kind.
//
// Points given to addSkyLine and addSkyText are relative to the camera and on the sky sphere
// (direction × vmath::kSkyRadius km, a line's ends scaled by the distance of its midpoint); the
// distance is the sort key in light years.
#pragma once

#include <cstdint>

#include "base/vecmath.h"
#include "navigation/camera.h"
#include "video/draw.h"

namespace render {

// View-mode bits of a layer.
constexpr uint32_t kInInterstellar = 1u << camera::kModeInterstellar;
constexpr uint32_t kInLocalSpace = 1u << camera::kModeLocalSpace;
constexpr uint32_t kInSystem = 1u << camera::kModeSystem;
constexpr uint32_t kInSky = kInInterstellar | kInSystem;  // the modes that draw the SkyList

struct SceneBuild {
    const CameraRecord& camera;  // the camera the lists are built for
    int systemReload;            // 1: the entered star system must be built anew (star-system mode)
};

struct SceneDraw {
    draw::Surface& surface;      // inside a drawing batch
    const CameraRecord& camera;  // the active camera
    int cx, cy;                  // projection centre, pixels
};

struct SceneLayer {
    const char* name;                      // for the log and the tests
    int order;                             // build and draw order, lowest first (LayerOrder)
    uint32_t modes;                        // kIn* bits: the view modes it takes part in
    void (*build)(const SceneBuild& b);    // adds its things to the lists; null: none
    void (*draw)(const SceneDraw& d);      // draws after the SkyList; null: nothing
};

// The program's layers, in the order the sky is built: stars, deep-sky objects and nebulae, the
// labels of stars and of deep-sky objects, markers, galaxy spots; then what is drawn in front.
enum LayerOrder : int {
    kOrderStars = 100,
    kOrderDeepSky = 200,
    kOrderStarLabels = 300,
    kOrderDeepSkyLabels = 310,
    kOrderMarkers = 400,
    kOrderGalaxy = 500,
    kOrderLocalSpace = 600,
    kOrderSystem = 700,
    kOrderOverlay = 900,
};

constexpr int kMaxLayers = 32;

// 1 added; 0 when the table is full, the layer is null or already there. Layers of equal order
// keep the order they were added in.
int addLayer(const SceneLayer* layer);
// Takes the layer out of the table if it is there.
void removeLayer(const SceneLayer* layer);
int layerCount();
const SceneLayer* layerAt(int index);  // null outside 0..layerCount()−1

// A text's colour: an index into the small palette (labels), or kTextDeviceColour | a device
// pixel value (text markers).
constexpr uint32_t kTextDeviceColour = 0x80000000u;

// From a layer's build: a line in its own colour (a device pixel value), or a text of at most
// 75 characters. false (nothing added) when the list of that kind or the SkyList is full.
bool addSkyLine(const Vector3& p1, const Vector3& p2, uint32_t colour, double distance);
bool addSkyText(const Vector3& point, uint32_t colour, const char* text, double distance);

// The scene step of the main loop, on the active camera and the video layer's drawing surface.
void sceneFrame();
// The rebuild of the lists for any camera record, as sceneFrame does it (benchmarks and tests
// use records that are not active).
void buildScene(const CameraRecord& camera, int reload = 0);
// The draw of the active camera's scene on `surface`, projecting about (cx, cy).
void drawScene(draw::Surface& surface, int cx, int cy);

}  // namespace render

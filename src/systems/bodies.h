// Drawing the running star system: the sphere mesh and the 32 surface-map slots, the body list
// (one draw entry per star, triangle, dot, segment and pick marker, sorted far to near), its
// drawing with flat or perspective-textured triangles, the orbit paths, rings and jets, the
// pointer pick, the brackets, the labels and the local star's glare.
//
// Contract. loadBodyGraphics() reads "planet.shape" and the surface and colour maps from the
// packs once, at start-up, after the video layer (the shade tables are packed in the drawing
// surface's pixel format). A missing mesh leaves bodies without surfaces (dots, markers, labels
// and paths remain); a slot whose map cannot be read has no map, one whose colour map cannot be
// read has no shade table; neither is an error.
//
// drawSystem() is the star-system layer's draw: every frame in the star-system mode it rebuilds
// the body list from the running system (system.h) for the camera, sorts it by distance and
// draws it from the farthest entry to the nearest, without a depth buffer. Only faces turned to
// the camera and in front of it enter the list. Bodies are lit from the system's primary: the
// face of a body turned to its star is its day side. A left press within 5 pixels of a body's
// marker locks the body (camera::lockObject), a pointer resting there makes it the camera's
// hover (event 518). The list holds kMaxBodyList entries; what does not fit is not drawn.
// Nothing here allocates or formats text per frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/vecmath.h"
#include "navigation/camera.h"
#include "video/draw.h"

namespace systems {

inline constexpr int kMapSlots = 32;
inline constexpr int kShadeLevels = 128;
inline constexpr int kMapWidth = 512, kMapHeight = 256;
inline constexpr size_t kMapBytes = static_cast<size_t>(kMapWidth) * kMapHeight;
inline constexpr size_t kColourMapBytes = 256 * 4;  // blue, green, red, unused
inline constexpr size_t kTriangleBytes = 160;       // 20 little-endian float64
inline constexpr int kMaxMeshTriangles = 8192;
inline constexpr int kMaxBodyList = 32768;
inline constexpr int kTableSteps = 41;              // sine and cosine of k·π/20, k = 0..40

// One record of "planet.shape": a triangle of the unit sphere with its own texture plane.
struct MeshTriangle {
    Vector3 vertex[3];  // on the unit sphere
    Vector3 normal;     // unit face normal; normal × radius is taken as the face centre
    Vector3 axisU;      // direction in which the horizontal map coordinate grows
    Vector3 axisV;      // direction in which the vertical map coordinate grows
    double mapU0;       // horizontal map coordinate at the first vertex (map widths)
    double mapV0;       // vertical map coordinate at the first vertex (map heights)
};

// Reads a mesh from bytes: count = size / 160; a record with a value that is not finite is left
// out. Returns the triangles kept (at most kMaxMeshTriangles). Tests and the fuzz target use it
// directly; loadBodyGraphics() gives it "planet.shape".
int attachMesh(const uint8_t* data, size_t size);
int meshTriangleCount();
const MeshTriangle* meshTriangle(int index);

struct MapSlot {
    const uint8_t* map = nullptr;  // 256 rows of 512 colour-map indexes, north at the top; null: none
    bool shaded = false;           // the shade table was built
    uint32_t shade[kShadeLevels][256];  // level L of entry c, packed in the drawing surface's format
};
// Builds slot `slot` from a map and a colour map (either may be null or short: then it has none),
// with the slot's tint for slots 16 to 31. Returns 1 when the slot has both.
int attachSlot(int slot, const uint8_t* map, size_t mapSize, const uint8_t* colourMap, size_t colourMapSize,
               const draw::PixelFormat& format);
const MapSlot& mapSlot(int slot);
// The slot a body of `colour` uses: colour AND 0x1F below 0x1000000, else 0.
int slotOf(uint32_t colour);

// Start-up: the sine and cosine tables, the mesh and the 32 slots from the packs. Returns the
// number of slots that have a map and a shade table.
int loadBodyGraphics();

// ---- The body list -----------------------------------------------------------------------------

enum EntryKind : uint8_t {
    kEntryStar = 1,
    kEntrySegment = 5,   // a ring or jet segment in its own colour
    kEntryTriangle = 7,
    kEntryPath = 8,      // an orbit-path segment, green by distance
    kEntryMarker = 9,    // pick marker and label
    kEntryDot = 10,      // a body too small for its mesh
};

struct BodyListEntry {
    uint8_t kind;        // EntryKind
    uint8_t slot;        // triangles: map slot
    uint8_t level;       // triangles: shade level 0..127
    int32_t object;      // index in the running system's list
    int32_t triangle;    // triangles: mesh index
    double distance;     // km from the camera: the sort key
    Vector3 p[3];        // camera space, km: the point (stars, markers, dots), the two ends
                         // (segments), the three vertices (triangles)
    Vector3 axisU, axisV;  // triangles: camera-space texture axes, km
    double spin;         // triangles: the body's rotation, turns
    uint32_t colour;     // segments: pixel value
};

// Builds the body list for camera `c` (unsorted), as drawSystem does first.
void buildBodyList(const CameraRecord& c);
int bodyListCount();
const BodyListEntry* bodyListAt(int index);

// The star-system layer's draw: builds, sorts and draws the list on `s`, projecting about
// (cx, cy), then the brackets, the pointer pick and the glare.
void drawSystem(draw::Surface& s, const CameraRecord& c, int cx, int cy);

}  // namespace systems

// The collectors and item drawers behind the sky build and draw. Private to the render
// subsystem and its tests.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "navigation/camera.h"
#include "render/lists.h"
#include "video/draw.h"

namespace render {

// trunc toward zero of a size or level computed from catalogue values and console settings,
// saturating instead of overflowing (a NaN gives 0).
inline int truncToInt(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2.0e9, 2.0e9));
}
// Copies a name into a text entry's buffer, cut to fit and always terminated (no formatting on
// the rebuild's path).
inline void copyText(char* out, size_t capacity, const char* text) {
    size_t n = 0;
    for (; text[n] != 0 && n + 1 < capacity; ++n) out[n] = text[n];
    out[n] = 0;
}
// A ramp intensity kept within the ramp: a computed level past either end takes that end.
inline uint8_t rampLevel(double v) { return static_cast<uint8_t>(std::clamp(truncToInt(v), 0, 255)); }

// Indexes the attached catalogue's star tree for the collection (the brightest star under each
// node). Allocates; done by prepareSky and again only when another catalogue is attached.
void indexStarTree();
// Stars seen from camera.IPos: a walk of the catalogue's star tree with a magnitude cut per
// leaf run and an early exit within each run. Appends to the star list and the SkyList.
void collectStars(const CameraRecord& camera);
// A green label for each star item flagged kStarLabelled and a red one for each flagged
// kStarLocal, at the star's direction + 100 km in x and y, at the star's distance.
void collectStarLabels();

// Star fields derived from an apparent magnitude (the emission rules of the collection).
struct StarLook {
    uint16_t starFlags;
    uint8_t colourClass;
    uint8_t level;
};
StarLook starLook(double apparentMagnitude, int16_t colourBV, double distance,
                  double labelMagLimit, double vradius);

// Draws one star item at screen point (px, py): a pixel of the ramp, or a bright star's glow.
void drawStarItem(draw::Surface& s, const StarEntry& star, int px, int py);
// Text at (x, y) in a text entry's colour (palette index or device colour), scale 2.
void drawTextItem(draw::Surface& s, const TextEntry& text, int x, int y);

// The layers of the scene that the renderer adds at its start (besides stars and star labels).
extern const SceneLayer kDeepSkyLayer;        // deep-sky objects and 3D nebulae
extern const SceneLayer kDeepSkyLabelsLayer;  // their names
extern const SceneLayer kGalaxyLayer;         // the galaxy's spots
extern const SceneLayer kLocalSpaceLayer;     // the local-space chart (view mode 1)

// ---- Picking: the object nearest to the pointer, the lock marks, hover and lock -------------------

// What the draw of one frame found: the best candidate under the pointer (input::pointer) and
// where the lock and the view lock were drawn.
struct Pick {
    int mx = 0, my = 0;        // the pointer, pixels
    double best = 10000.0;     // squared pixels: farther than this is never a candidate
    int32_t candidate = -1;
    bool lockSeen = false, viewLockSeen = false;
    int lockX = 0, lockY = 0, viewLockX = 0, viewLockY = 0;
};
Pick beginPick();
// An object drawn at (x, y): the nearer to the pointer wins, a tie keeps the one drawn first.
void pickTest(Pick& pick, const CameraRecord& c, int32_t object, int x, int y);
// The lock highlight (red, shrinking while lockBlink runs), with `viewLockMark` the green
// view-lock square, then the pick result: within 5 pixels and off the windows and toolbar, a
// pending click locks the candidate, otherwise it becomes the hover (event 518).
void finishPick(draw::Surface& s, const Pick& pick, bool viewLockMark);

// ---- Deep sky, galaxy, nebulae -------------------------------------------------------------------

// Deep-sky objects seen from camera.IPos by the type filter and the magnitude rules, nebulae with
// a 3D model handed to the nebula collector when the deep-sky bitmaps are on (flag 0x008).
void collectDeepSky(const CameraRecord& camera);
// A blue label for every deep-sky item larger than 5 pixels, at its direction + 100 km in x and y.
void collectDeepSkyLabels();
// One deep-sky item at (x, y): its bitmap with `bitmaps`, else its symbol; half-size
// size × zoom × 0.5 pixels.
void drawDeepSkyItem(draw::Surface& s, const DeepSkyEntry& e, int x, int y, double zoom, bool bitmaps);

// The galaxy's spots seen from camera.IPos, from the two galaxy maps of the catalogue.
void collectGalaxy(const CameraRecord& camera);
// One spot at (x, y) of n pixels (size × zoom × 0.5): an outline, or with `textured` the sampled
// lattice of its spot image.
void drawGalaxySpot(draw::Surface& s, const SpotEntry& e, int x, int y, int n, bool textured);

// The points of a slot's model for a nebula at `offset` (its position − IPos, ly), on the sky
// sphere: in depth nearer than 600 ly, as one sheet of points beyond. The slot must be usable.
void collectNebulaSky(int slot, const Vector3& offset);
// The same in the local chart: always in depth, every second row and column, raw offsets in
// light years, only the points within √radius2 of the camera, size 1.
void collectNebulaLocal(int slot, const Vector3& offset, double radius2);
// One nebula point at (x, y): its pixel, then by its size taken as unsigned (e) a dotted disc of
// radius e / 2 when e > 15, a filled disc when e > 3.
void drawNebulaPoint(draw::Surface& s, const NebulaPoint& e, int x, int y);
// A filled disc of radius r plotted on a lattice 2 pixels apart (4 from r = 32) about its
// centre, so that the background shows between the dots; nothing when r exceeds the largest x
// or the centre lies off the surface.
void drawDottedDisc(draw::Surface& s, int x, int y, int64_t r, uint32_t colour);

// A run of nebula points that follow one another in the SkyList with nothing else between them,
// drawn nearest first: each pixel takes the colour of the nearest point of the run that reaches
// it, which is exactly what drawNebulaPoint point by point, farthest first, leaves. One run at a
// time. beginNebulaRun is false (and the points must be drawn one by one) when the surface is
// larger than the run's coverage mask; endNebulaRun clears what the run marked.
struct NebulaRun {
    draw::Surface* surface = nullptr;
    uint64_t* mask = nullptr;  // one bit a pixel (written by this run), in 16 grids by (x, y) mod 4
    int lineWords = 0;         // words of 64 dots across a grid
    int gridRows = 0;          // lines of a grid (words of one of its columns)
    int gridWords = 0;         // words of a grid, its guard columns included
    int top = INT32_MAX, bottom = -1;          // grid lines the run has marked
    int firstWord = INT32_MAX, lastWord = -1;  // grid columns the run has marked
};
bool beginNebulaRun(NebulaRun& run, draw::Surface& s);
// The next point of the run, nearer points first, at screen point (x, y).
void drawNebulaRunPoint(NebulaRun& run, const NebulaPoint& e, int x, int y);
// Another item of one pixel within the run, at (x, y): true, and the pixel is the caller's to
// write, when it is on the surface and no nearer item of the run has written it.
bool claimNebulaRunPixel(NebulaRun& run, int x, int y);
void endNebulaRun(NebulaRun& run);

// ---- Local space ----------------------------------------------------------------------------------

// Disc radius of a star in the local chart, pixels: by its radius in solar radii (0 = unknown,
// then from its luminosity and temperature) or by its absolute magnitude.
int localDiscByDiameter(double knownRadius, double absMag, double colourBV);
int localDiscByMagnitude(double absMag);
// The legend's scale text for the chart's radius and the drawing area's largest x: "%d:1" or
// "1:%d"; `out` holds at least 16 characters.
void localScaleText(double vradius, int largestX, char* out, int capacity);
// Builds the unit-sphere wireframe (start-up) and loads the legend's font; the segment count.
int prepareLocalSpace();
int wireframeSegments();

// The SkyList from the farthest item to the nearest for the active camera, with the picking, the
// lock highlight and the view-lock mark; inside the caller's drawing batch.
void drawSkyList(draw::Surface& s, int cx, int cy);

}  // namespace render

// The collectors and item drawers behind the sky build and draw. Private to the render
// subsystem and its tests.
#pragma once

#include "navigation/camera.h"
#include "render/lists.h"
#include "video/draw.h"

namespace render {

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

// The SkyList from the farthest item to the nearest for the active camera, with the picking, the
// lock highlight and the view-lock mark; inside the caller's drawing batch.
void drawSkyList(draw::Surface& s, int cx, int cy);

}  // namespace render

// Sky sprites: the nine raw 8-bit intensity images (glows, star disc, galaxy spots, deep-sky
// bitmaps) and the drawers that put them on screen by point sampling through the star colour
// ramp, leaving low intensities transparent.
//
// Contract. loadSprites() reads every image whole from the packs once (the camera step of the
// start-up); an image that is missing or shorter than side × side bytes stays absent, and a drawer
// asked to draw an absent image, or a target smaller than 1 pixel, draws nothing. Images are used
// in place and never resampled. Drawers clip to the surface and do the work of the visible pixels
// only; they allocate nothing. Colours are rows of video::colours.star (class 0–128, intensity =
// sample value).
#pragma once

#include <cstddef>
#include <cstdint>

#include "video/draw.h"

namespace render {

enum SpriteId : int {
    kGlowBig,        // "starGlowB.raw", 128: glows of size 5 and more; small system stars
    kGlowSmall,      // "starGlowS.raw", 72: glows of size 1 to 4
    kStarDisc,       // "starDisc.raw", 128: star discs of the star-system view
    kSpot0,          // "spot00.raw", 128: galaxy spots, sub-types 0, 1, 2
    kSpot1,          // "spot01.raw"
    kSpot2,          // "spot02.raw"
    kOpenClusterBitmap,  // "ocbitmap.raw", 256
    kGlobularBitmap,     // "gcbitmap.raw", 256
    kNebulaBitmap,       // "nebitmap.raw", 256
    kSpriteCount
};

struct Sprite {
    const uint8_t* samples = nullptr;  // side × side, row-major; null when absent
    int side = 0;                      // samples per row and column
};

// The file name and side of each sprite.
const char* spriteFileName(SpriteId id);
int spriteSide(SpriteId id);

// Loads the nine images from the packs; returns how many were found whole.
int loadSprites();
// Installs an image from memory (tests, tools); the bytes must outlive their use. A block
// shorter than side × side leaves the sprite absent. Returns 1 when installed.
int attachSprite(SpriteId id, const uint8_t* data, size_t size);
const Sprite& sprite(SpriteId id);

// Thresholds of the drawers: a sample is plotted only when it exceeds them.
constexpr int kGlowThreshold = 4;
constexpr int kImageThreshold = 16;

// The sampled square: n × n pixels with the top-left corner (x0, y0); pixel (i, j) takes the
// sample at row trunc(j·k), column trunc(i·k), k = side / n, plotted in
// video::colours.star[colourClass][v] when v > threshold.
void drawSampledSquare(draw::Surface& s, const Sprite& image, int x0, int y0, int n,
                       int colourClass, int threshold);

// A bright star's glow of size r at (px, py): 4r × 4r pixels from (px − 2r, py − 2r), the small
// glow for r < 5, the big one otherwise, threshold 4.
void drawStarGlow(draw::Surface& s, int px, int py, int r, int colourClass);
// The 128-image drawer ("starDisc.raw" or "starGlowB.raw") and the 256-image drawer (deep-sky
// bitmaps): n = size pixels centred on (x, y) with the corner at (x − n/2, y − n/2), threshold 16.
void drawImage128(draw::Surface& s, SpriteId id, int x, int y, int size, int colourClass);
void drawImage256(draw::Surface& s, SpriteId id, int x, int y, int size, int colourClass);

}  // namespace render

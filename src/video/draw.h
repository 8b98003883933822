// The drawing layer: memory surfaces with a pixel format, the primitive drawing operations every
// renderer uses, bitmaps (BMP loading, stretching, copying, keyed drawing) and a 24-bit BMP writer.
//
// Contract:
// - Every surface is 32 bits per pixel (one uint32_t per pixel, XRGB8888 unless a test asks for
//   another channel layout); rows are `pitch` pixels apart.
// - Every primitive clips to the whole surface and accepts any int coordinates, including ones far
//   off the surface (±1e9, INT_MIN, INT_MAX): no overflow, no undefined behaviour, and the work is
//   bounded by the visible pixels, never by the shape's full size. A clipped shape sets exactly the
//   pixels the unclipped shape would have set inside the surface.
// - Rectangles are given as left, top, right, bottom with right and bottom excluded, so a fill
//   from (0, 0) to (w, h) covers w × h pixels. Empty or inverted rectangles draw nothing.
// - Ellipses are given by centre and radii; a negative radius draws nothing. The filled ellipse is
//   the set of pixels (dx, dy) with (dx / (rx + ½))² + (dy / (ry + ½))² ≤ 1; its outline is the
//   pixels of that set with a 4-neighbour outside it. Both are symmetric about the centre.
// - Lines are Bresenham lines including both end points.
// - Nothing here allocates except creating surfaces and bitmaps; nothing throws (allocation
//   failures are results). Operations that can fail return null/false and set the last error
//   (code and short text), which the video layer writes in its error report line.
// - Bitmaps load from the pack files' streams (vfs::openStream and friends) or from bytes; only
//   uncompressed BMPs of 8 bits (paletted), 24 and 32 bits per pixel, bottom-up or top-down, are
//   accepted. Everything else, and every truncated or inconsistent file, is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace draw {

// ---- Errors -----------------------------------------------------------------------------------

enum ErrorCode : int {
    kOk = 0,
    kErrNoMemory = -1,       // a surface or bitmap could not be allocated
    kErrBadSize = -2,        // a surface or bitmap size outside 1..kMaxSide
    kErrFileNotFound = -3,   // no pack holds the bitmap's name
    kErrFileRead = -4,       // the stream could not be read whole
    kErrBadBitmap = -5,      // not a BMP, truncated or inconsistent
    kErrUnsupported = -6,    // a BMP kind this layer does not read (compression, depth, ...)
    kErrNoMode = -7,         // no usable display mode
    kErrDisplay = -8,        // the display could not be opened
    kErrEmptyRect = -9,      // a bitmap from an empty or off-surface rectangle
};

int lastErrorCode();
// Short static text; never null ("no error" after clearError).
const char* lastErrorText();
// `text` must be a string literal or otherwise outlive every later read.
void setError(int code, const char* text);
void clearError();

// ---- Pixel format -----------------------------------------------------------------------------

struct PixelFormat {
    uint32_t redMask, greenMask, blueMask;  // bits of each channel within a pixel value
    int redPos, greenPos, bluePos;          // bit position of each channel's lowest bit
    int redAdjust, greenAdjust, blueAdjust; // 8 − the channel's width in bits
    int bitsPerPixel;                       // of the display this format describes
};

inline constexpr PixelFormat kXrgb8888{0x00FF0000u, 0x0000FF00u, 0x000000FFu, 16, 8, 0, 0, 0, 0, 32};

inline bool operator==(const PixelFormat& a, const PixelFormat& b) {
    return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask &&
           a.redPos == b.redPos && a.greenPos == b.greenPos && a.bluePos == b.bluePos &&
           a.redAdjust == b.redAdjust && a.greenAdjust == b.greenAdjust &&
           a.blueAdjust == b.blueAdjust && a.bitsPerPixel == b.bitsPerPixel;
}

// Packs 8-bit channels (only the low 8 bits of each argument count) into a pixel value.
inline uint32_t packColour(const PixelFormat& f, int r, int g, int b) {
    return ((((uint32_t)r & 0xFFu) >> f.redAdjust) << f.redPos) |
           ((((uint32_t)g & 0xFFu) >> f.greenAdjust) << f.greenPos) |
           ((((uint32_t)b & 0xFFu) >> f.blueAdjust) << f.bluePos);
}

// Splits a pixel value into 8-bit channels; narrow channels come back with their low bits zero.
inline void unpackColour(const PixelFormat& f, uint32_t pixel, int& r, int& g, int& b) {
    r = (int)(((pixel & f.redMask) >> f.redPos) << f.redAdjust);
    g = (int)(((pixel & f.greenMask) >> f.greenPos) << f.greenAdjust);
    b = (int)(((pixel & f.blueMask) >> f.bluePos) << f.blueAdjust);
}

// ---- Surfaces ---------------------------------------------------------------------------------

constexpr int kMaxSide = 16384;  // largest surface or bitmap width and height, pixels

struct Surface {
    uint32_t* pixels = nullptr;  // row 0 (the top) first
    int width = 0;               // pixels
    int height = 0;              // pixels
    int pitch = 0;               // pixels from the start of one row to the next
    PixelFormat format = kXrgb8888;
    uint32_t colour = 0;         // current drawing colour, a pixel value
    int batchDepth = 0;          // open beginDraw brackets
    std::unique_ptr<uint32_t[]> storage;  // owns `pixels` for memory surfaces

    int maxX() const { return width - 1; }
    int maxY() const { return height - 1; }
};

// A memory surface of width × height pixels, cleared to 0. False (and the last error) on a size
// outside 1..kMaxSide or when memory runs out; the surface is then left empty.
bool createSurface(Surface& s, int width, int height, const PixelFormat& format = kXrgb8888);
void destroySurface(Surface& s);

// Bracket a sequence of drawing calls. In memory there is nothing to lock, so these only keep
// count; callers keep them where a locked display surface would need them.
inline void beginDraw(Surface& s) { ++s.batchDepth; }
inline void endDraw(Surface& s) { --s.batchDepth; }
// Direct access to the pixels (for code that writes pixels itself); the pointer stays valid until
// the surface is destroyed.
inline uint32_t* beginDirectAccess(Surface& s) { return s.pixels; }
inline void endDirectAccess(Surface&) {}

inline void setColour(Surface& s, uint32_t colour) { s.colour = colour; }

// ---- Runs of pixels ---------------------------------------------------------------------------

// The drawers' wide paths (AVX2: 256-bit integer vectors and gathers) are taken where the
// processor has them, and the pictures are the same either way. setWidePaths(false) sends every
// drawer the plain way, (true) the wide way again where there is one; it returns whether the
// processor has it. Tests draw both ways.
bool setWidePaths(bool on);
namespace detail {
extern bool widePaths;
}
inline bool widePaths() { return detail::widePaths; }

// Four pixels, written to a row with one store. A row's pixels are far more than the cache holds,
// and a store a pixel leaves the store unit, not the memory, the limit of a long fill.
using PixelQuad = uint32_t __attribute__((vector_size(16)));

inline void storeQuad(uint32_t* at, PixelQuad q) { std::memcpy(at, &q, sizeof q); }

// Sets the n pixels from `at` on to `colour`.
inline void fillPixels(uint32_t* at, size_t n, uint32_t colour) {
    const PixelQuad q = {colour, colour, colour, colour};
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        storeQuad(at + i, q);
        storeQuad(at + i + 4, q);
    }
    for (; i + 4 <= n; i += 4) storeQuad(at + i, q);
    for (; i < n; ++i) at[i] = colour;
}

// ---- Primitives (all clipped to the surface) --------------------------------------------------

void clear(Surface& s, uint32_t colour);
void pixel(Surface& s, int x, int y);                   // in the current colour
void putPixel(Surface& s, int x, int y, uint32_t value);
uint32_t getPixel(const Surface& s, int x, int y);      // 0 outside the surface
void line(Surface& s, int x1, int y1, int x2, int y2);
void rect(Surface& s, int left, int top, int right, int bottom);      // outline
void fillRect(Surface& s, int left, int top, int right, int bottom);
void ellipse(Surface& s, int cx, int cy, int rx, int ry);             // outline
void fillEllipse(Surface& s, int cx, int cy, int rx, int ry);

// ---- Bitmaps ----------------------------------------------------------------------------------

struct Bitmap {
    int width = 0;   // pixels
    int height = 0;  // pixels
    PixelFormat format = kXrgb8888;
    std::unique_ptr<uint32_t[]> pixels;  // width × height, top row first, no row padding
};
using BitmapPtr = std::unique_ptr<Bitmap>;

// An empty bitmap of the size and format with its pixels allocated (and zero), or null.
BitmapPtr createBitmap(int width, int height, const PixelFormat& format = kXrgb8888);

// Reads a BMP file held in memory into an XRGB8888 bitmap; null and the last error if the bytes
// are not a BMP this layer reads.
BitmapPtr parseBmp(const uint8_t* data, size_t size);
// Loads a BMP by its bare name through the pack files' streams.
BitmapPtr loadBitmap(const char* name);

// Scales the whole bitmap (nearest pixel) into [left, right) × [top, bottom), converting its
// pixel format to the surface's.
void stretchBitmap(Surface& s, const Bitmap& b, int left, int top, int right, int bottom);
// A copy of the surface's [left, right) × [top, bottom), clipped to the surface; null if that
// leaves nothing.
BitmapPtr bitmapFromSurface(const Surface& s, int left, int top, int right, int bottom);
// Draws the bitmap with its top-left corner at (x, y).
void drawBitmap(Surface& s, const Bitmap& b, int x, int y);
// The same, leaving out the bitmap's pixels equal to `key` (a pixel value in the bitmap's format).
void drawBitmapKeyed(Surface& s, const Bitmap& b, int x, int y, uint32_t key);

// Where a writer puts its bytes: returns false when they could not all be taken.
using ByteSink = bool (*)(void* context, const void* data, size_t size);

// Writes the top-left width × height pixels of the surface as a 24-bit bottom-up BMP, each row
// padded to a multiple of 4 bytes, one row at a time into the sink. False if the size is not
// within the surface or the sink refuses a write.
bool writeBmp24(ByteSink sink, void* context, const Surface& s, int width, int height);

}  // namespace draw

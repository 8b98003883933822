// The bitmap tool's generators and the painting helpers they share.
//
// Each generator draws one bitmap into a surface that the tool creates at the generator's size
// and writes as a 24-bit BMP. Generators are grouped one source file per group of bitmaps
// (pointers.cpp, intro.cpp, ...); each group exposes its table, and main.cpp lists the groups.
// Pixels meant to be left out when the program draws a bitmap are magenta (255, 0, 255).
#pragma once

#include <cstdint>

#include "video/draw.h"

namespace bmptool {

struct Generator {
    const char* file;    // name in the pack, e.g. "pointer.bmp"
    int width, height;   // pixels
    void (*draw)(draw::Surface& s);
    const char* what;    // one line for the tool's listing
};

struct Group {
    const Generator* generators;
    int count;
};

Group pointerBitmaps();
Group introBitmaps();
Group interfaceBitmaps();  // interface.cpp: window, toolbar and panel controls
Group iconBitmaps();       // icon.cpp: the program's icon on the dialogs' grey

// Writes the program's icon as transparent PNG files of the desktop's icon theme:
// <folder>/<n>x<n>/apps/<name>.png for every size the theme has folders for. False (said on
// standard error) when one cannot be written.
bool writeIconTheme(const char* folder, const char* name);

// ---- Painting helpers ---------------------------------------------------------------------------

struct Rgb {
    double r, g, b;  // 0..255
};

inline constexpr uint32_t kKey = 0xFF00FF;  // the transparent colour, XRGB8888

inline uint32_t pack(Rgb c) {
    auto ch = [](double v) { return v < 0 ? 0 : v > 255 ? 255 : (int)(v + 0.5); };
    return draw::packColour(draw::kXrgb8888, ch(c.r), ch(c.g), ch(c.b));
}
Rgb unpack(uint32_t pixel);
// c over the pixel with coverage a (0..1).
void blend(draw::Surface& s, int x, int y, Rgb c, double a);

// Fills the 4-connected region of pixels equal to the seed's value with `colour`.
void floodFill(draw::Surface& s, int x, int y, uint32_t colour);
// A closed outline through the points with the drawing layer's lines.
void polygonOutline(draw::Surface& s, const int (*points)[2], int count);

// Anti-aliased strokes: a set of round-capped segments of one width, painted with a colour that
// may vary with the pixel's position (for gradients). Coverage is sampled 4 × 4 per pixel.
struct Segment {
    double x0, y0, x1, y1;
};
using Shader = Rgb (*)(double x, double y);
void strokeSegments(draw::Surface& s, const Segment* segments, int count, double width,
                    Shader shader);

// Writes the surface as <folder>/<file>; false with a message on standard error on failure.
bool writeBitmap(const char* folder, const char* file, const draw::Surface& s);

}  // namespace bmptool

// The line font ("default.lft"): glyphs made of straight strokes, with which every sky label,
// marker text and object line is written at any scale.
//
// File layout (little-endian): a directory of 256 glyph entries of 8 bytes (first stroke as an
// int32 counted in strokes from the start of the stroke table, stroke count as an int32), then
// from byte 2048 the stroke table, 32 bytes a stroke: x0, y0, x1, y1 as float64 in glyph units.
//
// Contract. The font is used in place. A glyph whose strokes do not all lie within the file, or
// whose first stroke or count is negative, draws nothing and advances like a space; no value
// read from the file can make drawing read outside it. Without a font every glyph advances like
// a space. drawText allocates nothing and clips to the surface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "video/draw.h"

namespace render {

constexpr int kLineFontGlyphs = 256;
constexpr size_t kLineFontStrokeTable = 2048;  // byte offset of the stroke table

// Loads "default.lft" from the packs; 1 when found, 0 when missing (texts then draw nothing).
int loadLineFont();
// Installs a font from memory (tests, fuzzing); the bytes must outlive their use. A block
// shorter than the glyph directory detaches the font and returns 0.
int attachLineFont(const uint8_t* data, size_t size);

// Writes `text` with its top-left pen at (x, y) at scale s in the device colour `colour`:
// lines of trunc(6s) pixels, spaces of trunc(5s); "\n" starts a new line at x; "&c" draws glyph
// c + 128; a lower-case letter is its capital at 0.7s moved down by trunc(0.7s × 2.5) (small
// capitals); any other character is its own glyph at s. Characters 128–255 outside an "&"
// escape, and escapes past glyph 255, advance like a space. Returns the pen's final x.
int drawText(draw::Surface& s, int x, int y, double scale, uint32_t colour, const char* text);

}  // namespace render

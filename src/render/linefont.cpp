// The line font: glyph directory and stroke table read in place, and the text writer.
#include "render/linefont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vfs/vfs.h"

namespace render {

namespace {

const uint8_t* fontData = nullptr;
size_t fontSize = 0;

constexpr size_t kStrokeBytes = 32;

// Coordinates read from the file may be anything a double holds; pixel positions stay within
// a range where sums of a few of them cannot overflow.
constexpr double kCoordinateLimit = 1e8;

int64_t truncClamped(double v) {
    if (!(v == v)) return 0;  // NaN
    v = std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
    return static_cast<int64_t>(v);
}

int clampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, -2000000000LL, 2000000000LL));
}

struct Glyph {
    const uint8_t* strokes = nullptr;  // null: nothing to draw
    int64_t count = 0;
};

Glyph glyphAt(int index) {
    Glyph g;
    if (fontData == nullptr || index < 0 || index >= kLineFontGlyphs) return g;
    int32_t first = 0, count = 0;
    std::memcpy(&first, fontData + index * 8, 4);
    std::memcpy(&count, fontData + index * 8 + 4, 4);
    if (first < 0 || count <= 0) return g;
    const uint64_t end = kLineFontStrokeTable + (static_cast<uint64_t>(first) + count) * kStrokeBytes;
    if (end > fontSize) return g;
    g.strokes = fontData + kLineFontStrokeTable + static_cast<uint64_t>(first) * kStrokeBytes;
    g.count = count;
    return g;
}

void readStroke(const uint8_t* p, double v[4]) { std::memcpy(v, p, 4 * sizeof(double)); }

}  // namespace

int attachLineFont(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kLineFontStrokeTable) {
        fontData = nullptr;
        fontSize = 0;
        return 0;
    }
    fontData = data;
    fontSize = size;
    return 1;
}

int loadLineFont() {
    size_t size = 0;
    const uint8_t* data = vfs::loadFile("default.lft", &size);
    return attachLineFont(data, size);
}

int drawText(draw::Surface& s, int x, int y, double scale, uint32_t colour, const char* text) {
    if (text == nullptr) return x;
    const int64_t lineHeight = truncClamped(6 * scale);
    const int64_t spaceWidth = truncClamped(5 * scale);
    int64_t penX = x, penY = y;
    draw::setColour(s, colour);

    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned c = *p;
        if (c == '\n') {
            penX = x;
            penY += lineHeight;
            continue;
        }
        int glyph;
        double glyphScale = scale;
        int64_t shift = 0;
        if (c == '&') {
            if (p[1] == 0) break;  // a trailing escape names no glyph
            glyph = static_cast<int>(*++p) + 128;
        } else if (c >= 'a' && c <= 'z') {
            glyph = static_cast<int>(c - 'a' + 'A');
            glyphScale = 0.7 * scale;
            shift = truncClamped(glyphScale * 2.5);
        } else if (c >= 128) {
            glyph = 0;  // outside the escapes the upper half of the directory is not reachable
        } else {
            glyph = static_cast<int>(c);
        }

        const Glyph g = glyph <= 32 ? Glyph{} : glyphAt(glyph);
        if (g.strokes == nullptr) {
            penX += spaceWidth;
            continue;
        }
        int64_t advance = 0;
        for (int64_t k = 0; k < g.count; ++k) {
            double v[4];
            readStroke(g.strokes + k * kStrokeBytes, v);
            const int64_t x0 = truncClamped(v[0] * glyphScale), y0 = truncClamped(v[1] * glyphScale);
            const int64_t x1 = truncClamped(v[2] * glyphScale), y1 = truncClamped(v[3] * glyphScale);
            draw::line(s, clampToInt(penX + x0), clampToInt(penY + y0 + shift),
                       clampToInt(penX + x1), clampToInt(penY + y1 + shift));
            advance = std::max({advance, x0, x1});
        }
        penX += advance + 2;
    }
    return clampToInt(penX);
}

}  // namespace render

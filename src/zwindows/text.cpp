// Text in the console's bitmap font and the raised and sunken edges of the windows and widgets.
#include <cstring>

#include "console/console.h"
#include "vfs/vfs.h"
#include "zwindows/paint.h"
#include "zwindows/zwindows.h"
#include "zwindows/zwindows_internal.h"

namespace zwindows {
namespace {

// Each glyph row as a mask of its five drawn columns (bit i: column i is ink), made once from the
// font's byte-per-pixel rows, so that a character costs eight mask tests instead of forty bytes.
uint8_t glyphRows[console::kGlyphs][console::kCellHeight];
bool fontLoaded = false;

}  // namespace

namespace detail {

void loadFont() {
    size_t size = 0;
    // The console loaded it before; the packs hand out the same block.
    const uint8_t* font = vfs::loadFile("default.bft", &size);
    useFont(font, size);
}

void forgetFont() { fontLoaded = false; }

}  // namespace detail

bool useFont(const uint8_t* font, size_t size) {
    fontLoaded = font && size >= size_t(console::kGlyphs) * console::kGlyphBytes;
    if (!fontLoaded) return false;
    for (int g = 0; g < console::kGlyphs; ++g)
        for (int row = 0; row < console::kCellHeight; ++row) {
            uint8_t mask = 0;
            const uint8_t* pixels = font + g * console::kGlyphBytes + row * console::kCellWidth;
            for (int column = 0; column < console::kCellWidth - 1; ++column)
                if (pixels[column] == 0xFF) mask |= uint8_t(1u << column);
            glyphRows[g][row] = mask;
        }
    return true;
}

void drawText(draw::Surface& s, int x, int y, const char* text, int length, uint32_t colour,
              int clipLeft, int clipRight) {
    if (!text || !s.pixels || !fontLoaded) return;
    for (int i = 0; i < length && text[i]; ++i) {
        const int64_t left = int64_t(x) + int64_t(kCellWidth) * i;
        if (left >= clipRight || left >= s.width) break;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // Blanks are never drawn; codes without a glyph draw as nothing.
        if (c <= 32 || c >= 32 + console::kGlyphs) continue;
        if (left < clipLeft || left + kCellWidth > clipRight) continue;
        const uint8_t* rows = glyphRows[c - 32];
        for (int row = 0; row < kCellHeight; ++row) {
            const int64_t py = int64_t(y) + row;
            if (!rows[row] || py < 0 || py >= s.height) continue;
            uint32_t* line = s.pixels + py * s.pitch;
            for (int column = 0; column < kCellWidth - 1; ++column) {
                const int64_t px = left + column;
                if ((rows[row] >> column & 1) && px >= 0 && px < s.width) line[px] = colour;
            }
        }
    }
}

void drawEdges(draw::Surface& s, const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
    if (r.width <= 0 || r.height <= 0) return;
    const int right = r.x + r.width - 1, bottom = r.y + r.height - 1;
    draw::setColour(s, topLeft);
    draw::line(s, r.x, r.y, right, r.y);
    draw::line(s, r.x, r.y, r.x, bottom);
    draw::setColour(s, bottomRight);
    draw::line(s, r.x, bottom, right, bottom);
    draw::line(s, right, r.y, right, bottom);
}

}  // namespace zwindows

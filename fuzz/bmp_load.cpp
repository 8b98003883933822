// Fuzz target for the BMP reader: any bytes are read or refused without a fault, and a bitmap that
// is read can be drawn, keyed, stretched and copied back within a small surface.
#include <cstddef>
#include <cstdint>

#include "video/draw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    draw::BitmapPtr b = draw::parseBmp(data, size);
    if (!b) {
        // A refusal always says why.
        if (draw::lastErrorCode() == draw::kOk) __builtin_trap();
        return 0;
    }
    if (b->width < 1 || b->height < 1 || b->width > draw::kMaxSide || b->height > draw::kMaxSide)
        __builtin_trap();
    static draw::Surface s;
    if (s.pixels == nullptr && !draw::createSurface(s, 61, 47)) return 0;
    draw::drawBitmap(s, *b, -b->width / 2, 3);
    draw::drawBitmapKeyed(s, *b, 40, -b->height / 3, 0xFF00FF);
    draw::stretchBitmap(s, *b, -7, 5, 30, 90);
    draw::BitmapPtr back = draw::bitmapFromSurface(s, 0, 0, b->width, b->height);
    if (!back) __builtin_trap();
    return 0;
}

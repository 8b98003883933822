// Fuzz target for the line font: any bytes as "default.lft" (and as a sprite image), then texts
// of every kind written at several scales on a small surface, never reading outside the bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "render/linefont.h"
#include "render/sprites.h"
#include "video/draw.h"
#include "video/video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static draw::Surface s;
    if (s.pixels == nullptr) {
        if (!draw::createSurface(s, 97, 61)) return 0;
        video::buildColourTables(draw::kXrgb8888, video::colours);
    }
    // An exact-size copy, so that reading one byte past the font is caught.
    std::vector<uint8_t> bytes(data, data + size);
    render::attachLineFont(bytes.data(), bytes.size());
    render::attachSprite(render::kGlowSmall, bytes.data(), bytes.size());

    // The text: the last bytes of the input (up to 40), so that escapes, newlines and upper-half
    // characters come from the fuzzer too.
    char text[41] = {};
    const size_t n = size < 40 ? size : 40;
    std::memcpy(text, data + size - n, n);
    for (double scale : {2.0, 0.7, 13.5, -3.0}) render::drawText(s, 5, 7, scale, 0xFFFFFF, text);
    render::drawText(s, -1000000, 2000000000, 2.0, 0xFFFFFF, text);
    for (int r : {1, 3, 4, 7}) render::drawStarGlow(s, 40, 30, r, 64);

    render::attachLineFont(nullptr, 0);
    render::attachSprite(render::kGlowSmall, nullptr, 0);
    return 0;
}

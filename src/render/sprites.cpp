// Sky sprites: loading the raw intensity images and the point-sampling drawers.
#include "render/sprites.h"

#include <algorithm>
#include <cmath>

#include "video/video.h"
#include "vfs/vfs.h"

namespace render {

namespace {

struct SpriteFile {
    const char* name;
    int side;
};

constexpr SpriteFile kFiles[kSpriteCount] = {
    {"starGlowB.raw", 128}, {"starGlowS.raw", 72}, {"starDisc.raw", 128},
    {"spot00.raw", 128},    {"spot01.raw", 128},   {"spot02.raw", 128},
    {"ocbitmap.raw", 256},  {"gcbitmap.raw", 256}, {"nebitmap.raw", 256},
};

Sprite sprites[kSpriteCount];

bool validId(SpriteId id) { return id >= 0 && id < kSpriteCount; }

}  // namespace

const char* spriteFileName(SpriteId id) { return validId(id) ? kFiles[id].name : ""; }
int spriteSide(SpriteId id) { return validId(id) ? kFiles[id].side : 0; }

int attachSprite(SpriteId id, const uint8_t* data, size_t size) {
    if (!validId(id)) return 0;
    const size_t side = static_cast<size_t>(kFiles[id].side);
    if (data == nullptr || size < side * side) {
        sprites[id] = Sprite{};
        return 0;
    }
    sprites[id] = Sprite{data, kFiles[id].side};
    return 1;
}

int loadSprites() {
    int loaded = 0;
    for (int i = 0; i < kSpriteCount; ++i) {
        size_t size = 0;
        const uint8_t* data = vfs::loadFile(kFiles[i].name, &size);
        loaded += attachSprite(static_cast<SpriteId>(i), data, size);
    }
    return loaded;
}

const Sprite& sprite(SpriteId id) {
    static const Sprite none{};
    return validId(id) ? sprites[id] : none;
}

// The sampled square with 64-bit corner and size, so that callers' halves and doubles of any
// int never overflow.
static void sampledSquare(draw::Surface& s, const Sprite& image, int64_t x0, int64_t y0, int64_t n,
                          int colourClass, int threshold) {
    if (image.samples == nullptr || image.side <= 0 || n < 1 || s.pixels == nullptr) return;
    colourClass = std::clamp(colourClass, 0, video::kColourClasses - 1);
    const uint32_t* ramp = video::colours.star[colourClass];
    const double k = static_cast<double>(image.side) / n;

    // Only the part of the square on the surface is visited (64-bit: corners may be far off).
    const int64_t left = std::max<int64_t>(x0, 0);
    const int64_t top = std::max<int64_t>(y0, 0);
    const int64_t right = std::min<int64_t>(x0 + n, s.width);
    const int64_t bottom = std::min<int64_t>(y0 + n, s.height);
    for (int64_t y = top; y < bottom; ++y) {
        const int64_t row = static_cast<int64_t>(static_cast<double>(y - y0) * k);
        const uint8_t* samples = image.samples + std::min<int64_t>(row, image.side - 1) * image.side;
        uint32_t* out = s.pixels + y * s.pitch;
        for (int64_t x = left; x < right; ++x) {
            const int64_t column = static_cast<int64_t>(static_cast<double>(x - x0) * k);
            const int v = samples[std::min<int64_t>(column, image.side - 1)];
            if (v > threshold) out[x] = ramp[v];
        }
    }
}

void drawSampledSquare(draw::Surface& s, const Sprite& image, int x0, int y0, int n,
                       int colourClass, int threshold) {
    sampledSquare(s, image, x0, y0, n, colourClass, threshold);
}

void drawStarGlow(draw::Surface& s, int px, int py, int r, int colourClass) {
    if (r < 1) return;
    const Sprite& image = sprite(r < 5 ? kGlowSmall : kGlowBig);
    const int64_t r64 = r;
    sampledSquare(s, image, px - 2 * r64, py - 2 * r64, 4 * r64, colourClass, kGlowThreshold);
}

void drawImage128(draw::Surface& s, SpriteId id, int x, int y, int size, int colourClass) {
    sampledSquare(s, sprite(id), static_cast<int64_t>(x) - size / 2,
                  static_cast<int64_t>(y) - size / 2, size, colourClass, kImageThreshold);
}

void drawImage256(draw::Surface& s, SpriteId id, int x, int y, int size, int colourClass) {
    sampledSquare(s, sprite(id), static_cast<int64_t>(x) - size / 2,
                  static_cast<int64_t>(y) - size / 2, size, colourClass, kImageThreshold);
}

}  // namespace render

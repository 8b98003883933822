// Bitmaps: the BMP reader (from bytes), scaling, copying and keyed drawing into surfaces, and the
// 24-bit BMP writer used by screenshots and the bitmap tool.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "video/draw.h"

namespace draw {

namespace {

using i64 = int64_t;

uint16_t rd16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
uint32_t rd32(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
void wr16(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
void wr32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (uint8_t)(v >> (8 * i));
}

BitmapPtr refuse(int code, const char* text) {
    setError(code, text);
    return nullptr;
}

// The BMP file and info headers as they lie in the file (little-endian), by byte offset.
constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;
constexpr size_t kOffBits = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kPlanes = 26,
                 kBitCount = 28, kCompression = 30, kColoursUsed = 46;

inline uint32_t convert(uint32_t v, const PixelFormat& from, const PixelFormat& to) {
    if (from == to) return v;
    int r, g, b;
    unpackColour(from, v, r, g, b);
    return packColour(to, r, g, b);
}

}  // namespace

BitmapPtr createBitmap(int width, int height, const PixelFormat& format) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return refuse(kErrBadSize, "bitmap size out of range");
    BitmapPtr b(new (std::nothrow) Bitmap);
    if (!b) return refuse(kErrNoMemory, "out of memory for a bitmap");
    b->pixels.reset(new (std::nothrow) uint32_t[(size_t)width * (size_t)height]());
    if (!b->pixels) return refuse(kErrNoMemory, "out of memory for a bitmap");
    b->width = width;
    b->height = height;
    b->format = format;
    return b;
}

BitmapPtr parseBmp(const uint8_t* d, size_t n) {
    if (d == nullptr || n < kFileHeader + kInfoHeader)
        return refuse(kErrBadBitmap, "BMP shorter than its headers");
    if (d[0] != 'B' || d[1] != 'M') return refuse(kErrBadBitmap, "not a BMP file");
    const uint32_t offBits = rd32(d + kOffBits);
    const uint32_t headerSize = rd32(d + kHeaderSize);
    if (headerSize == 12) return refuse(kErrUnsupported, "BMP with the old 12-byte header");
    // The 40-byte header and its longer successors, whose extra fields an uncompressed file
    // does not need.
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return refuse(kErrBadBitmap, "BMP info header of unknown size");
    if (kFileHeader + headerSize > n) return refuse(kErrBadBitmap, "BMP header truncated");

    const int32_t width = (int32_t)rd32(d + kWidth);
    const int32_t height = (int32_t)rd32(d + kHeight);
    const uint16_t planes = rd16(d + kPlanes);
    const uint16_t bits = rd16(d + kBitCount);
    const uint32_t compression = rd32(d + kCompression);
    const uint32_t coloursUsed = rd32(d + kColoursUsed);

    if (planes != 1) return refuse(kErrBadBitmap, "BMP plane count is not 1");
    if (compression != 0) return refuse(kErrUnsupported, "compressed BMP");
    if (bits != 8 && bits != 24 && bits != 32)
        return refuse(kErrUnsupported, "BMP depth is not 8, 24 or 32 bits");
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return refuse(kErrBadBitmap, "BMP width or height invalid");
    const bool topDown = height < 0;
    const i64 rows = topDown ? -(i64)height : height;
    if (width > kMaxSide || rows > kMaxSide) return refuse(kErrUnsupported, "BMP too large");

    const size_t headersEnd = kFileHeader + headerSize;
    if (offBits < headersEnd) return refuse(kErrBadBitmap, "BMP pixel data overlaps its headers");
    uint32_t paletteCount = 0;
    if (bits == 8) {
        paletteCount = coloursUsed == 0 ? 256 : coloursUsed;
        if (paletteCount > 256) return refuse(kErrBadBitmap, "BMP palette larger than 256 colours");
        if (headersEnd + 4 * (size_t)paletteCount > offBits)
            return refuse(kErrBadBitmap, "BMP palette overlaps the pixel data");
    }
    const size_t rowBytes = ((size_t)width * bits + 31) / 32 * 4;
    if (offBits > n || rowBytes * (size_t)rows > n - offBits)
        return refuse(kErrBadBitmap, "BMP pixel data truncated");

    BitmapPtr b = createBitmap(width, (int)rows);
    if (!b) return nullptr;
    const PixelFormat& f = b->format;
    uint32_t palette[256];
    for (uint32_t i = 0; i < paletteCount; ++i) {
        const uint8_t* p = d + headersEnd + 4 * i;
        palette[i] = packColour(f, p[2], p[1], p[0]);
    }
    for (i64 y = 0; y < rows; ++y) {
        const uint8_t* src = d + offBits + rowBytes * (size_t)(topDown ? y : rows - 1 - y);
        uint32_t* dst = b->pixels.get() + (size_t)y * width;
        switch (bits) {
            case 8:
                for (int x = 0; x < width; ++x) {
                    if (src[x] >= paletteCount)
                        return refuse(kErrBadBitmap, "BMP pixel outside its palette");
                    dst[x] = palette[src[x]];
                }
                break;
            case 24:
                for (int x = 0; x < width; ++x, src += 3) dst[x] = packColour(f, src[2], src[1], src[0]);
                break;
            default:
                for (int x = 0; x < width; ++x, src += 4) dst[x] = packColour(f, src[2], src[1], src[0]);
                break;
        }
    }
    return b;
}

void stretchBitmap(Surface& s, const Bitmap& b, int left, int top, int right, int bottom) {
    if (s.pixels == nullptr || !b.pixels || right <= left || bottom <= top) return;
    const i64 dw = (i64)right - left, dh = (i64)bottom - top;
    const i64 x0 = std::max<i64>(left, 0), x1 = std::min<i64>((i64)right - 1, s.width - 1);
    const i64 y0 = std::max<i64>(top, 0), y1 = std::min<i64>((i64)bottom - 1, s.height - 1);
    if (x0 > x1 || y0 > y1) return;
    const bool same = b.format == s.format;
    // Destination pixel t of the rectangle takes source pixel floor(t · size / destination size).
    // dw and dh are below 2^33 and the bitmap sides below 2^15, so the products fit in 64 bits.
    for (i64 y = y0; y <= y1; ++y) {
        const i64 sy = (y - top) * b.height / dh;
        const uint32_t* src = b.pixels.get() + sy * b.width;
        uint32_t* dst = s.pixels + y * s.pitch;
        const i64 start = (x0 - left) * b.width;
        i64 sx = start / dw, rem = start % dw;
        const i64 whole = b.width / dw, part = b.width % dw;
        for (i64 x = x0; x <= x1; ++x) {
            dst[x] = same ? src[sx] : convert(src[sx], b.format, s.format);
            sx += whole;
            rem += part;
            if (rem >= dw) {
                rem -= dw;
                ++sx;
            }
        }
    }
}

BitmapPtr bitmapFromSurface(const Surface& s, int left, int top, int right, int bottom) {
    const i64 x0 = std::max<i64>(left, 0), x1 = std::min<i64>((i64)right - 1, s.width - 1);
    const i64 y0 = std::max<i64>(top, 0), y1 = std::min<i64>((i64)bottom - 1, s.height - 1);
    if (s.pixels == nullptr || x0 > x1 || y0 > y1)
        return refuse(kErrEmptyRect, "bitmap from an empty rectangle");
    BitmapPtr b = createBitmap((int)(x1 - x0 + 1), (int)(y1 - y0 + 1), s.format);
    if (!b) return nullptr;
    for (i64 y = y0; y <= y1; ++y)
        std::memcpy(b->pixels.get() + (y - y0) * b->width, s.pixels + y * s.pitch + x0,
                    sizeof(uint32_t) * (size_t)b->width);
    return b;
}

namespace {

// The part of a bitmap drawn at (x, y) that lies on the surface: source origin, destination
// origin and size. False if nothing does.
struct Blit {
    i64 sx, sy, dx, dy, w, h;
};
bool clipBlit(const Surface& s, const Bitmap& b, int x, int y, Blit& c) {
    if (s.pixels == nullptr || !b.pixels) return false;
    const i64 dx0 = std::max<i64>(x, 0), dy0 = std::max<i64>(y, 0);
    const i64 dx1 = std::min<i64>((i64)x + b.width, s.width);
    const i64 dy1 = std::min<i64>((i64)y + b.height, s.height);
    if (dx0 >= dx1 || dy0 >= dy1) return false;
    c = {dx0 - x, dy0 - y, dx0, dy0, dx1 - dx0, dy1 - dy0};
    return true;
}

}  // namespace

void drawBitmap(Surface& s, const Bitmap& b, int x, int y) {
    Blit c;
    if (!clipBlit(s, b, x, y, c)) return;
    const bool same = b.format == s.format;
    for (i64 row = 0; row < c.h; ++row) {
        const uint32_t* src = b.pixels.get() + (c.sy + row) * b.width + c.sx;
        uint32_t* dst = s.pixels + (c.dy + row) * s.pitch + c.dx;
        if (same) {
            std::memcpy(dst, src, sizeof(uint32_t) * (size_t)c.w);
        } else {
            for (i64 i = 0; i < c.w; ++i) dst[i] = convert(src[i], b.format, s.format);
        }
    }
}

void drawBitmapKeyed(Surface& s, const Bitmap& b, int x, int y, uint32_t key) {
    Blit c;
    if (!clipBlit(s, b, x, y, c)) return;
    const bool same = b.format == s.format;
    for (i64 row = 0; row < c.h; ++row) {
        const uint32_t* src = b.pixels.get() + (c.sy + row) * b.width + c.sx;
        uint32_t* dst = s.pixels + (c.dy + row) * s.pitch + c.dx;
        for (i64 i = 0; i < c.w; ++i)
            if (src[i] != key) dst[i] = same ? src[i] : convert(src[i], b.format, s.format);
    }
}

bool writeBmp24(ByteSink sink, void* context, const Surface& s, int width, int height) {
    if (sink == nullptr || s.pixels == nullptr || width < 1 || height < 1 || width > s.width ||
        height > s.height)
        return false;
    // Rows padded to whole 32-bit words, as every BMP reader expects.
    const uint32_t rowBytes = ((uint32_t)width * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * (uint32_t)height;
    uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    wr32(header + 2, 54 + imageBytes);
    wr32(header + kOffBits, 54);
    wr32(header + kHeaderSize, 40);
    wr32(header + kWidth, (uint32_t)width);
    wr32(header + kHeight, (uint32_t)height);
    wr16(header + kPlanes, 1);
    wr16(header + kBitCount, 24);
    wr32(header + 34, imageBytes);
    if (!sink(context, header, sizeof header)) return false;

    uint8_t row[3 * kMaxSide + 3];
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* src = s.pixels + (size_t)y * s.pitch;
        uint8_t* p = row;
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            unpackColour(s.format, src[x], r, g, b);
            *p++ = (uint8_t)b;
            *p++ = (uint8_t)g;
            *p++ = (uint8_t)r;
        }
        while (p < row + rowBytes) *p++ = 0;
        if (!sink(context, row, rowBytes)) return false;
    }
    return true;
}

}  // namespace draw

// Memory surfaces, the last-error record and the clipped drawing primitives.
#include "video/draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace draw {

namespace {

int errorCode = kOk;
const char* errorText = "no error";

using i64 = int64_t;
using u64 = uint64_t;
// 128-bit intermediates keep the clipping of lines and the span widths of ellipses exact for any
// pair of int coordinates: products of two 33-bit differences do not fit in 64 bits.
using i128 = __int128;
using u128 = unsigned __int128;

// Fills the pixels x0..x1 (inclusive, any values) of row y, which must be on the surface.
inline void span(Surface& s, i64 y, i64 x0, i64 x1, uint32_t c) {
    if (x0 < 0) x0 = 0;
    if (x1 > s.width - 1) x1 = s.width - 1;
    if (x0 > x1) return;
    fillPixels(s.pixels + y * s.pitch + x0, static_cast<size_t>(x1 - x0 + 1), c);
}

// Fills the pixels y0..y1 (inclusive, any values) of column x, which must be on the surface.
inline void column(Surface& s, i64 x, i64 y0, i64 y1, uint32_t c) {
    if (y0 < 0) y0 = 0;
    if (y1 > s.height - 1) y1 = s.height - 1;
    uint32_t* p = s.pixels + y0 * s.pitch + x;
    for (i64 y = y0; y <= y1; ++y, p += s.pitch) *p = c;
}

// floor(a / b) and ceil(a / b) for b > 0.
inline i128 floorDiv(i128 a, i128 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
inline i128 ceilDiv(i128 a, i128 b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// Pixels k0 … k1 of the line of majorLine below, pixel k0 at minor step q with remainder r of
// (2·k0·m + n) / 2n. All of them must be on the surface.
inline void bresenham(Surface& s, bool xMajor, i64 u1, i64 v1, i64 n, i64 m, int su, int sv, i64 k0, i64 q, i64 r,
                      i64 k1) {
    const i64 twoN = 2 * n, twoM = 2 * m;
    const i64 u = u1 + su * k0;
    const i64 v = v1 + sv * q;
    const i64 count = k1 - k0 + 1;
    const uint32_t c = s.colour;
    // An index rather than a pointer: after the last pixel it may point off the surface.
    i64 at = xMajor ? v * s.pitch + u : u * s.pitch + v;
    const i64 stepU = xMajor ? su : su * (i64)s.pitch;
    const i64 stepV = xMajor ? sv * (i64)s.pitch : sv;
    uint32_t* const p = s.pixels;
    for (i64 i = 0; i < count; ++i) {
        p[at] = c;
        at += stepU;
        r += twoM;
        if (r >= twoN) {
            r -= twoN;
            at += stepV;
        }
    }
}

// A Bresenham line along its major axis u (n steps) with the minor axis v (m ≤ n steps). Pixel k
// (0..n) lies at u = u1 + su·k, v = v1 + sv·floor((2km + n) / 2n). The range of k that lands on
// the surface is solved exactly, so the loop touches only visible pixels and they are the same
// pixels the unclipped line would set.
void majorLine(Surface& s, bool xMajor, i64 u1, i64 v1, i64 n, i64 m, int su, int sv) {
    const i64 U = xMajor ? s.width - 1 : s.height - 1;
    const i64 V = xMajor ? s.height - 1 : s.width - 1;

    i128 k0 = 0, k1 = n;
    // Both ends on the surface, as nearly every stroke of a label and every segment of a chart
    // is: all n + 1 pixels are visible, and the exact clipping below (128-bit divisions) would
    // only find k0 = 0 and k1 = n again.
    const i64 u2 = u1 + su * n, v2 = v1 + sv * m;
    if (u1 >= 0 && u1 <= U && u2 >= 0 && u2 <= U && v1 >= 0 && v1 <= V && v2 >= 0 && v2 <= V) {
        bresenham(s, xMajor, u1, v1, n, m, su, sv, 0, 0, n, n);
        return;
    }
    // Major axis: 0 ≤ u1 + su·k ≤ U.
    if (su > 0) {
        k0 = std::max<i128>(k0, -u1);
        k1 = std::min<i128>(k1, U - u1);
    } else {
        k0 = std::max<i128>(k0, u1 - U);
        k1 = std::min<i128>(k1, u1);
    }
    // Minor axis: the step count q(k) must stay within [A, B].
    const i128 A = sv > 0 ? -v1 : v1 - V;
    const i128 B = sv > 0 ? V - v1 : v1;
    if (m == 0) {
        if (A > 0 || B < 0) return;
    } else {
        k0 = std::max<i128>(k0, ceilDiv(2 * (i128)n * A - n, 2 * (i128)m));
        k1 = std::min<i128>(k1, floorDiv(2 * (i128)n * (B + 1) - n - 1, 2 * (i128)m));
    }
    if (k0 > k1) return;

    const i128 num = 2 * k0 * m + n;
    bresenham(s, xMajor, u1, v1, n, m, su, sv, (i64)k0, (i64)(num / (2 * (i128)n)), (i64)(num % (2 * (i128)n)),
              (i64)k1);
}

// Half-widths of the rows of a filled ellipse: row dy (|dy| ≤ ry) spans dx = −w..w, w the largest
// with (2dx)²·b² + (2dy)²·a² ≤ a²·b², a = 2rx + 1, b = 2ry + 1 (the ellipse of radii rx + ½ and
// ry + ½ in doubled units, so that every term is an integer).
struct EllipseRows {
    u64 a2 = 0, b2 = 0;  // a², b²
    u128 ab2 = 0;        // a²·b²
    bool small = false;  // everything fits in 64 bits

    EllipseRows(i64 rx, i64 ry) {
        const u64 a = 2 * (u64)rx + 1, b = 2 * (u64)ry + 1;
        a2 = a * a;
        b2 = b * b;
        ab2 = (u128)a2 * b2;
        small = a < (1u << 15) && b < (1u << 15);
    }

    static u64 isqrt(u64 q) {
        u64 r = (u64)std::sqrt((double)q);
        while ((u128)r * r > q) --r;
        while ((u128)(r + 1) * (r + 1) <= q) ++r;
        return r;
    }

    // For 0 ≤ dy ≤ ry. (2dy)² < b², so the subtraction cannot wrap.
    i64 halfWidth(i64 dy) const {
        const u64 d2 = 4 * (u64)dy * (u64)dy;
        u64 q;
        if (small) {
            q = ((u64)ab2 - d2 * a2) / b2;
        } else {
            q = (u64)((ab2 - (u128)d2 * a2) / b2);
        }
        return (i64)(isqrt(q) / 2);
    }
};

}  // namespace

// ---- Errors -----------------------------------------------------------------------------------

int lastErrorCode() { return errorCode; }
const char* lastErrorText() { return errorText; }

void setError(int code, const char* text) {
    errorCode = code;
    errorText = text != nullptr ? text : "unknown error";
}

void clearError() { setError(kOk, "no error"); }

// ---- Surfaces ---------------------------------------------------------------------------------

bool createSurface(Surface& s, int width, int height, const PixelFormat& format) {
    destroySurface(s);
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        setError(kErrBadSize, "surface size out of range");
        return false;
    }
    const size_t count = (size_t)width * (size_t)height;
    s.storage.reset(new (std::nothrow) uint32_t[count]());
    if (!s.storage) {
        setError(kErrNoMemory, "out of memory for a surface");
        return false;
    }
    s.pixels = s.storage.get();
    s.width = width;
    s.height = height;
    s.pitch = width;
    s.format = format;
    s.colour = 0;
    s.batchDepth = 0;
    return true;
}

void destroySurface(Surface& s) {
    s.storage.reset();
    s.pixels = nullptr;
    s.width = s.height = s.pitch = 0;
    s.batchDepth = 0;
}

// ---- Primitives -------------------------------------------------------------------------------

void clear(Surface& s, uint32_t colour) {
    if (s.pixels == nullptr) return;
    if (s.pitch == s.width) {
        const size_t count = (size_t)s.width * (size_t)s.height;
        // Black, the clear colour of every frame, is one byte repeated: the C library's memset
        // is the fastest fill there is.
        if (colour == (colour & 0xFFu) * 0x01010101u)
            std::memset(s.pixels, (int)(colour & 0xFFu), count * sizeof(uint32_t));
        else
            fillPixels(s.pixels, count, colour);
        return;
    }
    for (int y = 0; y < s.height; ++y) fillPixels(s.pixels + (size_t)y * s.pitch, static_cast<size_t>(s.width), colour);
}

void pixel(Surface& s, int x, int y) { putPixel(s, x, y, s.colour); }

void putPixel(Surface& s, int x, int y, uint32_t value) {
    if ((unsigned)x < (unsigned)s.width && (unsigned)y < (unsigned)s.height)
        s.pixels[(size_t)y * s.pitch + x] = value;
}

uint32_t getPixel(const Surface& s, int x, int y) {
    if ((unsigned)x < (unsigned)s.width && (unsigned)y < (unsigned)s.height)
        return s.pixels[(size_t)y * s.pitch + x];
    return 0;
}

void line(Surface& s, int x1, int y1, int x2, int y2) {
    if (s.pixels == nullptr) return;
    const i64 W = s.width - 1, H = s.height - 1;
    // Both ends beyond the same edge: nothing to draw (the trivial rejection of outcode clipping).
    auto outcode = [&](i64 x, i64 y) {
        return (x < 0 ? 1 : x > W ? 2 : 0) | (y < 0 ? 4 : y > H ? 8 : 0);
    };
    if (outcode(x1, y1) & outcode(x2, y2)) return;

    const i64 dx = (i64)x2 - x1, dy = (i64)y2 - y1;
    const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    if (adx == 0 && ady == 0) {
        putPixel(s, x1, y1, s.colour);
    } else if (ady == 0) {
        span(s, y1, std::min<i64>(x1, x2), std::max<i64>(x1, x2), s.colour);
    } else if (adx == 0) {
        column(s, x1, std::min<i64>(y1, y2), std::max<i64>(y1, y2), s.colour);
    } else if (adx >= ady) {
        majorLine(s, true, x1, y1, adx, ady, sx, sy);
    } else {
        majorLine(s, false, y1, x1, ady, adx, sy, sx);
    }
}

void rect(Surface& s, int left, int top, int right, int bottom) {
    if (s.pixels == nullptr || right <= left || bottom <= top) return;
    const i64 r = (i64)right - 1, b = (i64)bottom - 1;
    const uint32_t c = s.colour;
    if (top >= 0 && top < s.height) span(s, top, left, r, c);
    if (b != top && b >= 0 && b < s.height) span(s, b, left, r, c);
    // The sides between the two rows.
    const i64 y0 = (i64)top + 1, y1 = b - 1;
    if (y0 > y1 || y1 < 0 || y0 > s.height - 1) return;
    if (left >= 0 && left < s.width) column(s, left, y0, y1, c);
    if (r != left && r >= 0 && r < s.width) column(s, r, y0, y1, c);
}

void fillRect(Surface& s, int left, int top, int right, int bottom) {
    if (s.pixels == nullptr || right <= left || bottom <= top) return;
    const i64 x0 = std::max<i64>(left, 0), x1 = std::min<i64>((i64)right - 1, s.width - 1);
    const i64 y0 = std::max<i64>(top, 0), y1 = std::min<i64>((i64)bottom - 1, s.height - 1);
    if (x0 > x1 || y0 > y1) return;
    for (i64 y = y0; y <= y1; ++y) fillPixels(s.pixels + y * s.pitch + x0, static_cast<size_t>(x1 - x0 + 1), s.colour);
}

void fillEllipse(Surface& s, int cx, int cy, int rx, int ry) {
    if (s.pixels == nullptr || rx < 0 || ry < 0) return;
    const i64 y0 = std::max<i64>((i64)cy - ry, 0), y1 = std::min<i64>((i64)cy + ry, s.height - 1);
    if (y0 > y1 || (i64)cx + rx < 0 || (i64)cx - rx > s.width - 1) return;
    const EllipseRows rows(rx, ry);
    for (i64 y = y0; y <= y1; ++y) {
        const i64 dy = y - cy;
        const i64 w = rows.halfWidth(dy < 0 ? -dy : dy);
        span(s, y, (i64)cx - w, (i64)cx + w, s.colour);
    }
}

void ellipse(Surface& s, int cx, int cy, int rx, int ry) {
    if (s.pixels == nullptr || rx < 0 || ry < 0) return;
    const i64 y0 = std::max<i64>((i64)cy - ry, 0), y1 = std::min<i64>((i64)cy + ry, s.height - 1);
    if (y0 > y1 || (i64)cx + rx < 0 || (i64)cx - rx > s.width - 1) return;
    const EllipseRows rows(rx, ry);
    for (i64 y = y0; y <= y1; ++y) {
        const i64 dy = y < cy ? (i64)cy - y : y - (i64)cy;
        const i64 w = rows.halfWidth(dy);
        // Pixels with the outward vertical neighbour outside, or the horizontal one.
        const i64 wOut = dy < ry ? rows.halfWidth(dy + 1) : -1;
        const i64 inner = std::min(w, wOut + 1);
        if (inner == 0) {
            span(s, y, (i64)cx - w, (i64)cx + w, s.colour);
        } else {
            span(s, y, (i64)cx - w, (i64)cx - inner, s.colour);
            span(s, y, (i64)cx + inner, (i64)cx + w, s.colour);
        }
    }
}

}  // namespace draw

// Whole-pixel scaling of the frame into the display's target: the copy of every present.
#include "video/scale.h"

#include <algorithm>
#include <cstring>

namespace video {
namespace {

// One frame row widened k times into dst; fixed factors let the compiler unroll the inner loop.
template <int k>
void widenRow(const uint32_t* src, uint32_t* dst, int w) {
    for (int x = 0; x < w; ++x, dst += k)
        for (int j = 0; j < k; ++j) dst[j] = src[x];
}

void widenRow(const uint32_t* src, uint32_t* dst, int w, int k) {
    switch (k) {
        case 2: widenRow<2>(src, dst, w); break;
        case 3: widenRow<3>(src, dst, w); break;
        case 4: widenRow<4>(src, dst, w); break;
        default:
            for (int x = 0; x < w; ++x, dst += k) std::fill_n(dst, k, src[x]);
            break;
    }
}

void wholeMultiple(const draw::Surface& f, const platform::FrameTarget& t, int k) {
    const platform::Rect& v = t.view;
    const size_t viewBytes = sizeof(uint32_t) * static_cast<size_t>(v.width);
    for (int y = 0; y < f.height; ++y) {
        const uint32_t* src = f.pixels + static_cast<size_t>(y) * f.pitch;
        uint32_t* dst = t.pixels + static_cast<size_t>(v.y + y * k) * t.pitch + v.x;
        if (k == 1) {
            std::memcpy(dst, src, viewBytes);
            continue;
        }
        widenRow(src, dst, f.width, k);
        for (int r = 1; r < k; ++r) std::memcpy(dst + static_cast<size_t>(r) * t.pitch, dst, viewBytes);
    }
}

// Nearest frame pixel to each view pixel's centre. The column is stepped by exact integer
// arithmetic, (2i + 1)·w / (2·vw) as a quotient and remainder, so no table and no division per
// pixel is needed.
void nearest(const draw::Surface& f, const platform::FrameTarget& t) {
    const platform::Rect& v = t.view;
    const int64_t w = f.width, h = f.height, twoVw = 2 * static_cast<int64_t>(v.width);
    const int64_t stepQ = 2 * w / twoVw, stepR = 2 * w % twoVw;
    for (int j = 0; j < v.height; ++j) {
        const int64_t sy = (2 * static_cast<int64_t>(j) + 1) * h / (2 * static_cast<int64_t>(v.height));
        const uint32_t* src = f.pixels + sy * f.pitch;
        uint32_t* dst = t.pixels + static_cast<size_t>(v.y + j) * t.pitch + v.x;
        int64_t sx = w / twoVw, rem = w % twoVw;
        for (int i = 0; i < v.width; ++i) {
            dst[i] = src[sx];
            sx += stepQ;
            rem += stepR;
            if (rem >= twoVw) {
                rem -= twoVw;
                ++sx;
            }
        }
    }
}

void fillRows(const platform::FrameTarget& t, int from, int to, uint32_t colour) {
    for (int y = from; y < to; ++y) std::fill_n(t.pixels + static_cast<size_t>(y) * t.pitch, t.width, colour);
}

}  // namespace

void showScaled(const draw::Surface& f, const platform::FrameTarget& t, uint32_t background) {
    if (t.pixels == nullptr || t.width <= 0 || t.height <= 0 || t.pitch < t.width) return;
    const platform::Rect& v = t.view;
    const bool inside = f.pixels != nullptr && f.width > 0 && f.height > 0 && v.width > 0 &&
                        v.height > 0 && v.x >= 0 && v.y >= 0 && v.x <= t.width - v.width &&
                        v.y <= t.height - v.height;
    if (!inside) {
        fillRows(t, 0, t.height, background);
        return;
    }
    fillRows(t, 0, v.y, background);
    fillRows(t, v.y + v.height, t.height, background);
    if (v.x > 0 || v.x + v.width < t.width) {
        for (int y = v.y; y < v.y + v.height; ++y) {
            uint32_t* row = t.pixels + static_cast<size_t>(y) * t.pitch;
            std::fill_n(row, v.x, background);
            std::fill_n(row + v.x + v.width, t.width - v.x - v.width, background);
        }
    }
    const int k = v.width / f.width;
    if (k >= 1 && v.width == f.width * k && v.height == f.height * k) wholeMultiple(f, t, k);
    else nearest(f, t);
}

}  // namespace video

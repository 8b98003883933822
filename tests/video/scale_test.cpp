// The whole-pixel scaler against a one-line reference: odd frame sizes at factors 1 to 4, frames
// shrunk into smaller windows, padded rows, bars, and views that do not fit the target.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "video/draw.h"
#include "video/scale.h"

namespace {

constexpr uint32_t kBackground = 0xAB0000;
constexpr uint32_t kUntouched = 0xDEADBEEF;  // the padding of target rows, never written

// What the target must hold at (x, y): the frame pixel nearest the view pixel's centre inside the
// view, the background outside it.
uint32_t expected(const draw::Surface& f, const platform::Rect& v, int x, int y) {
    if (x < v.x || y < v.y || x >= v.x + v.width || y >= v.y + v.height) return kBackground;
    const int64_t i = x - v.x, j = y - v.y;
    const int64_t sx = (2 * i + 1) * f.width / (2 * (int64_t)v.width);
    const int64_t sy = (2 * j + 1) * f.height / (2 * (int64_t)v.height);
    return f.pixels[sy * f.pitch + sx];
}

struct Scene {
    draw::Surface frame;
    std::vector<uint32_t> window;
    platform::FrameTarget target;

    // A frame of random pixels (rows padded by a few pixels) and a target of tw × th with rows
    // padded too, its view where the display would put the frame.
    Scene(int w, int h, int tw, int th, uint32_t seed) {
        std::mt19937 rng(seed);
        draw::createSurface(frame, w + 3, h);
        frame.width = w;  // the pitch stays w + 3
        for (int i = 0; i < frame.pitch * h; ++i) frame.pixels[i] = rng() & 0xFFFFFF;
        target.width = tw;
        target.height = th;
        target.pitch = tw + 5;
        window.assign((size_t)target.pitch * th, kUntouched);
        target.pixels = window.data();
        target.view = platform::frameView(tw, th, w, h);
    }
    std::string firstDifference() const {
        for (int y = 0; y < target.height; ++y) {
            for (int x = 0; x < target.pitch; ++x) {
                const uint32_t got = window[(size_t)y * target.pitch + x];
                const uint32_t want = x < target.width ? expected(frame, target.view, x, y) : kUntouched;
                if (got != want)
                    return "at (" + std::to_string(x) + ", " + std::to_string(y) + "): " +
                           std::to_string(got) + " instead of " + std::to_string(want);
            }
        }
        return "";
    }
};

TEST(ShowScaled, WholeFactorsOneToFourOnOddSizesMatchTheReference) {
    const int sizes[][2] = {{1, 1}, {3, 5}, {7, 2}, {13, 11}, {31, 17}, {640, 399}};
    for (const auto& s : sizes) {
        for (int k = 1; k <= 4; ++k) {
            // The window k times the frame, with margins (uneven bars) too small for k + 1.
            const int tw = s[0] * k + std::min(3, s[0] - 1), th = s[1] * k + std::min(6, s[1] - 1);
            Scene scene(s[0], s[1], tw, th, (uint32_t)(s[0] * 100 + k));
            ASSERT_EQ(scene.target.view.width, s[0] * k);
            video::showScaled(scene.frame, scene.target, kBackground);
            EXPECT_EQ(scene.firstDifference(), "") << s[0] << "x" << s[1] << " at " << k;
        }
    }
}

TEST(ShowScaled, LargerFramesShrinkToTheNearestPixels) {
    const int cases[][4] = {{1280, 800, 1280, 770}, {1920, 1080, 800, 600}, {37, 23, 20, 30},
                            {5, 3, 2, 1}, {1000, 10, 999, 10}};
    for (const auto& c : cases) {
        Scene scene(c[0], c[1], c[2], c[3], (uint32_t)c[0]);
        ASSERT_LT(scene.target.view.width, c[0]);
        video::showScaled(scene.frame, scene.target, kBackground);
        EXPECT_EQ(scene.firstDifference(), "") << c[0] << "x" << c[1] << " into " << c[2] << "x" << c[3];
    }
}

TEST(ShowScaled, AViewOutsideTheTargetLeavesOnlyTheBackground) {
    Scene scene(8, 6, 20, 20, 7);
    for (platform::Rect bad : {platform::Rect{-1, 0, 8, 6}, platform::Rect{13, 0, 8, 6},
                               platform::Rect{0, 15, 8, 6}, platform::Rect{0, 0, 0, 6}}) {
        scene.target.view = bad;
        video::showScaled(scene.frame, scene.target, kBackground);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(scene.window[(size_t)y * scene.target.pitch + x], kBackground);
        ASSERT_EQ(scene.window[20], kUntouched);  // the padding stays
    }
}

}  // namespace

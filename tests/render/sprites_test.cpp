// The sampled drawers: sampling positions, thresholds, glow sizes, clipping and absent images.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "render/sprites.h"
#include "video/video.h"

namespace {

class SpriteTest : public ::testing::Test {
protected:
    draw::Surface s;
    std::vector<uint8_t> small = std::vector<uint8_t>(72 * 72), big = std::vector<uint8_t>(128 * 128),
                         huge = std::vector<uint8_t>(256 * 256);

    void SetUp() override {
        video::buildColourTables(draw::kXrgb8888, video::colours);
        ASSERT_TRUE(draw::createSurface(s, 300, 300));
        // Each sample encodes its position so the drawn colour tells which sample was taken.
        for (int r = 0; r < 72; ++r)
            for (int c = 0; c < 72; ++c) small[r * 72 + c] = static_cast<uint8_t>(5 + (r * 3 + c) % 250);
        for (int r = 0; r < 128; ++r)
            for (int c = 0; c < 128; ++c) big[r * 128 + c] = static_cast<uint8_t>(5 + (r * 7 + c) % 250);
        render::attachSprite(render::kGlowSmall, small.data(), small.size());
        render::attachSprite(render::kGlowBig, big.data(), big.size());
        render::attachSprite(render::kStarDisc, big.data(), big.size());
        render::attachSprite(render::kNebulaBitmap, huge.data(), huge.size());
    }
    void TearDown() override {
        for (int i = 0; i < render::kSpriteCount; ++i)
            render::attachSprite(static_cast<render::SpriteId>(i), nullptr, 0);
    }
    uint32_t ramp(int cls, int v) const { return video::colours.star[cls][v]; }
    int drawn() const {
        int n = 0;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) n += draw::getPixel(s, x, y) != 0;
        return n;
    }
};

TEST_F(SpriteTest, GlowSizesPickTheImageAndSamplePointwise) {
    // r = 2: an 8 × 8 square from (96, 46) sampling the small image with step 72 / 8 = 9.
    render::drawStarGlow(s, 100, 50, 2, 30);
    EXPECT_EQ(drawn(), 64);
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) EXPECT_EQ(draw::getPixel(s, 96 + i, 46 + j), ramp(30, small[(9 * j) * 72 + 9 * i]));
    // r = 5: a 20 × 20 square from the big image, step 6.4.
    draw::clear(s, 0);
    render::drawStarGlow(s, 150, 150, 5, 30);
    EXPECT_EQ(drawn(), 400);
    EXPECT_EQ(draw::getPixel(s, 140 + 3, 140 + 7), ramp(30, big[44 * 128 + 19]));  // trunc(7·6.4), trunc(3·6.4)
    EXPECT_EQ(draw::getPixel(s, 140 + 19, 140 + 19), ramp(30, big[121 * 128 + 121]));
    // r = 4 is still the small glow.
    draw::clear(s, 0);
    render::drawStarGlow(s, 150, 150, 4, 30);
    EXPECT_EQ(draw::getPixel(s, 142, 142), ramp(30, small[0]));
}

TEST_F(SpriteTest, ThresholdsLeaveTheBackground) {
    std::fill(small.begin(), small.end(), 4);
    small[0] = 5;
    render::drawStarGlow(s, 10, 10, 1, 0);  // 4 × 4 from (8, 8), step 18
    EXPECT_EQ(drawn(), 1);
    EXPECT_EQ(draw::getPixel(s, 8, 8), ramp(0, 5));

    draw::clear(s, 0);
    std::fill(big.begin(), big.end(), 16);
    big[0] = 17;
    render::drawImage128(s, render::kStarDisc, 100, 100, 128, 50);
    EXPECT_EQ(drawn(), 1);
    EXPECT_EQ(draw::getPixel(s, 36, 36), ramp(50, 17));

    draw::clear(s, 0);
    std::fill(huge.begin(), huge.end(), 16);
    huge[252] = 200;  // the sample of the top-right pixel: column trunc(63 · 4)
    render::drawImage256(s, render::kNebulaBitmap, 100, 100, 64, 128);
    EXPECT_EQ(drawn(), 1);
    EXPECT_EQ(draw::getPixel(s, 68 + 63, 68), ramp(128, 200));
}

TEST_F(SpriteTest, OddSizesCentreOnTheIntegerHalf) {
    std::fill(big.begin(), big.end(), 100);
    render::drawImage128(s, render::kStarDisc, 100, 100, 5, 10);  // corner (98, 98)
    EXPECT_EQ(drawn(), 25);
    EXPECT_NE(draw::getPixel(s, 98, 98), 0u);
    EXPECT_NE(draw::getPixel(s, 102, 102), 0u);
    EXPECT_EQ(draw::getPixel(s, 97, 100), 0u);
}

TEST_F(SpriteTest, ClippedSquaresSetTheSamePixelsAsUnclipped) {
    draw::Surface wide;
    ASSERT_TRUE(draw::createSurface(wide, 600, 600));
    render::drawImage128(wide, render::kStarDisc, 300 + 5, 300 + 7, 200, 20);
    render::drawImage128(s, render::kStarDisc, 5, 7, 200, 20);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) ASSERT_EQ(draw::getPixel(s, x, y), draw::getPixel(wide, 300 + x, 300 + y));
}

TEST_F(SpriteTest, NothingForAbsentImagesEmptyTargetsOrFarCorners) {
    render::drawImage128(s, render::kStarDisc, 100, 100, 0, 10);
    render::drawImage128(s, render::kStarDisc, 100, 100, -40, 10);
    render::drawStarGlow(s, 100, 100, 0, 10);
    render::drawImage128(s, render::kStarDisc, INT_MIN, INT_MAX, INT_MAX, 10);
    render::drawImage128(s, render::kStarDisc, INT_MAX, INT_MIN, INT_MAX, 10);
    EXPECT_EQ(drawn(), 0);
    // A block shorter than side × side is no image.
    EXPECT_EQ(render::attachSprite(render::kGlowBig, big.data(), big.size() - 1), 0);
    EXPECT_EQ(render::sprite(render::kGlowBig).samples, nullptr);
    render::drawStarGlow(s, 100, 100, 9, 10);
    render::drawImage256(s, render::kOpenClusterBitmap, 100, 100, 64, 10);
    EXPECT_EQ(drawn(), 0);
    // Classes beyond the table are held to the grey row.
    big[0] = 100;
    render::drawImage128(s, render::kStarDisc, 100, 100, 4, 1000);
    EXPECT_EQ(draw::getPixel(s, 98, 98), ramp(128, big[0]));
}

}  // namespace

// Colour tables: the black-body star colours and their ramps, the small palette, and the
// brightness table of 16-bit displays.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "video/video.h"

namespace {

struct Rgb {
    int r, g, b;
};
Rgb rgb(uint32_t v) {
    Rgb c;
    draw::unpackColour(draw::kXrgb8888, v, c.r, c.g, c.b);
    return c;
}

class Tables : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tables = std::make_unique<video::ColourTables>();
        video::buildColourTables(draw::kXrgb8888, *tables);
    }
    static std::unique_ptr<video::ColourTables> tables;
};
std::unique_ptr<video::ColourTables> Tables::tables;

TEST_F(Tables, EveryStarRowRunsFromBlackThroughItsColourToNearWhite) {
    for (int k = 0; k < 128; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(tables->star[k][0], tables->black);
        double full[3];
        video::blackBodyRgb(1000.0 + 78.125 * k, full);
        const Rgb c = rgb(tables->star[k][128]);
        EXPECT_EQ(c.r, (int)full[0]);
        EXPECT_EQ(c.g, (int)full[1]);
        EXPECT_EQ(c.b, (int)full[2]);
        EXPECT_EQ(std::max({c.r, c.g, c.b}), 255);  // the brightest channel is saturated
        const Rgb top = rgb(tables->star[k][255]);
        EXPECT_GE(std::min({top.r, top.g, top.b}), 253);
        // Half way up the dark half: half the colour, truncated.
        const Rgb half = rgb(tables->star[k][64]);
        EXPECT_EQ(half.r, (int)(full[0] * 64 / 128.0));
        EXPECT_EQ(half.b, (int)(full[2] * 64 / 128.0));
        for (int i = 1; i < 256; ++i) {
            const Rgb a = rgb(tables->star[k][i - 1]), b = rgb(tables->star[k][i]);
            ASSERT_TRUE(a.r <= b.r && a.g <= b.g && a.b <= b.b) << "entry " << i;
        }
    }
    for (int i = 0; i < 256; ++i) {
        const Rgb g = rgb(tables->star[video::kGreyRow][i]);
        ASSERT_TRUE(g.r == i && g.g == i && g.b == i);
    }
}

TEST_F(Tables, CoolRowsAreRedAndHotRowsAreBlue) {
    const Rgb coolest = rgb(tables->star[0][128]);  // 1000 K
    EXPECT_EQ(coolest.r, 255);
    EXPECT_LE(coolest.g, 10);
    EXPECT_EQ(coolest.b, 0);
    const Rgb hottest = rgb(tables->star[127][128]);  // 10921.875 K
    EXPECT_EQ(hottest.b, 255);
    EXPECT_LT(hottest.r, hottest.g);
    // Blue rises and red falls from the cool end to the hot end.
    for (int k = 1; k < 128; ++k) {
        EXPECT_GE(rgb(tables->star[k][128]).b, rgb(tables->star[k - 1][128]).b) << k;
        EXPECT_LE(rgb(tables->star[k][128]).r, rgb(tables->star[k - 1][128]).r) << k;
    }
}

TEST(BlackBody, ChromaticitiesLieOnThePlanckianLocus) {
    // Published CIE 1931 chromaticities of black bodies.
    struct Known {
        double kelvin, x, y;
    };
    for (const Known& k : {Known{1000, 0.6528, 0.3444}, Known{2000, 0.5267, 0.4133},
                           Known{3000, 0.4369, 0.4041}, Known{5000, 0.3451, 0.3516},
                           Known{6500, 0.3135, 0.3237}, Known{10000, 0.2807, 0.2884}}) {
        double X, Y, Z;
        video::blackBodyColour(k.kelvin, X, Y, Z);
        EXPECT_DOUBLE_EQ(std::max({X, Y, Z}), 1.0);
        const double sum = X + Y + Z;
        EXPECT_NEAR(X / sum, k.x, 0.0015) << k.kelvin;
        EXPECT_NEAR(Y / sum, k.y, 0.0015) << k.kelvin;
    }
}

TEST(BlackBody, KnownColoursThroughTheDisplayPrimaries) {
    // Without scaling to a white point the colours lean towards green and blue: 3000 K is a warm
    // yellow, 6500 K a pale cyan-white, 10000 K light blue.
    double warm[3], day[3], hot[3];
    video::blackBodyRgb(3000, warm);
    video::blackBodyRgb(6500, day);
    video::blackBodyRgb(10000, hot);
    EXPECT_EQ((int)warm[0], 255);
    EXPECT_GT(warm[1], warm[2] + 100);
    EXPECT_LT(warm[2], 128);
    EXPECT_GE(std::min({day[0], day[1], day[2]}), 150);
    EXPECT_EQ((int)day[2], 255);
    EXPECT_EQ((int)hot[2], 255);
    EXPECT_LT(hot[0], hot[1]);
}

TEST_F(Tables, RampsAndPalette) {
    for (int i = 0; i < 15; ++i) {
        const Rgb g = rgb(tables->grey[i]);
        EXPECT_TRUE(g.r == 255 - 16 * i && g.g == g.r && g.b == g.r) << i;
    }
    EXPECT_EQ(rgb(tables->grey[14]).r, 31);
    EXPECT_EQ(tables->red[0], 0xFF0000u);
    EXPECT_EQ(tables->red[15], 0x0F0000u);
    EXPECT_EQ(tables->green[12], 0x003F00u);
    EXPECT_EQ(tables->blue[12], 0x00003Fu);
    EXPECT_EQ(tables->black, 0u);
    EXPECT_EQ(tables->white, 0xFFFFFFu);
    EXPECT_EQ(tables->transparent, 0xFF00FFu);

    const uint32_t* p = tables->palette;
    EXPECT_EQ(p[0], tables->black);
    EXPECT_EQ(p[1], tables->grey[0]);
    EXPECT_EQ(p[9], 0x7F7F7Fu);  // mid grey
    EXPECT_EQ(p[15], tables->grey[14]);
    EXPECT_EQ(p[16], 0xFF0000u);
    EXPECT_EQ(p[31], 0x0F0000u);
    EXPECT_EQ(p[32], 0x00FF00u);
    EXPECT_EQ(p[48], 0x0000FFu);
    EXPECT_EQ(p[63], 0x00000Fu);
    EXPECT_EQ(p[255], tables->white);
    for (int i = 64; i < 255; ++i) EXPECT_EQ(p[i], tables->black) << i;
}

TEST(BrightnessTable, AveragesTheChannelsOfSixteenBitPixels) {
    const draw::PixelFormat rgb565{0xF800, 0x07E0, 0x001F, 11, 5, 0, 3, 2, 3, 16};
    auto table = std::make_unique<uint8_t[]>(65536);
    video::buildBrightnessTable(rgb565, table.get());
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[0xFFFF], (248 + 252 + 248) / 3);
    EXPECT_EQ(table[0xF800], 248 / 3);
    EXPECT_EQ(table[0x07E0], 252 / 3);
    // Tables for other layouts follow the layout, not a fixed one.
    video::ColourTables t;
    video::buildColourTables(rgb565, t);
    EXPECT_EQ(t.white, 0xFFFFu);
    EXPECT_EQ(t.red[0], 0xF800u);
    EXPECT_EQ(table[t.grey[8]], (120 + 124 + 120) / 3);  // grey 127 keeps 5 or 6 bits a channel
}

}  // namespace

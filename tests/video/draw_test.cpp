// Drawing primitives: hand-computed pixels, clipping far outside the surface, ellipse symmetry,
// bitmaps drawn, stretched and copied.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "video/draw.h"

namespace {

constexpr uint32_t kInk = 0x00ABCDEF;

using Points = std::set<std::pair<int, int>>;

draw::Surface makeSurface(int w, int h) {
    draw::Surface s;
    EXPECT_TRUE(draw::createSurface(s, w, h));
    draw::setColour(s, kInk);
    return s;
}

Points inked(const draw::Surface& s) {
    Points p;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (draw::getPixel(s, x, y) == kInk) p.insert({x, y});
    return p;
}

// The part of `big` seen through a window at (ox, oy) of the small surface's size.
bool sameAsWindow(const draw::Surface& small, const draw::Surface& big, int ox, int oy) {
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            if (draw::getPixel(small, x, y) != draw::getPixel(big, x + ox, y + oy)) return false;
    return true;
}

TEST(Surface, CreationChecksTheSizeAndStartsCleared) {
    draw::Surface s;
    EXPECT_FALSE(draw::createSurface(s, 0, 10));
    EXPECT_EQ(draw::lastErrorCode(), draw::kErrBadSize);
    EXPECT_FALSE(draw::createSurface(s, 10, draw::kMaxSide + 1));
    EXPECT_EQ(s.pixels, nullptr);
    ASSERT_TRUE(draw::createSurface(s, 3, 2));
    EXPECT_EQ(s.maxX(), 2);
    EXPECT_EQ(s.maxY(), 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.pixels[i], 0u);
    // Drawing on an empty surface does nothing.
    draw::Surface empty;
    draw::line(empty, 0, 0, 5, 5);
    draw::fillEllipse(empty, 0, 0, 5, 5);
    draw::clear(empty, 1);
}

TEST(PixelFormat, PacksAndUnpacksChannels) {
    EXPECT_EQ(draw::packColour(draw::kXrgb8888, 0x12, 0x34, 0x56), 0x00123456u);
    EXPECT_EQ(draw::packColour(draw::kXrgb8888, 0x112, -1, 0), 0x0012FF00u);  // low 8 bits only
    int r, g, b;
    draw::unpackColour(draw::kXrgb8888, 0xFF123456u, r, g, b);
    EXPECT_EQ(r * 65536 + g * 256 + b, 0x123456);
    // A 5-6-5 layout keeps the top bits of each channel.
    const draw::PixelFormat rgb565{0xF800, 0x07E0, 0x001F, 11, 5, 0, 3, 2, 3, 16};
    EXPECT_EQ(draw::packColour(rgb565, 255, 255, 255), 0xFFFFu);
    EXPECT_EQ(draw::packColour(rgb565, 0x80, 0x40, 0x20), (0x10u << 11) | (0x10u << 5) | 0x04u);
    draw::unpackColour(rgb565, 0xF800, r, g, b);
    EXPECT_EQ(r, 248);
    EXPECT_EQ(g + b, 0);
}

TEST(Pixels, PutAndGetClipToTheSurface) {
    draw::Surface s = makeSurface(4, 3);
    draw::pixel(s, 3, 2);
    draw::putPixel(s, 0, 0, 7);
    for (int xy : {-1, 4, INT_MIN, INT_MAX}) {
        draw::pixel(s, xy, 1);
        draw::pixel(s, 1, xy);
        EXPECT_EQ(draw::getPixel(s, xy, 0), 0u);
        EXPECT_EQ(draw::getPixel(s, 0, xy), 0u);
    }
    EXPECT_EQ(inked(s), (Points{{3, 2}}));
    EXPECT_EQ(draw::getPixel(s, 0, 0), 7u);
    draw::clear(s, 5);
    EXPECT_EQ(draw::getPixel(s, 3, 2), 5u);
}

TEST(Lines, HandComputedPixels) {
    draw::Surface s = makeSurface(8, 8);
    draw::line(s, 0, 0, 4, 2);  // shallow: y steps at the half-way points
    EXPECT_EQ(inked(s), (Points{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
    draw::clear(s, 0);
    draw::line(s, 6, 7, 5, 3);  // steep, drawn upwards and leftwards
    EXPECT_EQ(inked(s), (Points{{6, 7}, {6, 6}, {5, 5}, {5, 4}, {5, 3}}));
    draw::clear(s, 0);
    draw::line(s, 2, 5, 2, 5);  // a single point
    draw::line(s, 7, 1, 5, 1);  // horizontal, right to left
    draw::line(s, 0, 7, 0, 6);  // vertical
    EXPECT_EQ(inked(s), (Points{{2, 5}, {5, 1}, {6, 1}, {7, 1}, {0, 6}, {0, 7}}));
}

TEST(Lines, ExtremeEndpointsDrawExactlyTheVisiblePart) {
    draw::Surface s = makeSurface(16, 16);
    // The main diagonal of the whole int plane passes through (i, i).
    draw::line(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    Points diagonal;
    for (int i = 0; i < 16; ++i) diagonal.insert({i, i});
    EXPECT_EQ(inked(s), diagonal);

    // A steep line two thousand million pixels long changes column exactly at y = 0.
    draw::clear(s, 0);
    draw::line(s, 5, -1000000000, 6, 1000000000);
    Points column;
    for (int y = 0; y < 16; ++y) column.insert({6, y});
    EXPECT_EQ(inked(s), column);

    // Horizontal and vertical lines across the plane, and lines that never touch the surface.
    draw::clear(s, 0);
    draw::line(s, INT_MIN, 3, INT_MAX, 3);
    draw::line(s, 9, INT_MAX, 9, INT_MIN);
    draw::line(s, INT_MIN, INT_MIN, INT_MAX, INT_MIN);
    draw::line(s, -1000000000, 20, 1000000000, 17);
    // x + y = 31 and x + y = -1 pass just outside the bottom-right and top-left corners.
    draw::line(s, -1000000000, 1000000031, 1000000031, -1000000000);
    draw::line(s, INT_MAX, INT_MIN, INT_MIN, INT_MAX);
    Points cross;
    for (int i = 0; i < 16; ++i) {
        cross.insert({i, 3});
        cross.insert({9, i});
    }
    EXPECT_EQ(inked(s), cross);
}

TEST(Lines, ClippingKeepsThePixelsOfTheUnclippedLine) {
    // Lines drawn on a small surface match the same lines drawn on a surface large enough to hold
    // them whole, seen through a window.
    constexpr int kOffset = 300;
    draw::Surface big = makeSurface(1000, 1000);
    draw::Surface small = makeSurface(64, 48);
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> coord(-kOffset, 699 - kOffset);
    for (int i = 0; i < 3000; ++i) {
        const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        draw::clear(big, 0);
        draw::clear(small, 0);
        draw::line(big, x1 + kOffset, y1 + kOffset, x2 + kOffset, y2 + kOffset);
        draw::line(small, x1, y1, x2, y2);
        ASSERT_TRUE(sameAsWindow(small, big, kOffset, kOffset))
            << "line " << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

TEST(Rectangles, RightAndBottomAreExcluded) {
    draw::Surface s = makeSurface(8, 8);
    draw::fillRect(s, 1, 1, 4, 3);
    EXPECT_EQ(inked(s), (Points{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}));
    draw::clear(s, 0);
    draw::rect(s, 1, 1, 5, 4);
    EXPECT_EQ(inked(s), (Points{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 3}, {2, 3}, {3, 3}, {4, 3},
                                {1, 2}, {4, 2}}));
    draw::clear(s, 0);
    draw::rect(s, 2, 2, 3, 3);  // one pixel
    draw::rect(s, 5, 5, 5, 9);  // empty
    draw::fillRect(s, 6, 6, 4, 7);  // inverted
    EXPECT_EQ(inked(s), (Points{{2, 2}}));
}

TEST(Rectangles, ClipFarOutside) {
    draw::Surface s = makeSurface(8, 8);
    draw::fillRect(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(inked(s).size(), 64u);
    draw::clear(s, 0);
    draw::rect(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // every edge off the surface
    draw::fillRect(s, INT_MIN, 0, 0, 8);
    draw::fillRect(s, 8, 0, INT_MAX, 8);
    EXPECT_TRUE(inked(s).empty());
    draw::rect(s, -5, -5, 8, 8);  // only the right column and bottom row show
    Points corner;
    for (int i = 0; i < 8; ++i) {
        corner.insert({7, i});
        corner.insert({i, 7});
    }
    EXPECT_EQ(inked(s), corner);
}

TEST(Ellipses, HandComputedCircle) {
    draw::Surface s = makeSurface(11, 11);
    draw::fillEllipse(s, 5, 5, 2, 2);
    Points disc;
    for (int dy = -2; dy <= 2; ++dy) {
        const int w = dy == -2 || dy == 2 ? 1 : 2;
        for (int dx = -w; dx <= w; ++dx) disc.insert({5 + dx, 5 + dy});
    }
    EXPECT_EQ(inked(s), disc);

    draw::clear(s, 0);
    draw::ellipse(s, 5, 5, 2, 2);
    EXPECT_EQ(inked(s), (Points{{4, 3}, {5, 3}, {6, 3}, {4, 7}, {5, 7}, {6, 7}, {3, 4}, {7, 4},
                                {3, 5}, {7, 5}, {3, 6}, {7, 6}}));

    draw::clear(s, 0);
    draw::fillEllipse(s, 1, 1, 0, 0);  // radius 0: the centre
    draw::ellipse(s, 8, 5, 0, 2);      // a vertical line of 5
    draw::ellipse(s, 3, 3, -1, 4);     // negative radius: nothing
    EXPECT_EQ(inked(s), (Points{{1, 1}, {8, 3}, {8, 4}, {8, 5}, {8, 6}, {8, 7}}));
}

TEST(Ellipses, AreSymmetricAndTheOutlineBoundsTheFill) {
    draw::Surface fill = makeSurface(81, 61);
    draw::Surface edge = makeSurface(81, 61);
    for (int rx = 0; rx <= 30; ++rx)
        for (int ry = 0; ry <= 25; ry += (ry < 6 ? 1 : 3)) {
            draw::clear(fill, 0);
            draw::clear(edge, 0);
            draw::fillEllipse(fill, 40, 30, rx, ry);
            draw::ellipse(edge, 40, 30, rx, ry);
            const Points f = inked(fill), e = inked(edge);
            for (const auto& [x, y] : f) {
                const int mx = 80 - x, my = 60 - y;
                ASSERT_TRUE(f.count({mx, y}) && f.count({x, my})) << rx << "x" << ry;
                ASSERT_LE(std::abs(x - 40), rx);
                ASSERT_LE(std::abs(y - 30), ry);
                // A filled pixel is on the outline exactly when a 4-neighbour is not filled.
                const bool border = !f.count({x + 1, y}) || !f.count({x - 1, y}) ||
                                    !f.count({x, y + 1}) || !f.count({x, y - 1});
                ASSERT_EQ(border, e.count({x, y}) == 1) << rx << "x" << ry << " at " << x << "," << y;
            }
            ASSERT_EQ(f.count({40 + rx, 30}) + f.count({40, 30 + ry}), 2u);  // reaches its radii
            for (const auto& p : e) ASSERT_TRUE(f.count(p));
            if (rx == ry) {
                for (const auto& [x, y] : f) ASSERT_TRUE(f.count({y + 10, x - 10}));  // transposed
            }
        }
}

TEST(Ellipses, ClippingKeepsThePixelsOfTheWholeEllipse) {
    constexpr int kOffset = 300;
    draw::Surface big = makeSurface(800, 800);
    draw::Surface small = makeSurface(50, 40);
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> centre(-150, 200), radius(0, 150);
    for (int i = 0; i < 400; ++i) {
        const int cx = centre(rng), cy = centre(rng), rx = radius(rng), ry = radius(rng);
        for (bool filled : {false, true}) {
            draw::clear(big, 0);
            draw::clear(small, 0);
            auto shape = filled ? draw::fillEllipse : draw::ellipse;
            shape(big, cx + kOffset, cy + kOffset, rx, ry);
            shape(small, cx, cy, rx, ry);
            ASSERT_TRUE(sameAsWindow(small, big, kOffset, kOffset))
                << (filled ? "filled " : "outline ") << cx << "," << cy << " r " << rx << "," << ry;
        }
    }
}

TEST(Ellipses, HugeAndFarAwayEllipses) {
    draw::Surface s = makeSurface(16, 16);
    // The surface lies inside: the fill covers it, the outline misses it.
    draw::fillEllipse(s, 0, 0, INT_MAX, INT_MAX);
    EXPECT_EQ(inked(s).size(), 256u);
    draw::clear(s, 0);
    draw::ellipse(s, 8, 8, INT_MAX, INT_MAX);
    draw::ellipse(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    // The surface lies in the corner of the bounding box, outside the ellipse.
    draw::fillEllipse(s, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    draw::fillEllipse(s, INT_MIN, 8, 1000, 1000);
    EXPECT_TRUE(inked(s).empty());
    // A huge circle whose rim crosses the surface: its top edge is the row y = 0.
    draw::ellipse(s, 8, 1000000000, 1000000000, 1000000000);
    Points rim;
    for (int x = 0; x < 16; ++x) rim.insert({x, 0});
    EXPECT_EQ(inked(s), rim);
    // Same circle filled: everything from that row down.
    draw::fillEllipse(s, 8, 1000000000, 1000000000, 1000000000);
    EXPECT_EQ(inked(s).size(), 256u);
}

// ---- Bitmaps ----------------------------------------------------------------------------------

draw::BitmapPtr numbered(int w, int h) {
    draw::BitmapPtr b = draw::createBitmap(w, h);
    for (int i = 0; i < w * h; ++i) b->pixels[i] = 100 + i;
    return b;
}

TEST(Bitmaps, DrawClipsAtEveryEdge) {
    draw::BitmapPtr b = numbered(3, 2);
    draw::Surface s = makeSurface(4, 4);
    draw::drawBitmap(s, *b, -1, 3);  // only the top row's last two pixels show
    EXPECT_EQ(draw::getPixel(s, 0, 3), 101u);
    EXPECT_EQ(draw::getPixel(s, 1, 3), 102u);
    draw::drawBitmap(s, *b, 2, 0);
    EXPECT_EQ(draw::getPixel(s, 2, 0), 100u);
    EXPECT_EQ(draw::getPixel(s, 3, 1), 104u);
    draw::drawBitmap(s, *b, INT_MIN, INT_MIN);
    draw::drawBitmap(s, *b, INT_MAX, 0);
    draw::drawBitmap(s, *b, 4, 0);
    int set = 0;
    for (int i = 0; i < 16; ++i) set += s.pixels[i] != 0;
    EXPECT_EQ(set, 6);
}

TEST(Bitmaps, KeyedDrawingLeavesTheKeyColourOut) {
    draw::BitmapPtr b = numbered(2, 2);
    b->pixels[1] = 0xFF00FF;
    draw::Surface s = makeSurface(2, 2);
    draw::clear(s, 9);
    draw::drawBitmapKeyed(s, *b, 0, 0, 0xFF00FF);
    EXPECT_EQ(draw::getPixel(s, 0, 0), 100u);
    EXPECT_EQ(draw::getPixel(s, 1, 0), 9u);
    EXPECT_EQ(draw::getPixel(s, 1, 1), 103u);
}

TEST(Bitmaps, StretchScalesByNearestPixelAndClips) {
    draw::BitmapPtr b = numbered(2, 2);
    draw::Surface s = makeSurface(6, 6);
    draw::stretchBitmap(s, *b, 0, 0, 4, 4);  // each pixel becomes a 2 × 2 block
    EXPECT_EQ(draw::getPixel(s, 1, 1), 100u);
    EXPECT_EQ(draw::getPixel(s, 2, 1), 101u);
    EXPECT_EQ(draw::getPixel(s, 1, 3), 102u);
    EXPECT_EQ(draw::getPixel(s, 3, 3), 103u);
    EXPECT_EQ(draw::getPixel(s, 4, 4), 0u);

    draw::BitmapPtr wide = numbered(4, 1);
    draw::clear(s, 0);
    draw::stretchBitmap(s, *wide, 0, 5, 2, 6);  // shrinks to pixels 0 and 2
    EXPECT_EQ(draw::getPixel(s, 0, 5), 100u);
    EXPECT_EQ(draw::getPixel(s, 1, 5), 102u);

    // Partly off the surface: the visible part is what the whole stretch would show there.
    draw::Surface whole = makeSurface(40, 40);
    draw::Surface part = makeSurface(6, 6);
    draw::BitmapPtr odd = numbered(5, 3);
    draw::stretchBitmap(whole, *odd, 3, 5, 3 + 17, 5 + 11);
    draw::stretchBitmap(part, *odd, 3 - 10, 5 - 8, 3 + 17 - 10, 5 + 11 - 8);
    EXPECT_TRUE(sameAsWindow(part, whole, 10, 8));
    draw::stretchBitmap(part, *odd, INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // no overflow
}

TEST(Bitmaps, StretchConvertsThePixelFormat) {
    const draw::PixelFormat bgr{0x000000FF, 0x0000FF00, 0x00FF0000, 0, 8, 16, 0, 0, 0, 32};
    draw::BitmapPtr b = draw::createBitmap(1, 1);
    b->pixels[0] = draw::packColour(draw::kXrgb8888, 1, 2, 3);
    draw::Surface s;
    ASSERT_TRUE(draw::createSurface(s, 1, 1, bgr));
    draw::stretchBitmap(s, *b, 0, 0, 1, 1);
    EXPECT_EQ(s.pixels[0], 0x00030201u);
}

TEST(Bitmaps, FromSurfaceCopiesTheClippedRectangle) {
    draw::Surface s = makeSurface(4, 3);
    for (int i = 0; i < 12; ++i) s.pixels[i] = i;
    draw::BitmapPtr b = draw::bitmapFromSurface(s, 2, -5, 100, 2);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width, 2);
    EXPECT_EQ(b->height, 2);
    EXPECT_EQ(b->pixels[0], 2u);
    EXPECT_EQ(b->pixels[3], 7u);
    EXPECT_FALSE(draw::bitmapFromSurface(s, 4, 0, 9, 3));
    EXPECT_EQ(draw::lastErrorCode(), draw::kErrEmptyRect);
    EXPECT_FALSE(draw::bitmapFromSurface(s, 2, 2, 2, 3));
}

}  // namespace

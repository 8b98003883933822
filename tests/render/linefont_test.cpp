// The line font: glyph placement, small capitals, escapes, spaces and newlines, and fonts whose
// directory points outside the file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "render/linefont.h"
#include "video/draw.h"

namespace {

struct Stroke {
    double x0, y0, x1, y1;
};

// A font image: glyph i gets the listed strokes.
class FontBuilder {
public:
    std::vector<uint8_t> bytes = std::vector<uint8_t>(render::kLineFontStrokeTable, 0);
    int strokes = 0;

    void glyph(int index, const std::vector<Stroke>& list) {
        setEntry(index, strokes, static_cast<int32_t>(list.size()));
        for (const Stroke& s : list) {
            const size_t at = bytes.size();
            bytes.resize(at + 32);
            std::memcpy(&bytes[at], &s, 32);
            ++strokes;
        }
    }
    void setEntry(int index, int32_t first, int32_t count) {
        std::memcpy(&bytes[index * 8], &first, 4);
        std::memcpy(&bytes[index * 8 + 4], &count, 4);
    }
};

class LineFontTest : public ::testing::Test {
protected:
    static constexpr uint32_t kInk = 0xABCDEF;
    FontBuilder font;
    draw::Surface s;

    void SetUp() override {
        ASSERT_TRUE(draw::createSurface(s, 200, 100));
        font.glyph('A', {{0, 0, 0, 5}});                 // a vertical bar 5 units high
        font.glyph('B', {{0, 0, 4, 0}});                 // a horizontal bar 4 units wide
        font.glyph('A' + 128 + 0, {{0, 0, 3, 3}});       // glyph 193: a diagonal
        font.glyph('!', {{1, 0, 1, 1}, {-2, 2, 0, 2}});  // negative x do not count for advance
        ASSERT_EQ(render::attachLineFont(font.bytes.data(), font.bytes.size()), 1);
    }
    void TearDown() override { render::attachLineFont(nullptr, 0); }

    std::vector<std::pair<int, int>> inked() const {
        std::vector<std::pair<int, int>> out;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                if (draw::getPixel(s, x, y) == kInk) out.emplace_back(x, y);
        return out;
    }
};

TEST_F(LineFontTest, CapitalAtScaleAndSmallCapitalBelowIt) {
    const int end = render::drawText(s, 10, 20, 2.0, kInk, "Ab");
    // "A" at 2.0: a bar from (10, 20) to (10, 30); it advances by its widest x (0) + 2.
    for (int y = 20; y <= 30; ++y) EXPECT_EQ(draw::getPixel(s, 10, y), kInk) << y;
    EXPECT_NE(draw::getPixel(s, 10, 31), kInk);
    // "b": the capital B at 1.4, 3 pixels lower: from (12, 23) to (12 + trunc(5.6), 23).
    for (int x = 12; x <= 17; ++x) EXPECT_EQ(draw::getPixel(s, x, 23), kInk) << x;
    EXPECT_NE(draw::getPixel(s, 18, 23), kInk);
    EXPECT_EQ(inked().size(), 11u + 6u);
    EXPECT_EQ(end, 12 + 5 + 2);
}

TEST_F(LineFontTest, EscapeUsesTheUpperGlyphs) {
    render::drawText(s, 50, 50, 2.0, kInk, "&A");
    // Glyph 193: a diagonal from (50, 50) to (56, 56), and nothing of the bar of "A".
    for (int d = 0; d <= 6; ++d) EXPECT_EQ(draw::getPixel(s, 50 + d, 50 + d), kInk);
    EXPECT_EQ(inked().size(), 7u);
    // A trailing escape draws nothing; an escape past glyph 255 is a space.
    draw::clear(s, 0);
    EXPECT_EQ(render::drawText(s, 0, 0, 2.0, kInk, "&"), 0);
    EXPECT_EQ(render::drawText(s, 0, 0, 2.0, kInk, "&\xC1"), 10);
    EXPECT_TRUE(inked().empty());
}

TEST_F(LineFontTest, SpacesNewlinesAndUnknownGlyphs) {
    // Space, glyphs without strokes and control characters advance by trunc(5s).
    EXPECT_EQ(render::drawText(s, 0, 0, 2.0, kInk, " C\x01"), 30);
    EXPECT_EQ(render::drawText(s, 0, 0, 3.0, kInk, " "), 15);
    // Upper-half characters outside an escape are spaces.
    EXPECT_EQ(render::drawText(s, 0, 0, 2.0, kInk, "\xC1"), 10);
    EXPECT_TRUE(inked().empty());
    // A newline returns to the start x one line (trunc(6s)) lower.
    render::drawText(s, 40, 10, 2.0, kInk, "B\nA");
    EXPECT_EQ(draw::getPixel(s, 40, 10), kInk);
    EXPECT_EQ(draw::getPixel(s, 48, 10), kInk);
    for (int y = 22; y <= 32; ++y) EXPECT_EQ(draw::getPixel(s, 40, y), kInk);
    // Advance: the widest truncated x of the strokes, never negative, plus 2.
    EXPECT_EQ(render::drawText(s, 100, 60, 2.0, kInk, "!"), 104);
}

TEST_F(LineFontTest, BrokenDirectoryEntriesDrawNothing) {
    font.setEntry('A', font.strokes - 1, 2);   // runs past the end of the file
    font.setEntry('B', -1, 1);                  // negative first stroke
    font.setEntry('!', 0, -5);                  // negative count
    font.setEntry('#', 0x7FFFFFFF, 0x7FFFFFFF);
    render::attachLineFont(font.bytes.data(), font.bytes.size());
    EXPECT_EQ(render::drawText(s, 0, 0, 2.0, kInk, "AB!#"), 40);
    EXPECT_TRUE(inked().empty());
    // Too short for the directory: no font.
    EXPECT_EQ(render::attachLineFont(font.bytes.data(), 100), 0);
    EXPECT_EQ(render::drawText(s, 0, 0, 2.0, kInk, "A"), 10);
    EXPECT_TRUE(inked().empty());
}

TEST_F(LineFontTest, WildCoordinatesAndScalesStayBounded) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    FontBuilder wild;
    wild.glyph('A', {{inf, -inf, nan, 1e300}, {0, 0, 1e18, 0}});
    render::attachLineFont(wild.bytes.data(), wild.bytes.size());
    render::drawText(s, 0, 50, 2.0, kInk, "AAAA\nA");
    render::drawText(s, 0, 50, 1e300, kInk, "A A");
    render::drawText(s, 0, 50, nan, kInk, "A A");
    render::drawText(s, INT32_MAX, INT32_MIN, 2.0, kInk, "AAAA");
    SUCCEED();
}

}  // namespace

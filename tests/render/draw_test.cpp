// The draw loop: sort order, projection and near limit, star drawing, picking, hovering,
// locking, the lock marks and the SkyList lookup.
#include <algorithm>
#include <random>
#include <vector>

#include "base/zode.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "render_fixture.h"

namespace {

using render::lists;

TEST(SkySort, AscendingForAnyInput) {
    std::mt19937 rng(3);
    const int n = 50000;
    std::vector<render::SkyListItem> items(n);
    auto check = [&](const char* what) {
        render::sortSkyItems(items.data(), n);
        EXPECT_TRUE(std::is_sorted(items.begin(), items.end(),
                                   [](const auto& a, const auto& b) { return a.distance < b.distance; }))
            << what;
    };
    std::uniform_real_distribution<double> d(0, 1000);
    for (int i = 0; i < n; ++i) items[i] = {1, static_cast<uint32_t>(i), d(rng)};
    check("random");
    check("already sorted");
    std::reverse(items.begin(), items.end());
    check("reversed");
    for (int i = 0; i < n; ++i) items[i].distance = static_cast<double>(i % 7);
    check("few distinct keys");
    for (auto& it : items) it.distance = 1.5;
    check("all equal");
    // The sort moves items whole: every entry index is still there once.
    std::vector<bool> seen(n, false);
    for (const auto& it : items) seen[it.entry] = true;
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));
    render::sortSkyItems(items.data(), 0);
    render::sortSkyItems(items.data(), 1);
}

class DrawTest : public rtest::RenderFixture {};

TEST_F(DrawTest, PointStarTakesItsRampColourAtItsProjectedPixel) {
    addStar(7, 100, 50, 10.0, 77, 0, 40);
    drawFrame();
    EXPECT_EQ(at(100, 50), ramp(40, 77));
    EXPECT_EQ(countPixels(ramp(40, 77)), 1);
}

TEST_F(DrawTest, NearerItemsCoverFartherOnes) {
    addStar(1, 60, 60, 5.0, 30);   // near
    addStar(2, 60, 60, 50.0, 200); // far, same pixel
    sort();
    drawFrame();
    EXPECT_EQ(at(60, 60), ramp(128, 30));
}

TEST_F(DrawTest, ItemsAtOrBehindTheNearLimitAreSkipped) {
    render::SkyLists& l = lists();
    addStar(1, kCx, kCy, 1.0, 99);
    // Straight ahead but with depth exactly at zclip, and behind the camera.
    l.stars.items[0].dir = {0, 0, cam().zclip};
    addStar(2, kCx, kCy, 2.0, 99);
    l.stars.items[1].dir = {0, 0, -vmath::kSkyRadius};
    drawFrame();
    EXPECT_EQ(countPixels(ramp(128, 99)), 0);
    // A far-off-axis point just in front of the limit projects off screen, without overflow.
    l.stars.items[0].dir = {1e300, -1e300, cam().zclip * 1.0000001};
    drawFrame();
    EXPECT_EQ(countPixels(ramp(128, 99)), 0);
}

TEST_F(DrawTest, BrightStarsAreGlowsOfTheirSize) {
    // A small glow image of all 200s: the 4r × 4r square is filled.
    static std::vector<uint8_t> glow(72 * 72, 200);
    render::attachSprite(render::kGlowSmall, glow.data(), glow.size());
    addStar(3, 100, 100, 10.0, 2, render::kStarBright, 60);
    drawFrame();
    EXPECT_EQ(countPixels(ramp(60, 200)), 64);
    EXPECT_EQ(at(96, 96), ramp(60, 200));
    EXPECT_EQ(at(103, 103), ramp(60, 200));
    EXPECT_NE(at(104, 100), ramp(60, 200));
    render::attachSprite(render::kGlowSmall, nullptr, 0);
}

class PickTest : public rtest::RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        input::pointer.x = 150;
        input::pointer.y = 100;
    }
};

TEST_F(PickTest, NearestToThePointerBecomesHover) {
    addStar(11, 154, 100, 30.0);  // 4 px
    addStar(12, 150, 97, 10.0);   // 3 px, drawn later
    sort();
    drawFrame();
    EXPECT_EQ(cam().hover, 12);
    EXPECT_EQ(cam().lock, -1);
}

TEST_F(PickTest, TieKeepsTheStarDrawnFirstTheFarther) {
    addStar(21, 153, 100, 10.0);
    addStar(22, 147, 100, 30.0);
    sort();
    drawFrame();
    EXPECT_EQ(cam().hover, 22);
}

TEST_F(PickTest, ExactlyFivePixelsAwaySelectsNothing) {
    addStar(31, 155, 100, 10.0);
    addStar(32, 147, 104, 20.0);  // 3² + 4² = 25
    sort();
    input::pointer.leftClick = 1;
    drawFrame();
    EXPECT_EQ(cam().hover, -1);
    EXPECT_EQ(cam().lock, -1);
    EXPECT_EQ(input::pointer.leftClick, 0) << "a click on empty sky is used up";
    // One pixel nearer it is picked.
    input::pointer.x = 148;
    drawFrame();
    EXPECT_EQ(cam().hover, 32);
}

TEST_F(PickTest, ClickLocksWithEventAndBlink) {
    ASSERT_EQ(zode::start(), 1);
    static int32_t lastSelect = -100, selects = 0, hovers = 0;
    lastSelect = -100;
    selects = hovers = 0;
    zode::Request req{0, reinterpret_cast<const void*>(+[](zode::Message* m) -> int32_t {
                          if (m->code == zode::kEventSelect) {
                              lastSelect = static_cast<int32_t>(m->a1);
                              ++selects;
                          }
                          if (m->code == zode::kEventHover) ++hovers;
                          return 0;
                      }),
                      zode::kDirect, nullptr};
    const int obj = zode::registerObject(&req);
    zode::createEventType(zode::kEventSelect);
    zode::createEventType(zode::kEventHover);
    zode::subscribe(zode::kEventSelect, obj);
    zode::subscribe(zode::kEventHover, obj);

    addStar(41, 151, 101, 10.0);
    drawFrame();
    EXPECT_EQ(hovers, 1);
    EXPECT_EQ(cam().lock, -1);
    input::pointer.leftClick = 1;
    drawFrame();
    EXPECT_EQ(cam().lock, 41);
    EXPECT_EQ(cam().lockBlink, 16);
    EXPECT_EQ(camera::lockChanged, 1);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(lastSelect, 41);
    EXPECT_EQ(hovers, 1) << "the locking frame raises no hover";
    zode::stop();
}

TEST_F(PickTest, PointerOverAWindowOrTheToolbarPicksNothing) {
    addStar(51, 150, 100, 10.0);
    for (int* flag : {&input::pointerOverWindow, &input::pointerOverToolbar}) {
        *flag = 1;
        input::pointer.leftClick = 1;
        drawFrame();
        EXPECT_EQ(cam().lock, -1);
        EXPECT_EQ(cam().hover, -1);
        EXPECT_EQ(input::pointer.leftClick, 1) << "the click is left to the window";
        *flag = 0;
    }
}

TEST_F(PickTest, LockHighlightShrinksOverSixteenFramesThenStays) {
    addStar(61, 100, 100, 10.0);
    cam().lock = 61;
    cam().lockBlink = 16;
    const uint32_t red = palette(16);
    std::vector<int> sizes;
    for (int frame = 1; frame <= 18; ++frame) {
        draw::clear(surface, 0);
        drawFrame();
        // The square's top edge: the half-size is the distance from the star to that row.
        int h = -1;
        for (int d = 1; d <= 100; ++d)
            if (at(100, 100 - d) == red && at(100 + d, 100 - d) == red && at(100 - d, 100 + d) == red) {
                h = d;
                break;
            }
        sizes.push_back(h);
    }
    std::vector<int> expected;
    for (int b = 16; b >= 1; --b) expected.push_back(4 * b);
    expected.push_back(4);
    expected.push_back(4);
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(cam().lockBlink, 0);
}

TEST_F(PickTest, ViewLockMarkIsASmallGreenSquare) {
    addStar(71, 100, 100, 10.0);
    cam().vLock = 71;
    drawFrame();
    const uint32_t green = palette(32);
    EXPECT_EQ(at(96, 96), green);
    EXPECT_EQ(at(104, 104), green);
    EXPECT_EQ(at(104, 100), green);
    EXPECT_EQ(countPixels(green), 32);
    // Not drawn when the view-locked star is not in the frame.
    draw::clear(surface, 0);
    cam().vLock = 72;
    drawFrame();
    EXPECT_EQ(countPixels(green), 0);
}

TEST_F(DrawTest, SkyListLookupAndCounts) {
    addStar(0x1234, 10, 10, 3.0);
    render::TextEntry& t = *lists().texts.add();
    t = render::TextEntry{};
    render::addSkyItem(render::kSkyText, 0, 4.0);
    EXPECT_EQ(render::skyListObject(0), 0x1234);
    EXPECT_EQ(render::skyListObject(1), -2);
    EXPECT_EQ(render::skyListObject(2), -1);
    EXPECT_EQ(render::skyListObject(-1), -1);
    const render::ListCounts c = render::listCounts();
    EXPECT_EQ(c.sky, 2);
    EXPECT_EQ(c.stars, 1);
    EXPECT_EQ(c.texts, 1);
    EXPECT_EQ(c.lines + c.deepSky + c.spots + c.nebulaPoints, 0);
}

}  // namespace

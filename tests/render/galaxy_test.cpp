// The galaxy: which cells of the maps become spots from where, their look, and the drawing of a
// spot as an outline or as the sampled lattice of its image.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "render_fixture.h"
#include "support/synthcatalog.h"

namespace {

using render::lists;

const Vector3 kCentre{-144.498344, -24545.790404, -13471.57354};
const Vector3 kU{-0.005161, -0.876635, -0.481128}, kV{-0.49503, 0.419812, -0.759605};

Vector3 planeNormal() {
    Vector3 n = vmath::cross(kU, kV);
    vmath::normalize(n);
    return n;
}

class GalaxyTest : public rtest::RenderFixture {
protected:
    synth::SynthCatalog cat;

    void maps(uint8_t brightness, uint8_t second, size_t size = 4097) {
        cat.brightnessMap.assign(size, brightness);
        cat.secondMap.assign(size, second);
    }
    void collect(const Vector3& eye) {
        cat.attach();
        cam().IPos = eye;
        cam().flags = camera::kFlagGalaxy;
        render::buildScene(cam());
    }
    double farthest() const {
        double d = 0;
        for (int i = 0; i < lists().sky.count; ++i) d = std::max(d, lists().sky.items[i].distance);
        return d;
    }
    double nearest() const {
        double d = 1e300;
        for (int i = 0; i < lists().sky.count; ++i) d = std::min(d, lists().sky.items[i].distance);
        return d;
    }
};

TEST_F(GalaxyTest, TheFarLimitGrowsWithTheHeightAboveThePlaneAndVanishesOutside) {
    maps(100, 10);
    collect({0, 0, 0});
    ASSERT_GT(lists().spots.count, 0);
    EXPECT_LT(farthest(), 12000.0) << "in the plane: 12,000 ly";
    EXPECT_GT(farthest(), 11000.0);
    EXPECT_GT(nearest(), 1562.5) << "the cells round the camera are left out";
    const int inPlane = lists().spots.count;

    collect(vmath::operator*(planeNormal(), 100.0));
    EXPECT_LT(farthest(), 17000.0) << "100 ly above the plane: 12,000 + 50 × 100";
    EXPECT_GT(farthest(), 16000.0);
    EXPECT_GT(lists().spots.count, inPlane);

    // 60,000 ly from the centre, along the plane's normal: every cell is far enough.
    collect(vmath::operator+(kCentre, vmath::operator*(planeNormal(), 60000.0)));
    EXPECT_EQ(lists().spots.count, 63 * 63);
    EXPECT_EQ(lists().sky.count, 63 * 63);
}

TEST_F(GalaxyTest, SpotsTakeTheirKindColourLevelAndSizeFromTheMaps) {
    const Vector3 outside = vmath::operator+(kCentre, vmath::operator*(planeNormal(), 60000.0));
    struct Case {
        uint8_t b, k;
        int subtype, colourClass;
    } cases[] = {{63, 39, 0, 100}, {64, 39, 1, 100}, {200, 40, 2, 32}, {20, 255, 2, 32}};
    for (const Case& c : cases) {
        maps(c.b, c.k);
        collect(outside);
        ASSERT_GT(lists().spots.count, 0);
        const render::SpotEntry& e = lists().spots.items[lists().sky.items[0].entry];
        const double d = lists().sky.items[0].distance;
        EXPECT_EQ(e.subtype, c.subtype) << int(c.b) << "/" << int(c.k);
        EXPECT_EQ(e.colourClass, c.colourClass);
        EXPECT_EQ(e.level, c.b);
        EXPECT_NEAR(e.size, 1562.5 / d * (c.k + 21) * 40, 1.0);
        EXPECT_NEAR(std::sqrt(vmath::lengthSquared(e.dir)), vmath::kSkyRadius, vmath::kSkyRadius * 1e-5);
    }
    maps(0, 50);
    collect(outside);
    EXPECT_EQ(lists().spots.count, 0) << "empty cells";
    maps(100, 10, 4096);
    collect(outside);
    EXPECT_EQ(lists().spots.count, 0) << "maps too short for their last cell give no galaxy";
    maps(100, 10);
    cat.attach();
    cam().flags = camera::kFlagStars;
    render::buildScene(cam());
    EXPECT_EQ(lists().spots.count, 0) << "galaxy off";
}

// The shipped maps from the Sun: the band is brightest towards the galactic centre.
TEST_F(GalaxyTest, FromTheSunTheMilkyWayIsBrightestTowardsSagittarius) {
    auto shipped = [](const char* name) {
        std::ifstream in(std::string(VYREX_SOURCE_DIR) + "/data/catalog/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string bmap = shipped("galactic.bmap"), hmap = shipped("galactic.hmap");
    ASSERT_GE(bmap.size(), 4097u);
    cat.brightnessMap.assign(bmap.begin(), bmap.end());
    cat.secondMap.assign(hmap.begin(), hmap.end());
    collect({0, 0, 0});
    ASSERT_GT(lists().spots.count, 50);
    double inward = 0, outward = 0;
    for (int i = 0; i < lists().spots.count; ++i) {
        const render::SpotEntry& e = lists().spots.items[i];
        (vmath::dot(e.dir, kU) > 0 ? inward : outward) += e.level;
        // In the plane: the directions have no part along its normal.
        EXPECT_NEAR(vmath::dot(e.dir, planeNormal()) / vmath::kSkyRadius, 0.0, 1e-3);
    }
    EXPECT_GT(inward, 1.3 * outward);
}

class GalaxyDrawTest : public rtest::RenderFixture {
protected:
    std::vector<uint8_t> image = std::vector<uint8_t>(128 * 128, 10);
    void SetUp() override {
        RenderFixture::SetUp();
        for (auto id : {render::kSpot0, render::kSpot1, render::kSpot2})
            render::attachSprite(id, image.data(), image.size());
    }
    void TearDown() override {
        for (auto id : {render::kSpot0, render::kSpot1, render::kSpot2}) render::attachSprite(id, nullptr, 0);
        RenderFixture::TearDown();
    }
    render::SpotEntry spot(int subtype, int level) const {
        render::SpotEntry e{};
        e.subtype = static_cast<uint8_t>(subtype);
        e.colourClass = 100;
        e.level = static_cast<uint8_t>(level);
        return e;
    }
    int lit() const { return kWidth * kHeight - countPixels(0); }
};

TEST_F(GalaxyDrawTest, WithoutTextureASpotIsItsOutline) {
    render::drawGalaxySpot(surface, spot(0, 77), 100, 100, 20, false);
    EXPECT_EQ(at(110, 100), ramp(100, 77));
    EXPECT_EQ(at(100, 90), ramp(100, 77));
    EXPECT_EQ(at(100, 100), 0u);
}

TEST_F(GalaxyDrawTest, TheTexturedLatticeThinsWithTheSpotsSize) {
    // Samples of 10 under a level of 200: dots of 10, above the threshold 4 of sub-type 0.
    render::drawGalaxySpot(surface, spot(0, 200), 100, 100, 32, true);
    EXPECT_EQ(lit(), 8 * 8);
    EXPECT_EQ(at(84, 84), ramp(100, 10)) << "the lattice's corner at (x − n/2, y − n/2)";
    draw::clear(surface, 0);
    render::drawGalaxySpot(surface, spot(0, 200), 100, 100, 48, true);
    EXPECT_EQ(lit(), 16 * 16);
    draw::clear(surface, 0);
    render::drawGalaxySpot(surface, spot(0, 200), 100, 100, 96, true);
    EXPECT_EQ(lit(), 32 * 32);
    EXPECT_EQ(at(52, 52), ramp(100, 10));
    EXPECT_EQ(at(55, 52), ramp(100, 10)) << "dots n / 32 = 3 pixels apart";
    draw::clear(surface, 0);

    // Thresholds by sub-type, the level as a ceiling, and the spots that are not drawn at all.
    render::drawGalaxySpot(surface, spot(1, 200), 100, 100, 32, true);
    EXPECT_EQ(lit(), 0) << "10 is not above the threshold 16 of sub-type 1";
    render::drawGalaxySpot(surface, spot(2, 200), 100, 100, 32, true);
    EXPECT_EQ(lit(), 64) << "but above 8, sub-type 2's";
    draw::clear(surface, 0);
    std::fill(image.begin(), image.end(), 250);
    render::drawGalaxySpot(surface, spot(0, 40), 100, 100, 32, true);
    EXPECT_EQ(countPixels(ramp(100, 40)), 64) << "a dot takes the smaller of level and sample";
    draw::clear(surface, 0);
    render::drawGalaxySpot(surface, spot(0, 31), 100, 100, 32, true);
    render::drawGalaxySpot(surface, spot(0, 200), 100, 100, 1, true);
    render::drawGalaxySpot(surface, spot(0, 200), 100, 100, kWidth, true);
    EXPECT_EQ(lit(), 0) << "too faint, too small, wider than the picture";
    render::drawGalaxySpot(surface, spot(0, 200), 100, 100, kWidth - 1, true);
    EXPECT_GT(lit(), 0) << "as wide as the largest x still drawn";
}

}  // namespace

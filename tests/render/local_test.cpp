// The local-space chart: exactly the stars within vradius (against a brute-force scan), the
// disc sizes, the deep-sky objects and nebula points of the chart, its sphere and axes, the
// legend, and drawing and picking in the chart's own projection.
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "base/settings.h"
#include "catalog/catalog.h"
#include "render/nebulae.h"
#include "render/sky_internal.h"
#include "render_fixture.h"
#include "support/synthcatalog.h"

namespace {

using render::lists;

class LocalTest : public rtest::RenderFixture {
protected:
    synth::SynthCatalog cat;
    int savedDiscMode = 0;

    void SetUp() override {
        RenderFixture::SetUp();
        savedDiscMode = settings::LSmagDiam;
    }
    void TearDown() override {
        settings::LSmagDiam = savedDiscMode;
        for (int slot = 0; slot < render::kNebulaSlots; ++slot)
            render::attachNebula(slot, nullptr, 0, nullptr, 0, draw::kXrgb8888);
        RenderFixture::TearDown();
    }
    void build(const Vector3& eye, double vradius, uint32_t flags) {
        cat.attach();
        render::catalogueChanged();
        cam().IPos = eye;
        cam().vradius = vradius;
        cam().flags = flags;
        cam().mode = camera::kModeLocalSpace;
        render::buildScene(cam());
    }
    std::set<int32_t> stars() const {
        std::set<int32_t> ids;
        for (int i = 0; i < lists().stars.count; ++i) ids.insert(lists().stars.items[i].id);
        return ids;
    }
    const render::DeepSkyEntry* entryOf(catalog::ObjectId id) const {
        for (int i = 0; i < lists().deepSky.count; ++i)
            if (static_cast<catalog::ObjectId>(lists().deepSky.items[i].id) == id) return &lists().deepSky.items[i];
        return nullptr;
    }
    double skyDistanceOf(render::SkyKind kind, int entry) const {
        for (int i = 0; i < lists().sky.count; ++i)
            if (lists().sky.items[i].kind == kind && static_cast<int>(lists().sky.items[i].entry) == entry)
                return lists().sky.items[i].distance;
        return -1;
    }
};

TEST_F(LocalTest, TheChartHoldsExactlyTheStarsWithinItsRadius) {
    std::mt19937 rng(21);
    std::uniform_real_distribution<double> unit(-1, 1), mag(-8, 18);
    for (int i = 0; i < 20000; ++i) {
        const double scale = i % 4 == 0 ? 3000 : i % 4 == 1 ? 300 : 40;
        cat.addStar({unit(rng) * scale, unit(rng) * scale, unit(rng) * scale}, mag(rng), unit(rng), catalog::kNoSpectral,
                    synth::hipCode(i + 1));
    }
    // A star exactly on the sphere of the first camera: d² = 144 is inside.
    cat.addStar({12, 0, 0}, 5, 0, catalog::kNoSpectral, synth::hipCode(90000));
    cat.buildTree(8);
    struct Case {
        Vector3 eye;
        double vradius;
    };
    std::vector<Case> cases = {{{0, 0, 0}, 12}, {{0, 0, 0}, 50}, {{250, -100, 30}, 40}, {{5, 5, 5}, 1}};
    for (int i = 0; i < 12; ++i) cases.push_back({{unit(rng) * 400, unit(rng) * 400, unit(rng) * 400}, 5 + 100 * (unit(rng) + 1)});
    for (const Case& c : cases) {
        build(c.eye, c.vradius, camera::kFlagStars);
        std::set<int32_t> expected;
        for (size_t s = 0; s < cat.stars.size(); ++s) {
            const auto& r = cat.stars[s];
            const Vector3 v{r.x - c.eye.x, r.y - c.eye.y, r.z - c.eye.z};
            if (vmath::lengthSquared(v) <= c.vradius * c.vradius) expected.insert(static_cast<int32_t>(s));
        }
        EXPECT_EQ(stars(), expected) << c.eye.x << "," << c.eye.y << "," << c.eye.z << " r " << c.vradius;
    }
    // The star at the edge, its entry an offset in light years, keyed by its squared distance.
    build({0, 0, 0}, 12, camera::kFlagStars);
    bool edge = false;
    for (int i = 0; i < lists().stars.count; ++i) {
        const render::StarEntry& e = lists().stars.items[i];
        if (e.dir.x == 12.0 && e.dir.y == 0.0) {
            edge = true;
            EXPECT_DOUBLE_EQ(skyDistanceOf(render::kSkyStar, i), 144.0);
        }
    }
    EXPECT_TRUE(edge);
}

TEST_F(LocalTest, DiscsBySizeOrByMagnitude) {
    EXPECT_EQ(render::localDiscByDiameter(1.0, 0, 0), 3) << "2 × (ln 1 + 1.5)";
    EXPECT_EQ(render::localDiscByDiameter(100.0, 0, 0), 12) << "2 × (ln 100 + 1.5) = 12.2";
    EXPECT_EQ(render::localDiscByDiameter(0.01, 0, 0), 1) << "never below 1";
    // Without a known radius: T = 1 and M = 4.8 give R = 1.
    const double bvOfT1 = 8800.0 / 6820.0 - 0.82;
    EXPECT_EQ(render::localDiscByDiameter(0, 4.8, bvOfT1), 3);
    EXPECT_EQ(render::localDiscByDiameter(0, 4.8 - 5, bvOfT1), 7) << "L = 100: R = 10";
    EXPECT_EQ(render::localDiscByDiameter(0, 4.8 - 5 * std::log10(100.0), bvOfT1), 12) << "L = 10⁴: R = 100";
    EXPECT_EQ(render::localDiscByDiameter(0, 4.8, -0.82), 1) << "a colour without a temperature";
    EXPECT_EQ(render::localDiscByDiameter(0, -1e6, 0.5), 255) << "kept within a level";
    EXPECT_EQ(render::localDiscByMagnitude(4.8), 2);
    EXPECT_EQ(render::localDiscByMagnitude(6.0), 1);
    EXPECT_EQ(render::localDiscByMagnitude(6.1), 1) << "fainter than 6";
    EXPECT_EQ(render::localDiscByMagnitude(-3.0), 10);

    // The switch and the known radius of a star's extra record, through the build.
    const uint32_t big = cat.addStar({1, 0, 0}, 4.8, bvOfT1, catalog::kNoSpectral, synth::hipCode(1));
    cat.addExtra(big, catalog::kNoExtraName, 0, 0, 0, 100.0f);
    // B−V is stored in 1/256: T is then only near 1, which a level of 7 (R = 10) leaves alone.
    cat.addStar({0, 1, 0}, 4.8 - 5, bvOfT1, catalog::kNoSpectral, synth::hipCode(2));
    cat.buildTree(8);
    settings::LSmagDiam = 0;
    build({0, 0, 0}, 12, camera::kFlagStars);
    ASSERT_EQ(lists().stars.count, 2);
    std::multiset<int> levels;
    for (int i = 0; i < 2; ++i) levels.insert(lists().stars.items[i].level);
    EXPECT_EQ(levels, (std::multiset<int>{7, 12}));
    settings::LSmagDiam = 1;
    build({0, 0, 0}, 12, camera::kFlagStars);
    levels.clear();
    for (int i = 0; i < 2; ++i) levels.insert(lists().stars.items[i].level);
    EXPECT_EQ(levels, (std::multiset<int>{2, 7}));
}

TEST_F(LocalTest, TheLegendReadsTheScaleOfTheChart) {
    char text[16];
    render::localScaleText(12, 639, text, sizeof text);
    EXPECT_STREQ(text, "13:1");
    render::localScaleText(1000, 639, text, sizeof text);
    EXPECT_STREQ(text, "1:6");
    render::localScaleText(639.0 / 4, 639, text, sizeof text);
    EXPECT_STREQ(text, "1:1");
}

TEST_F(LocalTest, DeepSkyObjectsAxesAndSphereAndLabels) {
    const auto open = cat.addDeepSky(catalog::kOpenCluster, {3, 0, 0}, 20, 0x20000000, 7.9f);
    const auto pulsar = cat.addDeepSky(catalog::kPulsar, {0, 4, 0}, 25, 0x00010203, 1.5f);
    const auto globular = cat.addDeepSky(catalog::kGlobularCluster, {0, 0, 5}, 25, 0xFF0F0000, 2.0f, 1.0f);
    const auto nebula = cat.addDeepSky(catalog::kNebula, {0, -6, 0}, 25, 0x0D000004, 9.5f);
    const auto outside = cat.addDeepSky(catalog::kOpenCluster, {0, 0, 12.5}, -5, 0, 1.0f);
    build({0, 0, 0}, 12, camera::kFlagDeepSky | camera::kFlagLabels);
    ASSERT_EQ(lists().deepSky.count, 4) << "every type within the radius, whatever its magnitude";
    EXPECT_EQ(entryOf(outside), nullptr);
    EXPECT_EQ(entryOf(open)->size, 7);
    EXPECT_EQ(entryOf(open)->colourClass, 78);
    EXPECT_EQ(entryOf(open)->symbol, 0);
    EXPECT_EQ(entryOf(pulsar)->size, 0) << "a pulsar has no size in the chart";
    EXPECT_EQ(entryOf(globular)->size, 20);
    EXPECT_EQ(entryOf(nebula)->size, 9);
    EXPECT_EQ(entryOf(nebula)->symbol, 4);
    for (int i = 0; i < lists().deepSky.count; ++i) {
        if (static_cast<catalog::ObjectId>(lists().deepSky.items[i].id) == pulsar) {
            EXPECT_NEAR(skyDistanceOf(render::kSkyDeepSky, i), 4.0, 1e-4) << "at its true distance";
        }
    }
    EXPECT_DOUBLE_EQ(entryOf(open)->dir.x, 3.0) << "at its true offset";

    // The axes (3 × 80 segments) and the wireframe, shaded by depth.
    EXPECT_EQ(render::wireframeSegments(), 320);
    EXPECT_EQ(lists().lines.count, 240 + 320);
    for (int i = 0; i < lists().lines.count; ++i) ASSERT_EQ(lists().lines.items[i].ownColour, 0);
    double reach = 0;
    for (int i = 0; i < lists().lines.count; ++i) reach = std::max(reach, std::fabs(lists().lines.items[i].p2.x));
    EXPECT_NEAR(reach, 12.75, 1e-9) << "the axes reach 1.0625 × vradius";

    // A blue label for each object that has a name, 0.1 ly beside it.
    int labels = 0;
    for (int i = 0; i < lists().texts.count; ++i) {
        const render::TextEntry& t = lists().texts.items[i];
        EXPECT_EQ(t.colour, 48u);
        if (t.point.x == 3.1) ++labels;
    }
    EXPECT_EQ(labels, 1);
    EXPECT_GE(lists().texts.count, 3);
}

TEST_F(LocalTest, NebulaModelsGiveTheirPointsWithinTheRadius) {
    std::vector<uint8_t> bytes(render::kNebulaModelBytes, 0), colours(render::kNebulaColourBytes, 90);
    const render::NebulaFileHeader h{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 128.0};  // pitch 1 ly
    std::memcpy(bytes.data(), &h, sizeof h);
    for (int i = 0; i < 128 * 128; ++i) {
        const render::NebulaCell cell{1, -8, 8, 40};  // one point per cell, at the model's plane
        std::memcpy(bytes.data() + sizeof h + 4 * i, &cell, 4);
    }
    ASSERT_EQ(render::attachNebula(0, bytes.data(), bytes.size(), colours.data(), colours.size(), draw::kXrgb8888), 1);
    cat.addDeepSky(catalog::kNebula, {0, 0, 0}, 0, 0x0D000005, 30.0f);
    // z = −8 half-pitches: 4 ly in front of the model's plane.
    build({0, 0, 0}, 10, camera::kFlagDeepSky | camera::kFlagDeepSkyTexture);
    ASSERT_GT(lists().nebulaPoints.count, 0);
    EXPECT_EQ(lists().deepSky.count, 0);
    int expected = 0;
    for (int r = 0; r < 128; r += 2)
        for (int c = 0; c < 128; c += 2) {
            const double x = c - 64, y = r - 64, z = -4;
            expected += x * x + y * y + z * z <= 100;
        }
    EXPECT_EQ(lists().nebulaPoints.count, expected);
    for (int i = 0; i < lists().nebulaPoints.count; ++i) {
        const render::NebulaPoint& p = lists().nebulaPoints.items[i];
        ASSERT_EQ(p.size, 1);
        ASSERT_LE(vmath::lengthSquared(p.dir), 100.0);
        ASSERT_DOUBLE_EQ(p.dir.z, -4.0);
    }
}

TEST_F(LocalTest, TheChartIsDrawnFromBehindTheCameraAndPicksItsStars) {
    // Looking down +z: a star 6 ly ahead is at depth 6 + 24 from the eye.
    const uint32_t star = cat.addStar({0, 0, 6}, 4.8, 0.3, catalog::kNoSpectral, synth::hipCode(1));
    const uint32_t here = cat.addStar({0, 0, 0}, 4.8, 0.3, catalog::kNoSpectral, synth::hipCode(2));
    const uint32_t side = cat.addStar({6, 0, 0}, 4.8, 0.3, catalog::kNoSpectral, synth::hipCode(3));
    const auto moved = cat.buildTree(8);
    settings::LSmagDiam = 1;
    build({0, 0, 0}, 12, camera::kFlagStars);
    ASSERT_EQ(lists().stars.count, 3);
    input::pointer.x = kCx + static_cast<int>(6 * kCx / 24.0);  // the side star: s = cx / (0 + 24)
    input::pointer.y = kCy;
    drawFrame();
    EXPECT_EQ(cam().hover, static_cast<int32_t>(moved[side]));
    EXPECT_EQ(render::listCounts().local, lists().sky.count) << "rList: every item of the chart";
    int drawnClass = -1;
    for (int i = 0; i < 3; ++i)
        if (lists().stars.items[i].id == static_cast<int32_t>(moved[here])) drawnClass = lists().stars.items[i].colourClass;
    // The axes through the camera are nearer to the eye and cross it; beside them its disc.
    EXPECT_EQ(at(kCx + 2, kCy + 1), ramp(drawnClass, 128)) << "the star at the camera is drawn at the centre";
    EXPECT_EQ(at(kCx - 1, kCy - 2), ramp(drawnClass, 128)) << "as a disc of radius 2 (magnitude 4.8)";
    EXPECT_EQ(at(kCx + 3, kCy + 1), 0u);
    (void)star;
}

TEST_F(LocalTest, TheSphereAndAxesAreShadedByTheirDepth) {
    build({0, 0, 0}, 12, 0);
    // Turned off the axes, so that the far side of the sphere does not hide behind the near.
    vmath::rotateCamera(cam().Cam, 0.4, 0.7, 0.1);
    drawFrame();
    // The green ramp from 40 (the near side) to 44 (the far side), nothing else of it.
    int shaded[8] = {};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int k = 0; k < 8; ++k) shaded[k] += at(x, y) == palette(40 + k);
    EXPECT_GT(shaded[0], 0);
    EXPECT_GT(shaded[4], 0);
    EXPECT_EQ(shaded[5] + shaded[6] + shaded[7], 0);
}

TEST_F(LocalTest, TheLegendsDiscsFollowTheDiscMode) {
    build({0, 0, 0}, 12, 0);
    const int X = kWidth - 1 - 128, Y = 16;
    settings::LSmagDiam = 0;
    drawFrame();
    EXPECT_EQ(at(X + 32 + 12, Y + 60), palette(9)) << "diameter: discs of radius 3 and 12";
    EXPECT_EQ(at(X + 32 + 3, Y + 36), palette(9));
    EXPECT_EQ(at(X + 14, Y + 16), palette(32)) << "the scale bar";
    EXPECT_EQ(at(X + 100, Y + 18), palette(32));
    draw::clear(surface, 0);
    settings::LSmagDiam = 1;
    drawFrame();
    EXPECT_EQ(at(X + 32 + 6, Y + 60), palette(9)) << "magnitude: discs of radius 1 and 6";
    EXPECT_EQ(at(X + 32 + 7, Y + 60), 0u);
    EXPECT_EQ(at(X + 32 + 2, Y + 36), 0u);
}

}  // namespace

// The 3D nebula models: the files the parsers refuse, the points a model gives near and far,
// and the drawing of a nebula point with its dotted disc.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "catalog/catalog.h"
#include "render/nebulae.h"
#include "render/sky_internal.h"
#include "render_fixture.h"
#include "support/synthcatalog.h"

namespace {

using render::lists;

struct ModelBytes {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(render::kNebulaModelBytes, 0);

    explicit ModelBytes(double extent, render::NebulaCell cell = {1, 0, 1, 50}) {
        header({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, extent});
        for (int i = 0; i < render::kNebulaGrid * render::kNebulaGrid; ++i) set(i / 128, i % 128, cell);
    }
    void header(const render::NebulaFileHeader& h) { std::memcpy(bytes.data(), &h, sizeof h); }
    void set(int row, int column, render::NebulaCell cell) {
        std::memcpy(bytes.data() + sizeof(render::NebulaFileHeader) + (row * 128 + column) * sizeof cell, &cell,
                    sizeof cell);
    }
};

TEST(NebulaFiles, ModelsAreCheckedBeforeTheyAreUsed) {
    ModelBytes good(30.0);
    render::NebulaModel m;
    ASSERT_TRUE(render::parseNebulaModel(good.bytes.data(), good.bytes.size(), m));
    EXPECT_DOUBLE_EQ(m.extent, 30.0);
    EXPECT_EQ(m.cells, good.bytes.data() + 80);
    EXPECT_DOUBLE_EQ(m.columnAxis.x, 1.0);

    const char* why = nullptr;
    render::NebulaModel untouched;
    EXPECT_FALSE(render::parseNebulaModel(good.bytes.data(), good.bytes.size() - 1, untouched, &why));
    EXPECT_STREQ(why, "shorter than a model");
    EXPECT_EQ(untouched.cells, nullptr);
    EXPECT_FALSE(render::parseNebulaModel(nullptr, 0, untouched));

    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double extent : {0.0, -1.0, nan, inf, 2.0e7}) {
        ModelBytes bad(extent);
        EXPECT_FALSE(render::parseNebulaModel(bad.bytes.data(), bad.bytes.size(), untouched)) << extent;
    }
    const render::NebulaFileHeader badAxes[] = {
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 30},  {{0, 0, 1}, {nan, 0, 0}, {0, 1, 0}, 30},
        {{0, 0, 1}, {1, 0, 0}, {0, 10, 0}, 30}, {{0, 0, 1}, {1, 0, 0}, {inf, 0, 0}, 30},
    };
    for (const auto& h : badAxes) {
        ModelBytes bad(30.0);
        bad.header(h);
        EXPECT_FALSE(render::parseNebulaModel(bad.bytes.data(), bad.bytes.size(), untouched));
    }

    // Colours are blue, green, red, reserved, packed into the given format.
    std::vector<uint8_t> colours(1024, 0);
    colours[4 * 7 + 0] = 10;
    colours[4 * 7 + 1] = 20;
    colours[4 * 7 + 2] = 30;
    uint32_t packed[256];
    ASSERT_TRUE(render::parseNebulaColours(colours.data(), colours.size(), draw::kXrgb8888, packed));
    EXPECT_EQ(packed[7], draw::packColour(draw::kXrgb8888, 30, 20, 10));
    EXPECT_FALSE(render::parseNebulaColours(colours.data(), 1023, draw::kXrgb8888, packed));
}

class NebulaTest : public rtest::RenderFixture {
protected:
    synth::SynthCatalog cat;
    std::vector<uint8_t> colours = std::vector<uint8_t>(render::kNebulaColourBytes, 0);

    void SetUp() override {
        RenderFixture::SetUp();
        for (int i = 0; i < 256; ++i) colours[4 * i + 2] = static_cast<uint8_t>(i);  // red = index
    }
    void TearDown() override {
        for (int slot = 0; slot < render::kNebulaSlots; ++slot)
            render::attachNebula(slot, nullptr, 0, nullptr, 0, draw::kXrgb8888);
        RenderFixture::TearDown();
    }
    // The slot reads the bytes in place: the model is kept here while it is installed.
    ModelBytes installed{1.0};
    void install(const ModelBytes& m) {
        installed = m;
        ASSERT_EQ(render::attachNebula(0, installed.bytes.data(), installed.bytes.size(), colours.data(), colours.size(),
                                       draw::kXrgb8888),
                  1);
    }
    // M 42 (slot 0) `distance` ly straight ahead of the camera at the origin.
    int pointsAt(double distance) {
        cat.deepSky.clear();
        cat.addDeepSky(catalog::kNebula, {0, 0, distance}, 0, 0x0D000005, 30.0f);
        cat.attach();
        cam().flags = camera::kFlagDeepSky | camera::kFlagDeepSkyTexture;
        render::buildScene(cam());
        EXPECT_EQ(lists().deepSky.count, 0);
        EXPECT_EQ(lists().sky.count, lists().nebulaPoints.count);
        return lists().nebulaPoints.count;
    }
};

TEST_F(NebulaTest, WithinSixHundredLightYearsAModelIsDrawnInDepthBeyondAsASheet) {
    // Every cell 80 half-pitches deep: five points 16 apart in depth, or one in the sheet.
    install(ModelBytes(30.0, {3, -40, 40, 50}));
    EXPECT_EQ(pointsAt(599.0), 64 * 64 * 5);
    EXPECT_EQ(pointsAt(601.0), 64 * 64);
    // A small model is sampled every fourth row and column.
    install(ModelBytes(15.9, {3, -40, 40, 50}));
    EXPECT_EQ(pointsAt(601.0), 32 * 32);

    // Empty cells (from after to) give nothing; cells as deep as they start give a point in the
    // sheet only.
    ModelBytes sparse(30.0, {0, 1, 0, 50});
    sparse.set(0, 0, {0, 5, 5, 50});
    sparse.set(64, 64, {9, 0, 16, 90});
    install(sparse);
    EXPECT_EQ(pointsAt(601.0), 2);
    EXPECT_EQ(pointsAt(599.0), 1);
    // The middle cell lies at the object: straight ahead, sized by its brightness and distance.
    const render::NebulaPoint& p = lists().nebulaPoints.items[0];
    EXPECT_NEAR(p.dir.z, vmath::kSkyRadius, vmath::kSkyRadius * 1e-5);
    EXPECT_NEAR(p.dir.x, 0.0, 1e-3);
    EXPECT_EQ(p.size, static_cast<int>(90 * 180 / 599.0));
    EXPECT_EQ(p.colour, draw::packColour(draw::kXrgb8888, 9, 0, 0));
    EXPECT_NEAR(lists().sky.items[0].distance, 599.0, 1e-3);
}

TEST_F(NebulaTest, PointsSpanTheModelAlongItsAxes) {
    install(ModelBytes(128.0));  // pitch 1 ly
    pointsAt(1000.0);
    // Cell (0, 0) at −64 ly along the row axis (y) and the column axis (x).
    double minX = 1e300, minY = 1e300, maxX = -1e300;
    for (int i = 0; i < lists().nebulaPoints.count; ++i) {
        const Vector3& d = lists().nebulaPoints.items[i].dir;
        minX = std::min(minX, d.x / d.z * 1000.0);
        minY = std::min(minY, d.y / d.z * 1000.0);
        maxX = std::max(maxX, d.x / d.z * 1000.0);
    }
    EXPECT_NEAR(minX, -64.0, 1e-6);
    EXPECT_NEAR(minY, -64.0, 1e-6);
    EXPECT_NEAR(maxX, 62.0, 1e-6) << "the last sampled column is 126";
}

TEST_F(NebulaTest, APointIsItsPixelThenAFilledOrADottedDiscBySize) {
    auto point = [](int size) {
        render::NebulaPoint e{};
        e.colour = 0x123456;
        e.size = size;
        return e;
    };
    render::drawNebulaPoint(surface, point(3), 100, 100);
    EXPECT_EQ(countPixels(0x123456), 1);
    draw::clear(surface, 0);
    render::drawNebulaPoint(surface, point(10), 100, 100);
    EXPECT_EQ(at(105, 100), 0x123456u) << "a filled disc of radius 5";
    EXPECT_EQ(at(103, 103), 0x123456u);
    EXPECT_EQ(at(106, 100), 0u);
    draw::clear(surface, 0);
    render::drawNebulaPoint(surface, point(20), 100, 100);
    EXPECT_EQ(at(110, 100), 0x123456u) << "dotted, radius 10, dots 2 apart";
    EXPECT_EQ(at(109, 100), 0u);
    EXPECT_EQ(at(102, 102), 0x123456u);
    EXPECT_EQ(at(101, 100), 0u);
    draw::clear(surface, 0);
    render::drawNebulaPoint(surface, point(64), 100, 100);
    EXPECT_EQ(at(132, 100), 0x123456u) << "radius 32: dots 4 apart";
    EXPECT_EQ(at(102, 100), 0u);
    EXPECT_EQ(at(104, 96), 0x123456u);
    draw::clear(surface, 0);
    // A negative size taken as unsigned is wider than any picture: the centre pixel alone.
    render::drawNebulaPoint(surface, point(-10), 100, 100);
    EXPECT_EQ(countPixels(0x123456), 1);
    EXPECT_EQ(at(100, 100), 0x123456u);
}

TEST_F(NebulaTest, TheDottedDiscKeepsToThePictureAndItsLattice) {
    render::drawDottedDisc(surface, 100, 100, 3, 7);
    // Lattice 2 about the centre within the disc (2dx)² + (2dy)² ≤ 7²: dx, dy ∈ {−2, 0, 2}.
    EXPECT_EQ(countPixels(7), 9);
    draw::clear(surface, 0);
    render::drawDottedDisc(surface, 100, 100, kWidth, 7);
    render::drawDottedDisc(surface, -1, 100, 10, 7);
    render::drawDottedDisc(surface, 100, kHeight, 10, 7);
    EXPECT_EQ(countPixels(7), 0) << "wider than the picture, or the centre off it";
    // From a corner, as wide as the picture: the quarter of it on the surface, dots 4 apart.
    const int r = kWidth - 1;
    render::drawDottedDisc(surface, 0, 0, r, 7);
    int expected = 0, offLattice = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool dot = x % 4 == 0 && y % 4 == 0 && 4 * x * x + 4 * y * y <= (2 * r + 1) * (2 * r + 1);
            expected += dot;
            offLattice += !dot && at(x, y) == 7u;
        }
    EXPECT_EQ(countPixels(7), expected);
    EXPECT_EQ(offLattice, 0);
}

}  // namespace

// Random points of every size class, some of them hanging over an edge or centred off the
// surface, drawn as one run nearest first and point by point farthest first: the pictures must
// be the same to the pixel, on surfaces whose width and height are not multiples of the run's
// lattice or of its 64-dot words. Two runs in a row check that the first one's marks are gone.
// Both ways of marking the mask, where the processor has the wide one.
TEST(NebulaRuns, NearestFirstLeavesThePictureOfFarthestFirst) {
    std::mt19937 rng(20261209);
    const int sides[][2] = {{640, 480}, {203, 117}, {1001, 67}, {1920, 1080}};
    const bool wide = draw::setWidePaths(true);
    for (int way = 0; way < (wide ? 2 : 1); ++way) {
        draw::setWidePaths(way == 0);
        for (const auto& side : sides) {
            draw::Surface far, near;
            ASSERT_TRUE(draw::createSurface(far, side[0], side[1]));
            ASSERT_TRUE(draw::createSurface(near, side[0], side[1]));
            for (int round = 0; round < 2; ++round) {
                std::vector<render::NebulaPoint> points(400);
                std::vector<std::pair<int, int>> at(points.size());
                std::uniform_int_distribution<int> x(-300, side[0] + 300), y(-300, side[1] + 300), kind(0, 5);
                for (size_t i = 0; i < points.size(); ++i) {
                    const int k = kind(rng);
                    const int size = k == 0   ? std::uniform_int_distribution<int>(-40, 3)(rng)
                                     : k == 1 ? std::uniform_int_distribution<int>(4, 15)(rng)
                                     : k == 2 ? std::uniform_int_distribution<int>(16, 63)(rng)
                                     : k == 3 ? std::uniform_int_distribution<int>(64, 255)(rng)
                                              : std::uniform_int_distribution<int>(256, 2 * side[0] + 3)(rng);
                    points[i].size = size;
                    points[i].colour = static_cast<uint32_t>(i + 1 + 1000 * round);
                    at[i] = {x(rng), y(rng)};
                }
                // Item 0 is the nearest: far to near is the list's drawing order.
                for (size_t i = points.size(); i-- > 0;) render::drawNebulaPoint(far, points[i], at[i].first, at[i].second);
                render::NebulaRun run;
                ASSERT_TRUE(render::beginNebulaRun(run, near));
                for (size_t i = 0; i < points.size(); ++i)
                    render::drawNebulaRunPoint(run, points[i], at[i].first, at[i].second);
                render::endNebulaRun(run);
                int differ = 0;
                for (int v = 0; v < side[1]; ++v)
                    for (int u = 0; u < side[0]; ++u)
                        differ += far.pixels[static_cast<size_t>(v) * far.pitch + u] !=
                                  near.pixels[static_cast<size_t>(v) * near.pitch + u];
                EXPECT_EQ(differ, 0) << side[0] << " x " << side[1] << ", run " << round << (way ? ", plain" : "");
            }
            draw::destroySurface(far);
            draw::destroySurface(near);
        }
    }
    draw::setWidePaths(true);
}

// A one-pixel item inside a run (a point star) is the caller's to write only where no nearer
// item of the run has written, and once.
TEST(NebulaRuns, APixelIsClaimedOnceAndNotUnderANearerDisc) {
    draw::Surface s;
    ASSERT_TRUE(draw::createSurface(s, 320, 200));
    render::NebulaRun run;
    ASSERT_TRUE(render::beginNebulaRun(run, s));
    render::NebulaPoint disc{};
    disc.size = 10;  // filled, radius 5
    disc.colour = 9;
    render::drawNebulaRunPoint(run, disc, 100, 100);
    EXPECT_FALSE(render::claimNebulaRunPixel(run, 103, 103)) << "under the nearer disc";
    EXPECT_TRUE(render::claimNebulaRunPixel(run, 106, 100));
    EXPECT_FALSE(render::claimNebulaRunPixel(run, 106, 100)) << "claimed already";
    EXPECT_FALSE(render::claimNebulaRunPixel(run, -1, 100));
    EXPECT_FALSE(render::claimNebulaRunPixel(run, 320, 100));
    render::endNebulaRun(run);
    ASSERT_TRUE(render::beginNebulaRun(run, s));
    EXPECT_TRUE(render::claimNebulaRunPixel(run, 103, 103)) << "a new run starts with nothing claimed";
    render::endNebulaRun(run);
    draw::destroySurface(s);
}

// Deep-sky objects in the sky: which objects the collection takes and how it sizes and colours
// them, their labels, the symbols and bitmaps they are drawn as, and picking and locking one.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "render/nebulae.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "render_fixture.h"
#include "support/synthcatalog.h"

namespace {

using render::lists;

constexpr uint32_t kM42 = 0x0D000005;  // a name code with a nebula model (slot 0)

// A model whose cells are all one point deep (from 0 to 1) in colour 1.
std::vector<uint8_t> flatModel(double extent) {
    std::vector<uint8_t> bytes(render::kNebulaModelBytes, 0);
    render::NebulaFileHeader h{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, extent};
    std::memcpy(bytes.data(), &h, sizeof h);
    for (int i = 0; i < render::kNebulaGrid * render::kNebulaGrid; ++i) {
        render::NebulaCell cell{1, 0, 1, 50};
        std::memcpy(bytes.data() + sizeof h + i * sizeof cell, &cell, sizeof cell);
    }
    return bytes;
}

class DeepSkyTest : public rtest::RenderFixture {
protected:
    synth::SynthCatalog cat;
    std::vector<uint8_t> model = flatModel(20.0), colours = std::vector<uint8_t>(render::kNebulaColourBytes, 200);

    void TearDown() override {
        for (int slot = 0; slot < render::kNebulaSlots; ++slot)
            render::attachNebula(slot, nullptr, 0, nullptr, 0, draw::kXrgb8888);
        for (int i = 0; i < render::kSpriteCount; ++i) render::attachSprite(static_cast<render::SpriteId>(i), nullptr, 0);
        RenderFixture::TearDown();
    }

    void build(uint32_t flags) {
        cat.attach();
        cam().flags = flags;
        render::buildScene(cam());
    }
    const render::DeepSkyEntry* entryOf(catalog::ObjectId id) const {
        for (int i = 0; i < lists().deepSky.count; ++i)
            if (static_cast<catalog::ObjectId>(lists().deepSky.items[i].id) == id) return &lists().deepSky.items[i];
        return nullptr;
    }
    // The absolute magnitude that puts an object at `distance` ly at apparent magnitude m.
    static double absoluteFor(double m, double distance) {
        return m - vmath::distanceModulus(distance * distance) + 5.0;
    }
};

TEST_F(DeepSkyTest, TheMagnitudeTestIsNotStrictAndOnlyClustersTakeIt) {
    const auto open = cat.addDeepSky(catalog::kOpenCluster, {0, 0, 40}, 4.0, 0, 2.0f);
    const auto globular = cat.addDeepSky(catalog::kGlobularCluster, {0, 40, 0}, 4.0, 0, 1.0f, 1.0f);
    const auto pulsar = cat.addDeepSky(catalog::kPulsar, {40, 0, 0}, 25.0, 0, 1.0f);
    const auto nebula = cat.addDeepSky(catalog::kNebula, {0, 0, -40}, 25.0, 0, 3.0f);
    const auto unnamedType = cat.addDeepSky(catalog::kDeepSkyUnnamed, {0, 0, 40}, 0.0, 0, 3.0f);
    // The limit set to the clusters' apparent magnitude as the collection computes it.
    const double m = 4.0 + vmath::distanceModulus(40.0 * 40.0) - 5.0;
    cam().deepSkyMagLimit = m;
    build(camera::kFlagDeepSky);
    EXPECT_NE(entryOf(open), nullptr) << "exactly at the limit is drawn";
    EXPECT_NE(entryOf(globular), nullptr);
    EXPECT_NE(entryOf(pulsar), nullptr) << "pulsars and nebulae take no magnitude test";
    EXPECT_NE(entryOf(nebula), nullptr);
    EXPECT_EQ(entryOf(unnamedType), nullptr) << "type 3 is not drawn";
    cam().deepSkyMagLimit = std::nextafter(m, -100.0);
    build(camera::kFlagDeepSky);
    EXPECT_EQ(entryOf(open), nullptr) << "just fainter than the limit";
    EXPECT_EQ(entryOf(globular), nullptr);
    EXPECT_NE(entryOf(pulsar), nullptr);
    EXPECT_NE(entryOf(nebula), nullptr);
    EXPECT_EQ(lists().sky.count, lists().deepSky.count);
}

TEST_F(DeepSkyTest, EntriesTakeTheSizesColoursAndLevelsOfTheirType) {
    const double d = 100.0;
    const double m = 6.0;
    const auto open = cat.addDeepSky(catalog::kOpenCluster, {0, 0, d}, absoluteFor(m, d), 0, 10.0f);
    const auto globular = cat.addDeepSky(catalog::kGlobularCluster, {0, 0, d}, absoluteFor(m, d), 0, 2.0f, 1.5f);
    const auto pulsar = cat.addDeepSky(catalog::kPulsar, {0, 0, d}, 0, 0);
    const auto nebula = cat.addDeepSky(catalog::kNebula, {0, 0, d}, 0, 0, 7.0f);
    build(camera::kFlagDeepSky);
    const auto* o = entryOf(open);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->size, 40);  // 10 / 100 × 400
    EXPECT_EQ(o->colourClass, 88);
    EXPECT_NEAR(o->level, 128 - 8 * m, 1);
    EXPECT_NEAR(o->dir.z, vmath::kSkyRadius, vmath::kSkyRadius * 1e-5);
    const auto* g = entryOf(globular);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->size, static_cast<int>(std::pow(10.0, 1.5) * 2.0 / d * 500));  // the tidal radius
    EXPECT_EQ(g->symbol, 2);
    EXPECT_NEAR(g->level, 192 - 8 * m, 1);
    const auto* p = entryOf(pulsar);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->size, 5);
    EXPECT_EQ(p->level, 64);
    EXPECT_EQ(p->colourClass, 128);
    const auto* n = entryOf(nebula);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->size, 14);  // 7 / 100 × 200
    EXPECT_EQ(n->symbol, 4);
    EXPECT_EQ(n->colourClass, 0);
}

TEST_F(DeepSkyTest, TheTypeFilterTheSwitchAndTheCameraItselfLeaveObjectsOut) {
    const auto open = cat.addDeepSky(catalog::kOpenCluster, {0, 0, 50}, -5, 0, 1.0f);
    const auto globular = cat.addDeepSky(catalog::kGlobularCluster, {0, 0, 50}, -5, 0, 1.0f, 1.0f);
    const auto pulsar = cat.addDeepSky(catalog::kPulsar, {0, 0, 50}, 0, 0);
    const auto nebula = cat.addDeepSky(catalog::kNebula, {0, 0, 50}, 0, 0, 1.0f);
    const auto here = cat.addDeepSky(catalog::kPulsar, {0, 0, 0}, 0, 0);
    cam().deepSkyTypes = camera::kTypeGlobularCluster | camera::kTypeNebula;
    build(camera::kFlagDeepSky);
    EXPECT_EQ(entryOf(open), nullptr);
    EXPECT_NE(entryOf(globular), nullptr);
    EXPECT_EQ(entryOf(pulsar), nullptr);
    EXPECT_NE(entryOf(nebula), nullptr);
    cam().deepSkyTypes = camera::kAllDeepSkyTypes;
    build(camera::kFlagDeepSky);
    EXPECT_EQ(entryOf(here), nullptr) << "an object at the camera has no direction";
    EXPECT_EQ(lists().deepSky.count, 4);
    build(camera::kFlagStars);
    EXPECT_EQ(lists().deepSky.count, 0) << "deep sky off";
}

TEST_F(DeepSkyTest, ANebulaWithAModelBecomesItsPointsUnlessTheModelIsMissingOrBitmapsAreOff) {
    const auto m42 = cat.addDeepSky(catalog::kNebula, {0, 0, 1000}, 0, kM42, 20.0f);
    build(camera::kFlagDeepSky | camera::kFlagDeepSkyTexture);
    EXPECT_NE(entryOf(m42), nullptr) << "no model loaded: its symbol";
    EXPECT_EQ(lists().nebulaPoints.count, 0);

    ASSERT_EQ(render::attachNebula(0, model.data(), model.size(), colours.data(), colours.size(), draw::kXrgb8888), 1);
    build(camera::kFlagDeepSky | camera::kFlagDeepSkyTexture);
    EXPECT_EQ(entryOf(m42), nullptr) << "the model instead of the entry";
    EXPECT_EQ(lists().nebulaPoints.count, 64 * 64) << "far: one point for every second row and column";
    build(camera::kFlagDeepSky);
    EXPECT_NE(entryOf(m42), nullptr) << "symbols: the model is not used";
    EXPECT_EQ(lists().nebulaPoints.count, 0);

    // Slot 9 is loaded but no name code leads to it.
    for (uint32_t code = 0; code < 0x10000000u; code += 0x00FFFFFFu) EXPECT_NE(render::nebulaSlot(code), 9);
    EXPECT_EQ(render::nebulaSlot(0x0D00000B), 12);
    EXPECT_EQ(render::nebulaSlot(0x0F0000F5), 12);
    EXPECT_EQ(render::nebulaSlot(0x0D000004), -1);
    // A model without its colours is not drawn either.
    render::attachNebula(0, model.data(), model.size(), nullptr, 0, draw::kXrgb8888);
    build(camera::kFlagDeepSky | camera::kFlagDeepSkyTexture);
    EXPECT_NE(entryOf(m42), nullptr);
}

TEST_F(DeepSkyTest, LabelsNameTheObjectsLargerThanFivePixels) {
    const uint32_t pleiades = 0x20000000;  // open-cluster name row 32: "Pleiades"
    const auto big = cat.addDeepSky(catalog::kOpenCluster, {0, 0, 100}, -5, pleiades, 1.5f);    // size 6
    const auto small = cat.addDeepSky(catalog::kOpenCluster, {0, 0, 100}, -5, pleiades, 1.25f); // size 5
    build(camera::kFlagDeepSky | camera::kFlagLabels);
    ASSERT_NE(entryOf(big), nullptr);
    ASSERT_NE(entryOf(small), nullptr);
    ASSERT_EQ(lists().texts.count, 1);
    char name[catalog::kNameSize];
    catalog::deepSkyName(big, name);
    EXPECT_STRNE(name, "");
    EXPECT_STREQ(lists().texts.items[0].text, name);
    EXPECT_EQ(lists().texts.items[0].colour, 48u);
    EXPECT_DOUBLE_EQ(lists().texts.items[0].point.x, entryOf(big)->dir.x + 100.0);
    build(camera::kFlagDeepSky);
    EXPECT_EQ(lists().texts.count, 0) << "labels off";
}

// ---- Drawing ------------------------------------------------------------------------------------

class DeepSkyDrawTest : public DeepSkyTest {
protected:
    render::DeepSkyEntry entry(uint8_t symbol, int size) const {
        render::DeepSkyEntry e{};
        e.symbol = symbol;
        e.size = size;
        e.colourClass = 128;
        e.level = 200;
        return e;
    }
    uint32_t ink() const { return ramp(128, 200); }
};

TEST_F(DeepSkyDrawTest, SymbolsHaveTheirShapesAtHalfTheZoomedSize) {
    // size 8 at zoom 1.5: h = 6.
    render::drawDeepSkyItem(surface, entry(1, 8), 100, 100, 1.5, false);
    EXPECT_EQ(countPixels(ink()), 4 * 6 + 1) << "pulsar: a cross of half-size 6";
    EXPECT_EQ(at(94, 100), ink());
    EXPECT_EQ(at(100, 106), ink());
    draw::clear(surface, 0);
    render::drawDeepSkyItem(surface, entry(4, 8), 100, 100, 1.5, false);
    EXPECT_EQ(countPixels(ink()), 4 * 12) << "nebula: the square outline from (94, 94) to (106, 106)";
    EXPECT_EQ(at(94, 94), ink());
    EXPECT_EQ(at(106, 106), ink());
    draw::clear(surface, 0);
    render::drawDeepSkyItem(surface, entry(2, 8), 100, 100, 1.5, false);
    EXPECT_EQ(at(105, 100), ink()) << "globular: the cross stops one short on the right";
    EXPECT_EQ(at(106, 100), ink()) << "where the circle is";
    EXPECT_EQ(at(103, 100), ink());
    EXPECT_EQ(at(100, 103), ink());
    EXPECT_EQ(at(103, 103), 0u);
    draw::clear(surface, 0);
    render::drawDeepSkyItem(surface, entry(0x80, 8), 100, 100, 1.5, false);
    EXPECT_EQ(at(106, 100), ink()) << "an open cluster without bitmap is still its circle";
    EXPECT_EQ(at(100, 100), 0u);
}

TEST_F(DeepSkyDrawTest, BitmapsReplaceTheSymbolsExceptForPulsarsAndSuppressedClusters) {
    static std::vector<uint8_t> image(256 * 256, 100);
    for (auto id : {render::kOpenClusterBitmap, render::kGlobularBitmap, render::kNebulaBitmap})
        render::attachSprite(id, image.data(), image.size());
    const uint32_t lit = ramp(128, 100);
    // h = 10 × 1.5 × 0.5 = 7.5: a 14 × 14 bitmap from (93, 93).
    render::drawDeepSkyItem(surface, entry(0, 10), 100, 100, 1.5, true);
    EXPECT_EQ(countPixels(lit), 14 * 14);
    EXPECT_EQ(at(93, 93), lit);
    EXPECT_EQ(at(106, 106), lit);
    draw::clear(surface, 0);
    render::drawDeepSkyItem(surface, entry(0x80, 10), 100, 100, 1.5, true);
    EXPECT_EQ(countPixels(lit), 0) << "bit 7: no bitmap";
    render::drawDeepSkyItem(surface, entry(1, 10), 100, 100, 1.5, true);
    EXPECT_EQ(countPixels(lit) + countPixels(ink()), 0) << "pulsars are not drawn with bitmaps";
    render::drawDeepSkyItem(surface, entry(4, 1), 100, 100, 1.5, true);
    EXPECT_EQ(countPixels(lit), 0) << "a bitmap of size 0 draws nothing";
    render::drawDeepSkyItem(surface, entry(2, 2), 100, 100, 1.5, true);
    EXPECT_EQ(countPixels(lit), 4) << "h = 1.5: 2 × 2 pixels";
}

TEST_F(DeepSkyDrawTest, AClusterIsPickedAndLockedLikeAStar) {
    const auto cluster = cat.addDeepSky(catalog::kOpenCluster, {0, 0, 100}, -5, 0, 2.0f);
    build(camera::kFlagDeepSky);
    ASSERT_EQ(lists().sky.count, 1);
    input::pointer.x = kCx + 2;
    input::pointer.y = kCy - 1;
    drawFrame();
    EXPECT_EQ(static_cast<catalog::ObjectId>(cam().hover), cluster);
    input::pointer.leftClick = 1;
    drawFrame();
    EXPECT_EQ(static_cast<catalog::ObjectId>(cam().lock), cluster);
    EXPECT_EQ(cam().lockBlink, 16);
    // The lock square follows it, and a cluster too large for the picture is neither drawn
    // nor picked.
    drawFrame();
    EXPECT_GT(countPixels(palette(16)), 0);
    lists().deepSky.items[0].size = kWidth - 1;
    draw::clear(surface, 0);
    cam().hover = -1;
    drawFrame();
    EXPECT_EQ(cam().hover, -1);
    EXPECT_EQ(countPixels(palette(16)), 0);
}

TEST_F(DeepSkyTest, AFullListStopsTheCollection) {
    for (int i = 0; i < render::kDsmListCapacity + 10; ++i) cat.addDeepSky(catalog::kPulsar, {0, 0, 10.0 + i}, 0, 0);
    build(camera::kFlagDeepSky);
    EXPECT_EQ(lists().deepSky.count, render::kDsmListCapacity);
    EXPECT_EQ(lists().sky.count, render::kDsmListCapacity);
}

}  // namespace

// Checks of the import tool's reusable parts: the star octree with its pinned record, the
// spectral-type parser and the choice of star magnitudes (the tool's own sources, compiled in).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "../../tools/skyimport/magnitudes.cpp"
#include "../../tools/skyimport/mkclass.cpp"
#include "../../tools/skyimport/octree.cpp"

namespace {

using sky::TreeLayout;
using sky::TreeOptions;
using sky::TreeStar;

std::vector<TreeStar> syntheticStars(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> pos(0.0, 3000.0);
    std::uniform_real_distribution<double> mag(-5.0, 15.0);
    std::vector<TreeStar> out(n);
    for (TreeStar& s : out) s = {pos(rng), pos(rng), pos(rng) * 0.1, mag(rng)};
    out[0] = {0, 0, 0, 4.83};  // a star on every dividing plane of the root
    return out;
}

TEST(StarOctree, EveryStarOnceInSortedRunsAndThePinnedStarInPlace) {
    std::vector<TreeStar> stars = syntheticStars(20000, 7);
    TreeOptions o;
    o.leafCapacity = 40;
    o.pinnedStar = 0;
    o.pinnedIndex = 12345;
    TreeLayout t;
    std::string error;
    ASSERT_EQ(sky::buildStarTree(stars, o, t, error), 1) << error;
    ASSERT_EQ(t.order.size(), stars.size());
    EXPECT_EQ(t.order[12345], 0u);
    std::vector<int> seen(stars.size(), 0);
    for (uint32_t k : t.order) ++seen[k];
    for (int s : seen) ASSERT_EQ(s, 1);
    // Runs: each leaf entry starts a run that ends at a last-of-run mark, brightest first, and
    // together the runs cover every record once.
    std::vector<int> covered(stars.size(), 0);
    for (const catalog::TreeNode& node : t.nodes)
        for (uint32_t e : node.octant) {
            if (e == catalog::kTreeEmpty || (e & 0xFF000000u) == catalog::kTreeChildFlag) continue;
            uint32_t size = 0;
            for (uint32_t k = e;; ++k) {
                ASSERT_LT(k, t.order.size());
                ++covered[k];
                ++size;
                if (k > e) {
                    EXPECT_LE(stars[t.order[k - 1]].absMag, stars[t.order[k]].absMag);
                }
                if (t.lastOfRun[k]) break;
            }
            EXPECT_LE(size, o.leafCapacity);
        }
    for (int c : covered) ASSERT_EQ(c, 1);
}

TEST(StarOctree, RefusesStarsOutsideTheRootCubeAndImpossiblePins) {
    std::vector<TreeStar> stars = syntheticStars(100, 3);
    stars[5].x = 250000;
    TreeLayout t;
    std::string error;
    EXPECT_EQ(sky::buildStarTree(stars, TreeOptions{}, t, error), 0);
    stars[5].x = 0;
    TreeOptions o;
    o.pinnedStar = 1;
    o.pinnedIndex = 100;  // past the last record
    EXPECT_EQ(sky::buildStarTree(stars, o, t, error), 0);
}

TEST(StarOctree, CollectionReadsFewerRecordsThanTheCatalogueHolds) {
    std::vector<TreeStar> stars = syntheticStars(20000, 11);
    TreeLayout t;
    std::string error;
    ASSERT_EQ(sky::buildStarTree(stars, TreeOptions{}, t, error), 1);
    std::vector<TreeStar> ordered;
    for (uint32_t k : t.order) ordered.push_back(stars[k]);
    sky::CollectionCost near = sky::collectionCost(t.nodes, ordered, t.lastOfRun, 0, 0, 0, 6.0, 1.0);
    size_t visible = 0;
    for (const TreeStar& s : stars) {
        double d2 = s.x * s.x + s.y * s.y + s.z * s.z;
        if (d2 > 0 && s.absMag + 2.5 * std::log10(d2 / (3.2616 * 3.2616)) - 5 < 6.0) ++visible;
        if (d2 == 0) ++visible;
    }
    EXPECT_EQ(near.visible, visible);  // the early exits lose no visible star
    EXPECT_LT(near.read, stars.size());
}

TEST(SpectralTypes, MorganKeenanTypesToCodes) {
    EXPECT_EQ(sky::spectralCode("K2V"), 0x0552);
    EXPECT_EQ(sky::spectralCode("A0III"), 0x0320);
    EXPECT_EQ(sky::spectralCode("A1V+DA"), 0x0521);
    EXPECT_EQ(sky::spectralCode("B1Ib"), 0x0711);
    EXPECT_EQ(sky::spectralCode("M2Iab"), 0x0162);
    EXPECT_EQ(sky::spectralCode("M1-M2Ia-Iab"), 0x0661);
    EXPECT_EQ(sky::spectralCode("G8III/IV"), 0x0348);
    EXPECT_EQ(sky::spectralCode("kA2hA5mA7V-IV"), 0x0525);
    EXPECT_EQ(sky::spectralCode("dG6V"), 0x1546);
    EXPECT_EQ(sky::spectralCode("DA2"), 0x8002);
    EXPECT_EQ(sky::spectralCode("DB2"), 0x8012);
    EXPECT_EQ(sky::spectralCode("WC8"), 0x4001);
    EXPECT_EQ(sky::spectralCode("K"), 0x005F);  // unknown subclass, shown as "K?"
    EXPECT_EQ(sky::spectralCode(""), sky::kNoSpectralCode);
    EXPECT_EQ(sky::spectralCode("pec"), sky::kNoSpectralCode);
    EXPECT_EQ(sky::spectralText(0x0552), "K2V");
    EXPECT_EQ(sky::spectralText(0x1546), "dG6V");
}

TEST(SpectralTypes, ClassLuminosityCalibration) {
    double m;
    ASSERT_TRUE(sky::absoluteMagnitudeOf(0x0542, m));  // G2V, the Sun
    EXPECT_NEAR(m, 4.7, 0.3);
    ASSERT_TRUE(sky::absoluteMagnitudeOf(0x0350, m));  // K0III, a red-clump giant
    EXPECT_NEAR(m, 0.7, 0.3);
    ASSERT_TRUE(sky::absoluteMagnitudeOf(0x0161, m));  // M1I, a supergiant
    EXPECT_LT(m, -5.0);
    EXPECT_FALSE(sky::absoluteMagnitudeOf(sky::kNoSpectralCode, m));
}

TEST(StarMagnitudes, LightAddsUp) {
    EXPECT_NEAR(sky::combinedMagnitude({1.0, 1.0}), 1.0 - 2.5 * std::log10(2.0), 1e-12);  // 0.753 brighter
    EXPECT_NEAR(sky::combinedMagnitude({3.0, 8.0}), 3.0 - 2.5 * std::log10(1.01), 1e-12);  // a 1% companion
    EXPECT_NEAR(sky::combinedMagnitude({4.2}), 4.2, 1e-12);
    EXPECT_TRUE(std::isinf(sky::combinedMagnitude({})));
}

TEST(StarMagnitudes, TheEntrysHipparcosVFirstThenTheZoneRecordsSummed) {
    sky::TextStar hipparcos;
    hipparcos.vmag = 0.77;
    hipparcos.bv = -0.24;
    hipparcos.hipparcos = true;
    sky::MagnitudeInput in;
    in.hip = 60718;
    in.zoneV = {1.25, 1.55};  // two components under one number, each rounded down to 0.05
    in.zoneBv = -0.156;
    in.component = 'A';
    in.text = &hipparcos;
    sky::MagnitudeChoice c = sky::chooseMagnitude(in);
    EXPECT_EQ(c.source, sky::MagnitudeSource::kHipparcos);
    EXPECT_DOUBLE_EQ(c.v, 0.77);
    EXPECT_DOUBLE_EQ(c.bv, -0.24);
    EXPECT_TRUE(c.caveat.empty());

    in.text = nullptr;
    c = sky::chooseMagnitude(in);
    EXPECT_EQ(c.source, sky::MagnitudeSource::kZoneCombined);
    EXPECT_NEAR(c.v, sky::combinedMagnitude({1.275, 1.575}), 1e-12);
    EXPECT_NEAR(c.bv, -0.156 + 1.0 / 64, 1e-12);

    in.zoneV = {9.0};
    in.component = 0;
    c = sky::chooseMagnitude(in);
    EXPECT_EQ(c.source, sky::MagnitudeSource::kZone);
    EXPECT_NEAR(c.v, 9.025, 1e-12);
    EXPECT_TRUE(c.caveat.empty());
}

TEST(StarMagnitudes, TychoRowsOnlyWarnAndDoubtfulValuesSayWhy) {
    sky::TextStar tycho;
    tycho.vmag = 9.5;
    tycho.hipparcos = false;
    sky::MagnitudeInput in;
    in.hip = 1234;
    in.zoneV = {9.0};
    in.text = &tycho;
    sky::MagnitudeChoice c = sky::chooseMagnitude(in);
    EXPECT_NEAR(c.v, 9.025, 1e-12);  // the zone value, which is the Hipparcos one
    EXPECT_NE(c.caveat.find("disagree"), std::string::npos) << c.caveat;
    tycho.vmag = 9.2;
    EXPECT_TRUE(sky::chooseMagnitude(in).caveat.empty());

    in.text = nullptr;
    in.zoneV = {13.9};
    in.component = 'C';
    c = sky::chooseMagnitude(in);
    EXPECT_EQ(c.source, sky::MagnitudeSource::kZoneComponent);
    EXPECT_NE(c.caveat.find("fainter than any Hipparcos entry"), std::string::npos) << c.caveat;

    in.hip = 30438;  // Canopus: the published V, listed with the Hipparcos one it replaces
    in.zoneV = {-0.65};
    in.component = 0;
    c = sky::chooseMagnitude(in);
    EXPECT_EQ(c.source, sky::MagnitudeSource::kPublished);
    EXPECT_DOUBLE_EQ(c.v, -0.74);
    EXPECT_FALSE(c.caveat.empty());
}

TEST(StarMagnitudes, ResidualHistogramBins) {
    sky::ResidualHistogram h;
    for (double r : {0.0, -0.02, 0.03, -0.05, 0.07, 0.2, -0.9, 1.5}) h.add(r);
    EXPECT_EQ(h.total, 8u);
    EXPECT_EQ(h.count[0], 2u);
    EXPECT_EQ(h.within(0.05), 4u);
    EXPECT_EQ(h.within(0.3), 6u);
    EXPECT_EQ(h.count[5], 1u);
    EXPECT_DOUBLE_EQ(h.largest, 1.5);
}

}  // namespace

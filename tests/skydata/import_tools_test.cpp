// Checks of the import tool's reusable parts: the star octree with its pinned record, and the
// spectral-type parser (the tool's own sources, compiled in here).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "../../tools/skyimport/octree.cpp"
#include "../../tools/skyimport/mkclass.cpp"

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

}  // namespace

// The star collection: the tree walk against a brute-force reference, the entry rules, labels,
// capacity limits and malformed trees.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "catalog/catalog.h"
#include "render/sky_internal.h"
#include "render_fixture.h"
#include "support/synthcatalog.h"

namespace {

using render::lists;
using render::StarEntry;

double apparent(const catalog::StarRecord& s, const Vector3& eye) {
    const Vector3 v{s.x - eye.x, s.y - eye.y, s.z - eye.z};
    return s.absMag / 256.0 + vmath::distanceModulus(vmath::lengthSquared(v)) - 5.0;
}

// Every star that the sky should hold: not at the camera and strictly brighter than the limit.
std::set<int32_t> bruteForce(const synth::SynthCatalog& cat, const Vector3& eye, double limit) {
    std::set<int32_t> ids;
    for (size_t i = 0; i < cat.stars.size(); ++i) {
        const auto& s = cat.stars[i];
        const Vector3 v{s.x - eye.x, s.y - eye.y, s.z - eye.z};
        if (vmath::lengthSquared(v) > 0 && apparent(s, eye) < limit) ids.insert(static_cast<int32_t>(i));
    }
    return ids;
}

std::set<int32_t> collected() {
    std::set<int32_t> ids;
    for (int i = 0; i < lists().stars.count; ++i) ids.insert(lists().stars.items[i].id);
    return ids;
}

class CollectionTest : public rtest::RenderFixture {
protected:
    synth::SynthCatalog cat;

    // The catalogue's vectors may reuse the memory of the one before.
    void attach() {
        cat.attach();
        render::catalogueChanged();
    }

    void collect(const Vector3& eye, double limit) {
        cam().IPos = eye;
        cam().starMagLimit = limit;
        cam().flags = camera::kFlagStars;
        render::buildScene(cam());
    }
};

// A clustered random sky: a dense disc around the origin, a few clumps and a sparse halo, so
// that the tree has deep and shallow parts and cameras sit inside, beside and outside nodes.
void randomSky(synth::SynthCatalog& cat, int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_real_distribution<double> mag(-7, 16);
    const Vector3 clumps[] = {{0, 0, 0}, {300, -120, 40}, {-2500, 900, 3000}, {40, 40, -40}};
    for (int i = 0; i < count; ++i) {
        Vector3 p;
        const int kind = i % 10;
        if (kind < 5) p = {unit(rng) * 400, unit(rng) * 60, unit(rng) * 400};
        else if (kind < 9) {
            const Vector3 c = clumps[i % 4];
            const double r = (i % 3 + 1) * 8.0;
            p = {c.x + unit(rng) * r, c.y + unit(rng) * r, c.z + unit(rng) * r};
        } else p = {unit(rng) * 20000, unit(rng) * 20000, unit(rng) * 20000};
        cat.addStar(p, mag(rng), unit(rng) * 1.5, catalog::kNoSpectral, synth::hipCode(i + 1));
    }
}

TEST_F(CollectionTest, TreeWalkFindsExactlyTheStarsBrighterThanTheLimit) {
    randomSky(cat, 20000, 7);
    cat.buildTree(8);
    attach();
    const Vector3 cameras[] = {
        {0, 0, 0},          {300, -120, 40},    {-0.5, 0.25, 12.5}, {399, 59, -399},
        {5000, 5000, 0},    {-2500, 900, 3000}, {0, 5000, 0},       {40.001, 40, -40},
    };
    for (const Vector3& eye : cameras) {
        for (double limit : {6.0, 3.0, 9.5}) {
            collect(eye, limit);
            EXPECT_EQ(collected(), bruteForce(cat, eye, limit))
                << "camera " << eye.x << "," << eye.y << "," << eye.z << " limit " << limit;
        }
        // A steeper cut reads more and finds the same; a flatter one may only lose stars.
        cam().tree = 2.0;
        collect(eye, 6.0);
        EXPECT_EQ(collected(), bruteForce(cat, eye, 6.0));
        cam().tree = 0.3;
        collect(eye, 6.0);
        const auto some = collected(), all = bruteForce(cat, eye, 6.0);
        EXPECT_TRUE(std::includes(all.begin(), all.end(), some.begin(), some.end()));
        cam().tree = 1.0;
    }
}

TEST_F(CollectionTest, ACatalogueChangedInPlaceIsIndexedAgain) {
    randomSky(cat, 3000, 11);
    cat.buildTree(8);
    attach();
    collect({0, 0, 0}, 6);
    const size_t before = collected().size();
    // Every star ten magnitudes brighter, same memory, same sizes.
    for (auto& s : cat.stars) s.absMag = static_cast<int16_t>(s.absMag - 10 * 256);
    cat.attach();
    render::catalogueChanged();
    collect({0, 0, 0}, 6);
    EXPECT_GT(collected().size(), before);
    EXPECT_EQ(collected(), bruteForce(cat, {0, 0, 0}, 6));
}

// A camera just beside the face of a big leaf box whose corners are all far away: the run's
// first star is bright but remote and fails the cut, its second star is faint but 2 ly away and
// must still be seen.
TEST_F(CollectionTest, NearStarBehindARemoteBrightOneInTheSameRunIsSeen) {
    // Subdivide the camera's side of the root so that the camera's cell is elsewhere.
    for (int i = 0; i < 12; ++i)
        cat.addStar({-100000.0 + i * 1000, 100000, 100000}, 0, 0, catalog::kNoSpectral, synth::hipCode(i + 10));
    cat.addStar({150000, 150000, 150000}, -5, 0, catalog::kNoSpectral, synth::hipCode(1));
    cat.addStar({1, 50000, 50000}, 3, 0, catalog::kNoSpectral, synth::hipCode(2));
    const auto moved = cat.buildTree(8);
    attach();
    collect({-1, 50000, 50000}, 6);
    const auto ids = collected();
    EXPECT_EQ(ids.count(static_cast<int32_t>(moved[13])), 1u) << "the near star was lost";
    EXPECT_EQ(ids, bruteForce(cat, {-1, 50000, 50000}, 6));
}

TEST_F(CollectionTest, EntriesCarryDirectionDistanceAndIdentity) {
    cat.addStar({3, 4, 0}, 1.0, 0.65, catalog::kNoSpectral, synth::hipCode(1));
    cat.addStar({0, 0, -10}, 2.0, 0.0, catalog::kNoSpectral, synth::hipCode(2));
    cat.buildTree(8);
    attach();
    collect({0, 0, 0}, 6);
    ASSERT_EQ(lists().stars.count, 2);
    ASSERT_EQ(lists().sky.count, 2);
    // Sorted near to far: the star at 5 ly, then the one at 10 ly.
    const auto& items = lists().sky.items;
    EXPECT_NEAR(items[0].distance, 5.0, 1e-5);
    EXPECT_NEAR(items[1].distance, 10.0, 1e-5);
    const StarEntry& near = lists().stars.items[items[0].entry];
    EXPECT_NEAR(near.dir.x, 0.6 * vmath::kSkyRadius, 1e-5 * vmath::kSkyRadius);
    EXPECT_NEAR(near.dir.y, 0.8 * vmath::kSkyRadius, 1e-5 * vmath::kSkyRadius);
    EXPECT_EQ(near.dir.z, 0.0);
    catalog::StarRecord rec;
    ASSERT_TRUE(catalog::readStar(static_cast<uint32_t>(near.id), rec));
    EXPECT_EQ(rec.x, 3.0f);
}

TEST_F(CollectionTest, LimitIsStrictAndTheCameraOnAStarSkipsIt) {
    cat.addStar({0, 0, 20}, 4.0, 0.0, catalog::kNoSpectral, synth::hipCode(1));
    cat.addStar({7.25, -1.5, 2}, 3.0, 0.0, catalog::kNoSpectral, synth::hipCode(2));
    const auto moved = cat.buildTree(8);
    attach();
    const int32_t id = static_cast<int32_t>(moved[0]), other = static_cast<int32_t>(moved[1]);
    const double m = apparent(cat.stars[id], {0, 0, 0});
    collect({0, 0, 0}, m);
    EXPECT_EQ(collected().count(id), 0u) << "a star exactly at the limit is not drawn";
    collect({0, 0, 0}, std::nextafter(m, 100.0));
    EXPECT_EQ(collected().count(id), 1u);

    // Arrived at the other star: it has no direction and is left out; the first one stays.
    const auto& there = cat.stars[other];
    collect({there.x, there.y, there.z}, 30);
    EXPECT_EQ(collected(), std::set<int32_t>{id});
    for (int i = 0; i < lists().sky.count; ++i) EXPECT_TRUE(std::isfinite(lists().sky.items[i].distance));
}

TEST(StarLook, LevelsClassesAndFlags) {
    using render::starLook;
    const int16_t bv = synth::fixed88(0.65);
    const int cls = catalog::starColourIndex(bv);
    // Faint stars are grey and dim with magnitude, 16 levels a magnitude.
    auto faint = starLook(5.999, bv, 100, 1.5, 12);
    EXPECT_EQ(faint.colourClass, 128);
    EXPECT_EQ(faint.level, 96);
    EXPECT_EQ(faint.starFlags, 0);
    EXPECT_EQ(starLook(4.0, bv, 100, 1.5, 12).level, 128);
    EXPECT_EQ(starLook(4.0, bv, 100, 1.5, 12).colourClass, 128);
    // Beyond magnitude 12 the level wraps through its low 8 bits.
    EXPECT_EQ(starLook(13.0, bv, 100, 1.5, 12).level, 240);
    // Bright stars take the colour of their B−V.
    auto mid = starLook(3.0, bv, 100, 1.5, 12);
    EXPECT_EQ(mid.colourClass, cls);
    EXPECT_EQ(mid.level, 104);
    EXPECT_EQ(starLook(0.0, bv, 100, 1.5, 12).level, 128);
    EXPECT_EQ(starLook(0.0, bv, 100, 1.5, 12).starFlags, render::kStarLabelled);
    // Below magnitude 0: glows of size trunc(1 − m).
    auto small = starLook(-1.5, bv, 100, 1.5, 12);
    EXPECT_EQ(small.starFlags & render::kStarBright, render::kStarBright);
    EXPECT_EQ(small.level, 2);
    EXPECT_EQ(small.colourClass, cls);
    EXPECT_EQ(starLook(-4.5, bv, 100, 1.5, 12).level, 5);
    // Labels: strictly brighter than labelMagLimit; local: strictly nearer than vradius.
    EXPECT_EQ(starLook(1.5, bv, 100, 1.5, 12).starFlags & render::kStarLabelled, 0);
    EXPECT_NE(starLook(1.49, bv, 100, 1.5, 12).starFlags & render::kStarLabelled, 0);
    EXPECT_EQ(starLook(5, bv, 12, 1.5, 12).starFlags & render::kStarLocal, 0);
    EXPECT_NE(starLook(5, bv, 11.99, 1.5, 12).starFlags & render::kStarLocal, 0);
    // Magnitudes the console can set do not overflow the level arithmetic.
    EXPECT_EQ(starLook(-1e300, bv, 100, 1.5, 12).starFlags & render::kStarBright, render::kStarBright);
    (void)starLook(1e300, bv, 100, 1e300, 12);
}

TEST_F(CollectionTest, LabelsGreenForBrightRedForLocalBothWhenBoth) {
    // 10 pc away, so apparent = absolute magnitude.
    const double tenParsecs = 32.616;
    cat.addStar({tenParsecs, 0, 0}, 1.0, 0, catalog::kNoSpectral, synth::hipCode(11));   // bright
    cat.addStar({0, 5, 0}, 1.0, 0, catalog::kNoSpectral, synth::hipCode(12));           // bright, local
    cat.addStar({0, 0, 6}, 9.0, 0, catalog::kNoSpectral, synth::hipCode(13));           // local only (m 5.3)
    cat.addStar({0, 0, -tenParsecs}, 5.0, 0, catalog::kNoSpectral, synth::hipCode(14)); // neither
    cat.buildTree(8);
    attach();
    cam().flags = camera::kFlagStars | camera::kFlagLabels;
    cam().starMagLimit = 6;
    cam().IPos = {0, 0, 0};
    render::buildScene(cam());
    const auto& l = lists();
    ASSERT_EQ(l.stars.count, 4);
    int green = 0, red = 0;
    for (int i = 0; i < l.sky.count; ++i) {
        const auto& item = l.sky.items[i];
        if (item.kind != render::kSkyText) continue;
        const auto& t = l.texts.items[item.entry];
        char name[catalog::kNameSize];
        // The label names a star at the same distance in the same direction.
        bool matched = false;
        for (int s = 0; s < l.stars.count; ++s) {
            const auto& st = l.stars.items[s];
            if (std::fabs(st.dir.x + 100 - t.point.x) < 1e-3 && std::fabs(st.dir.y + 100 - t.point.y) < 1e-3 &&
                st.dir.z == t.point.z) {
                catalog::starName(static_cast<uint32_t>(st.id), name);
                EXPECT_STREQ(t.text, name);
                matched = true;
            }
        }
        EXPECT_TRUE(matched);
        green += t.colour == 32;
        red += t.colour == 16;
    }
    EXPECT_EQ(green, 2);
    EXPECT_EQ(red, 2);
    EXPECT_EQ(l.texts.count, 4);

    cam().flags = camera::kFlagStars;
    render::buildScene(cam());
    EXPECT_EQ(lists().texts.count, 0) << "labels only with their switch";
    cam().flags = camera::kFlagLabels;
    render::buildScene(cam());
    EXPECT_EQ(lists().sky.count, 0) << "no stars, nothing to label";
}

TEST_F(CollectionTest, FullListsStopTheirCollection) {
    // More bright stars than the star list holds, all labelled.
    const int n = render::kStarListCapacity + 500;
    cat.stars.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double a = i * 0.001;
        cat.addStar({50 * std::cos(a), 50 * std::sin(a), (i % 1000) * 0.05 + 1}, -2, 0,
                    catalog::kNoSpectral, synth::hipCode(i + 1));
    }
    cat.buildTree(64);
    attach();
    cam().flags = camera::kFlagStars | camera::kFlagLabels;
    cam().IPos = {0, 0, 0};
    render::buildScene(cam());
    EXPECT_EQ(lists().stars.count, render::kStarListCapacity);
    EXPECT_EQ(lists().sky.count, render::kSkyListCapacity);
    EXPECT_EQ(lists().texts.count, 0) << "the SkyList is full: no labels fit";

    // With fewer stars the text list fills up before the SkyList does.
    cat.stars.resize(3000);
    cat.buildTree(64);
    attach();
    render::buildScene(cam());
    EXPECT_EQ(lists().stars.count, 3000);
    EXPECT_EQ(lists().texts.count, render::kTextListCapacity);
    EXPECT_EQ(lists().sky.count, 3000 + render::kTextListCapacity);
}

TEST_F(CollectionTest, MalformedTreesEndTheWalk) {
    cat.addStar({1, 1, 1}, 0, 0, catalog::kNoSpectral, synth::hipCode(1));
    cat.addStar({2, 1, 1}, 0, 0, catalog::kNoSpectral, synth::hipCode(2));
    cat.buildTree(8);
    // A child link back to the root, a link past the node table and a run past the star table.
    catalog::TreeNode& root = cat.tree[0];
    root.octant[0] = catalog::kTreeChildFlag | 0;
    root.octant[1] = catalog::kTreeChildFlag | 999;
    root.octant[2] = 5000;
    // The last star loses its last-of-run flag: the run ends at the end of the table.
    for (auto& s : cat.stars) s.flags = 0;
    attach();
    collect({0, 0, 0}, 6);
    EXPECT_LE(lists().stars.count, 2 * catalog::kMaxTreeDepth * 8);
    EXPECT_GE(lists().stars.count, 2);

    cat.tree.clear();
    attach();
    collect({0, 0, 0}, 6);
    EXPECT_EQ(lists().stars.count, 0);
}

}  // namespace

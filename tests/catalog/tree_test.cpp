// Boxes, octants and the walks of the star tree, on built and on malformed trees.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "catalog/catalog.h"
#include "support/synthcatalog.h"

using namespace catalog;
using namespace synth;

namespace {

constexpr double H = kTreeHalfSize;

TEST(Boxes, OctantsSplitTheBoxWithZReversed) {
    Box root = rootBox();
    Box b;
    octantBox(0, root, b);  // low x, low y, high z
    EXPECT_EQ(b.x0, -H); EXPECT_EQ(b.x1, 0);
    EXPECT_EQ(b.y0, -H); EXPECT_EQ(b.y1, 0);
    EXPECT_EQ(b.z0, 0);  EXPECT_EQ(b.z1, H);
    octantBox(7, root, b);  // high x, high y, low z
    EXPECT_EQ(b.x0, 0);  EXPECT_EQ(b.x1, H);
    EXPECT_EQ(b.y0, 0);  EXPECT_EQ(b.y1, H);
    EXPECT_EQ(b.z0, -H); EXPECT_EQ(b.z1, 0);
    octantBox(2, root, b);  // bit 1: x
    EXPECT_EQ(b.x0, 0);
    EXPECT_EQ(b.y1, 0);
    octantBox(1, root, b);  // bit 0: y
    EXPECT_EQ(b.x1, 0);
    EXPECT_EQ(b.y0, 0);
    octantBox(5, Box{0, 0, 0, 4, 8, 16}, b);
    EXPECT_EQ(b.x0, 0); EXPECT_EQ(b.x1, 2);
    EXPECT_EQ(b.y0, 4); EXPECT_EQ(b.y1, 8);
    EXPECT_EQ(b.z0, 0); EXPECT_EQ(b.z1, 8);
}

TEST(Boxes, PointsOverlapsAndDistances) {
    Box unit{0, 0, 0, 1, 1, 1};
    EXPECT_TRUE(pointInBox({0, 0, 0}, unit));
    EXPECT_TRUE(pointInBox({1, 1, 1}, unit));  // faces belong to the box
    EXPECT_FALSE(pointInBox({1.0000001, 0.5, 0.5}, unit));
    EXPECT_FALSE(pointInBox({0.5, -1e-9, 0.5}, unit));

    Box inside{0.25, 0.25, 0.25, 0.5, 0.5, 0.5};
    Box across{0.5, 0.5, 0.5, 1.5, 1.5, 1.5};
    Box touching{1, 0, 0, 2, 1, 1};
    Box apart{2, 2, 2, 3, 3, 3};
    Box large{-10, -10, -10, 10, 10, 10};
    for (const Box& b : {inside, across, touching}) {
        EXPECT_TRUE(boxesOverlap(unit, b));
        EXPECT_TRUE(boxesOverlap(b, unit));
    }
    EXPECT_FALSE(boxesOverlap(unit, apart));
    EXPECT_FALSE(boxesOverlap(apart, unit));
    // A small box deep inside a large one: only the small box's corners can tell.
    EXPECT_TRUE(boxesOverlap(large, inside));
    EXPECT_TRUE(boxesOverlap(inside, large));

    double lo, hi;
    boxDistanceRange(unit, {0, 0, 0}, lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 3);
    boxDistanceRange(unit, {3, 0.5, 0.5}, lo, hi);
    EXPECT_EQ(lo, 4 + 0.25 + 0.25);
    EXPECT_EQ(hi, 9 + 0.25 + 0.25);
}

// Every star of a built tree is found in the leaf run that findLeafNode answers for its position.
TEST(TreeWalks, FindLeafNodeOnABuiltTree) {
    SynthCatalog cat;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> near(-500, 500);
    for (int i = 0; i < 400; ++i)
        cat.addStar({near(rng), near(rng), near(rng)}, near(rng) / 50, 0.5, 0x0552, hdCode(i + 1));
    cat.addStar({-190000, 150000, -180000}, 3, 0.5, 0x0552, hdCode(9999));  // far out
    cat.buildTree(4);
    cat.attach();
    ASSERT_GT(treeNodeCount(), 10u);

    for (uint32_t i = 0; i < starCount(); ++i) {
        StarRecord star;
        readStar(i, star);
        Vector3 p{star.x, star.y, star.z};
        uint32_t node = 12345;
        ASSERT_EQ(findLeafNode(rootBox(), 0, p, node), 1);
        ASSERT_LT(node, treeNodeCount());
        TreeNode entries;
        readTreeNode(node, entries);
        bool found = false;
        for (uint32_t entry : entries.octant) {
            if (entry == kTreeEmpty || (entry & 0xFF000000u) == kTreeChildFlag) continue;
            for (uint32_t s = entry; s < starCount(); ++s) {
                StarRecord r;
                readStar(s, r);
                found = found || s == i;
                if (r.flags & kLastOfRun) break;
            }
        }
        ASSERT_TRUE(found) << "star " << i;
        char path[kMaxTreeDepth + 1];
        EXPECT_GT(treePath(p, path, sizeof path), 0);
    }
    // Leaf runs are brightest first.
    for (uint32_t i = 1; i < starCount(); ++i) {
        StarRecord a, b;
        readStar(i - 1, a);
        readStar(i, b);
        if (!(a.flags & kLastOfRun)) {
            EXPECT_LE(a.absMag, b.absMag);
        }
    }
}

class HandTree : public ::testing::Test {
protected:
    SynthCatalog cat;
    static constexpr uint32_t child(uint32_t node) { return kTreeChildFlag | node; }
    TreeNode leaves(uint32_t firstStar = 0) {
        TreeNode n;
        for (uint32_t& e : n.octant) e = firstStar;
        return n;
    }
    std::string path(Vector3 p, size_t capacity = 64) {
        char out[64];
        int n = treePath(p, out, capacity);
        EXPECT_EQ(static_cast<size_t>(n), std::string(out).size());
        return out;
    }
};

TEST_F(HandTree, PathLettersAndSharedFaces) {
    cat.addStar({}, 0, 0, 0, 0);
    TreeNode root = leaves();
    root.octant[0] = child(1);
    root.octant[2] = child(2);
    root.octant[3] = child(3);
    root.octant[6] = kTreeEmpty;
    TreeNode three = leaves();
    three.octant[5] = child(4);
    cat.tree = {root, leaves(), leaves(), three, leaves()};
    cat.attach();

    // Octant 3 (high x, high y, high z), then its octant 5 (low x, high y, low z): two levels.
    Vector3 deep{40000, 120000, 10000};
    EXPECT_EQ(path(deep), "DF");
    uint32_t node = 99;
    ASSERT_EQ(findLeafNode(rootBox(), 0, deep, node), 1);
    EXPECT_EQ(node, 4u);

    // A leaf or an empty octant of the root: no letter, the root answers.
    EXPECT_EQ(path({-1, 1, 1}), "");  // octant 1 holds a leaf run
    EXPECT_EQ(path({1, -1, -1}), "");  // octant 6 is empty
    ASSERT_EQ(findLeafNode(rootBox(), 0, {1, -1, -1}, node), 1);
    EXPECT_EQ(node, 0u);

    // On the x = 0 face between octants 0 and 2, both subdivided: letters from both sides,
    // and the later octant decides the leaf.
    Vector3 face{0, -5, 5};
    EXPECT_EQ(path(face), "AC");
    ASSERT_EQ(findLeafNode(rootBox(), 0, face, node), 1);
    EXPECT_EQ(node, 2u);
    // On the y = 0 face between octants 2 and 3, both subdivided into leaves.
    EXPECT_EQ(path({5, 0, 5}), "CD");

    // Outside the root cube nothing holds the point.
    EXPECT_EQ(findLeafNode(rootBox(), 0, {0, 0, 300000}, node), 0);
    EXPECT_EQ(path({0, 0, 300000}), "");
    // The path is cut to the buffer and stays terminated.
    EXPECT_EQ(path(deep, 2), "D");
    EXPECT_EQ(path(deep, 1), "");
}

TEST_F(HandTree, MalformedTreesStopSafely) {
    cat.addStar({}, 0, 0, 0, 0);
    TreeNode root = leaves();
    root.octant[0] = child(7);      // past the end of the tree file
    root.octant[7] = child(0);      // back to the root
    cat.tree = {root};
    cat.attach();

    uint32_t node = 77;
    EXPECT_EQ(findLeafNode(rootBox(), 0, {-1, -1, 1}, node), 0);
    EXPECT_EQ(node, 77u);
    EXPECT_EQ(path({-1, -1, 1}), "A");

    // The cycle through octant 7 is followed to the depth limit and no further: the corner of
    // the root cube lies in octant 7 of every box on the way.
    Vector3 cycling{H, H, -H};
    EXPECT_EQ(findLeafNode(rootBox(), 0, cycling, node), 0);
    char out[128];
    EXPECT_EQ(treePath(cycling, out, sizeof out), kMaxTreeDepth);
    EXPECT_EQ(std::string(out), std::string(kMaxTreeDepth, 'H'));

    // Every octant pointing back to the root, and a point on the centre of every box it
    // reaches: it lies in eight octants at the root; the walk must still end.
    TreeNode all;
    for (uint32_t& e : all.octant) e = child(0);
    cat.tree = {all};
    cat.attach();
    EXPECT_EQ(findLeafNode(rootBox(), 0, {0, 0, 0}, node), 0);
    EXPECT_EQ(treePath({0, 0, 0}, out, sizeof out), 127);

    // No tree at all.
    cat.tree.clear();
    cat.attach();
    EXPECT_EQ(findLeafNode(rootBox(), 0, {0, 0, 0}, node), 0);
    EXPECT_EQ(path({0, 0, 0}), "");
    EXPECT_EQ(findLeafNode(rootBox(), 5, {0, 0, 0}, node), 0);
}

}  // namespace

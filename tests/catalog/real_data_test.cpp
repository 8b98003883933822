// The shipped catalogue files (data/catalog) read by the catalogue's own queries: the tree finds
// every star, links stay inside their files and the well-known objects have their names.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "catalog/catalog.h"

using namespace catalog;

namespace {

class ShippedCatalogue : public ::testing::Test {
protected:
    std::string bytes[kCatalogFileCount];

    void SetUp() override {
        static const char* kNames[kCatalogFileCount] = {"stellar.data", "stellar.xdat", "stellar.tree",
                                                        "stellar.ssys", "stellar.note", "galactic.data",
                                                        "galactic.bmap", "galactic.hmap"};
        CatalogFiles files;
        for (int f = 0; f < kCatalogFileCount; ++f) {
            std::ifstream in(std::string(VYREX_SOURCE_DIR) + "/data/catalog/" + kNames[f], std::ios::binary);
            ASSERT_TRUE(in) << kNames[f];
            std::ostringstream s;
            s << in.rdbuf();
            bytes[f] = s.str();
            files.data[f] = reinterpret_cast<const uint8_t*>(bytes[f].data());
            files.size[f] = bytes[f].size();
        }
        catalogAttach(files);
    }
    void TearDown() override { catalogAttach(CatalogFiles{}); }
};

TEST_F(ShippedCatalogue, TheSunAndItsNote) {
    ASSERT_GT(starCount(), kSunIndex);
    char name[kNameSize];
    starName(kSunIndex, name);
    EXPECT_STREQ(name, "Sol");
    EXPECT_EQ(findByName("Sol"), kSunIndex);
    Vector3 p;
    ASSERT_EQ(objectPosition(kSunIndex, p), 1);
    EXPECT_EQ(vmath::lengthSquared(p), 0);
    char note[256] = {};
    EXPECT_GT(noteText(kSunIndex, note, sizeof note), 10);
}

TEST_F(ShippedCatalogue, EveryStarIsFoundThroughTheTree) {
    ASSERT_GT(starCount(), 100000u);
    ASSERT_GT(treeNodeCount(), 0u);
    // The Sun lies on the root's three splitting planes, so in all eight octants of the root:
    // the tree keeps it in the first octant's leaf while the leaf search lets the last matching
    // octant decide. It is the one star allowed elsewhere.
    uint32_t unreachable = 0, badLinks = 0;
    for (uint32_t i = 0; i < starCount(); ++i) {
        StarRecord star;
        readStar(i, star);
        Vector3 p{star.x, star.y, star.z};
        uint32_t node = 0;
        if (!findLeafNode(rootBox(), 0, p, node)) {
            ++unreachable;
            continue;
        }
        TreeNode entries;
        readTreeNode(node, entries);
        bool found = false;
        for (uint32_t entry : entries.octant) {
            if (entry == kTreeEmpty || (entry & 0xFF000000u) == kTreeChildFlag) continue;
            for (uint32_t s = entry; s < starCount() && !found; ++s) {
                StarRecord r;
                readStar(s, r);
                found = s == i;
                if (r.flags & kLastOfRun) break;
            }
        }
        unreachable += !found && i != kSunIndex;
        badLinks += star.extra >= 0 && static_cast<uint32_t>(star.extra) >= starExtraCount();
        badLinks += star.firstComponent >= 0 && static_cast<uint32_t>(star.firstComponent) >= componentRecordCount();
    }
    EXPECT_EQ(unreachable, 0u);
    EXPECT_EQ(badLinks, 0u);
}

TEST_F(ShippedCatalogue, NamesAreFormedAndFound) {
    // Every deep-sky object of a known type has a name, and the first of each name is found.
    uint32_t unnamed = 0, lost = 0;
    for (uint32_t i = 0; i < deepSkyCount(); ++i) {
        DeepSkyInfo info;
        ASSERT_EQ(deepSkyInfo(kDeepSkyBase + i, Vector3{0, 0, 0}, info), 1);
        if (info.type == kDeepSkyUnnamed) continue;
        if (!info.name[0]) {
            ++unnamed;
            continue;
        }
        ObjectId id = findByName(info.name);
        lost += id == kNoObject;
    }
    EXPECT_EQ(unnamed, 0u);
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(findByName("Pleiades"), findByName("Pleiades"));
    EXPECT_NE(findByName("Pleiades"), kNoObject);
    EXPECT_NE(findByName("Orion Nebula"), kNoObject);
    ObjectId alpha = searchNext(kNoObject, "Alpha? Centauri");
    EXPECT_NE(alpha, kNoObject);
    EXPECT_EQ(findByName("Alp1 Cen"), alpha);
}

}  // namespace

// Loading the catalogue from packs: the eight files, their counts, the log and a missing file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "base/app.h"
#include "base/log.h"
#include "support/packwriter.h"
#include "support/synthcatalog.h"
#include "vfs/vfs.h"

using namespace catalog;
using namespace synth;

namespace {

class CatalogPacks : public ::testing::Test {
protected:
    std::string root;
    char savedFolder[app::kPathMax + 1] = {};
    int savedDB = 0;
    SynthCatalog cat;

    void SetUp() override {
        char pattern[] = "/tmp/vyrex-catalog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directory(root + "/data");
        std::strcpy(savedFolder, app::programFolder);
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", root.c_str());
        savedDB = app::mode.DB;
        app::mode.DB = 1;
        logc::resetChannels();
        logc::openChannel(1, ("$" + root + "/log.txt").c_str());

        cat.addStar({1.25, 2.5, -3.75}, 4.8, 0.65, 0x0552, hdCode(1));
        cat.addStar({0, 0, 0}, 4.8, 0.65, 0x0552, hdCode(2));
        uint32_t sol = cat.addStar({0, 0, 0}, 4.8, 0.65, 0x0552, hipCode(0));
        cat.addExtra(sol, extraCode(10, 0));
        cat.addComponents(0, {component('A', ' ', 0x0552, 1, 0, 0, 0), component('B', ' ', 0x0552, 1, 0, 0, 0)});
        std::vector<uint32_t> moved = cat.buildTree();
        cat.addNote(moved[sol], "Home.");
        cat.addDeepSky(kOpenCluster, {5, 5, 5}, -3, (32u << 24));
        cat.brightnessMap.assign(kGalaxyMapMinSize, 1);
        cat.secondMap.assign(kGalaxyMapMinSize + 3, 2);
    }
    void TearDown() override {
        catalogAttach(CatalogFiles{});
        vfs::closePacks();
        logc::closeChannels();
        app::mode.DB = savedDB;
        std::strcpy(app::programFolder, savedFolder);
        std::filesystem::remove_all(root);
    }

    // The catalogue pack of the synthetic files, leaving out `missing`.
    void writePacks(const std::string& missing = "") {
        static const char* kNames[kCatalogFileCount] = {"stellar.data", "stellar.xdat", "stellar.tree",
                                                        "stellar.ssys", "stellar.note", "galactic.data",
                                                        "galactic.bmap", "galactic.hmap"};
        CatalogFiles files = cat.files();
        // An odd-sized file first puts every record at an unaligned offset in the pack.
        std::vector<packwriter::MemoryFile> packed = {{"aaa.odd", "x"}};
        for (int f = 0; f < kCatalogFileCount; ++f) {
            if (kNames[f] == missing) continue;
            packed.push_back({kNames[f], std::string(reinterpret_cast<const char*>(files.data[f]), files.size[f])});
        }
        ASSERT_EQ(packwriter::writeBytes(root + "/data/catalog.vfs", packwriter::buildOrDie(packed)), "");
        ASSERT_EQ(packwriter::writeBytes(root + "/data/vyrex2.vfs", packwriter::buildOrDie({{"help.html", "h"}})), "");
        ASSERT_EQ(vfs::openPacks(), 1);
    }
    std::string logText() {
        std::ifstream in(root + "/log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(CatalogPacks, LoadsTheEightFilesInPlaceAndLogsThem) {
    writePacks();
    ASSERT_EQ(catalogLoad(), 1);
    EXPECT_EQ(starCount(), 3u);
    EXPECT_EQ(starExtraCount(), 1u);
    EXPECT_EQ(treeNodeCount(), 1u);
    EXPECT_EQ(componentRecordCount(), 2u);
    EXPECT_EQ(deepSkyCount(), 1u);
    EXPECT_EQ(catalogFiles().size[kGalacticHmap], kGalaxyMapMinSize + 3);
    // Kept in place: the loader's pointers are the pack's blocks.
    size_t size = 0;
    EXPECT_EQ(catalogFiles().data[kStellarData], vfs::loadFile("stellar.data", &size));

    ObjectId sol = findByName("Sol");
    ASSERT_NE(sol, kNoObject);
    char text[64] = {};
    EXPECT_EQ(noteText(sol, text, sizeof text), 5);
    EXPECT_STREQ(text, "Home.");
    char name[kNameSize];
    deepSkyName(kDeepSkyBase, name);
    EXPECT_STREQ(name, "Pleiades");
    ObjectId first = findByName("HD 1");
    ASSERT_NE(first, kNoObject);
    Vector3 p;
    ASSERT_EQ(objectPosition(first, p), 1);
    EXPECT_EQ(p.z, -3.75);
    EXPECT_EQ(componentCount(first), 2);

    std::string log = logText();
    std::regex lines(
        "\r\n\tLoad Catalogs:"
        "\r\n\t\tLoading stellar.data \\([0-9A-F]{8,}:3\\)"
        "\r\n\t\tLoading stellar.xdat \\([0-9A-F]{8,}:1\\)"
        "\r\n\t\tLoading stellar.tree \\([0-9A-F]{8,}:1\\)"
        "\r\n\t\tLoading stellar.ssys \\([0-9A-F]{8,}:2\\)"
        "\r\n\t\tLoading stellar.note \\([0-9A-F]{8,}:[0-9]+\\)"
        "\r\n\r\n\t\tLoading galactic.data \\([0-9A-F]{8,}:1\\)"
        "\r\n\t\tLoading galactic.bmap \\([0-9A-F]{8,}:4097\\)"
        "\r\n\t\tLoading galactic.hmap \\([0-9A-F]{8,}:4100\\)");
    EXPECT_TRUE(std::regex_search(log, lines)) << log;
}

TEST_F(CatalogPacks, AMissingFileFailsTheLoad) {
    writePacks("stellar.ssys");
    EXPECT_EQ(catalogLoad(), 0);
    std::string log = logText();
    EXPECT_NE(log.find("\r\n\tLoad Catalogs:"), std::string::npos);
    EXPECT_EQ(log.find("Loading stellar"), std::string::npos);
}

TEST_F(CatalogPacks, QuietWithoutTheDebugFlag) {
    writePacks();
    app::mode.DB = 0;
    ASSERT_EQ(catalogLoad(), 1);
    std::string log = logText();
    EXPECT_EQ(log.find("Load Catalogs"), std::string::npos);
    EXPECT_EQ(log.find("Loading stellar"), std::string::npos);
}

}  // namespace

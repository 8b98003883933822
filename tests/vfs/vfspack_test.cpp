// The pack tool and the pack writer: what goes into a pack, and what is refused.
#include <cstdio>
#include <cstdlib>

#include "pack_folder.h"

namespace {

class Vfspack : public PackFolder {
protected:
    int run(const std::string& args) {
        const std::string cmd = std::string(VYREX_TOOLS_DIR) + "/vfspack/vfspack " + args + " >" + root +
                                "/out.txt 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string output() {
        std::ifstream in(root + "/out.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void file(const std::string& path, const std::string& contents) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << contents;
    }
};

TEST_F(Vfspack, PacksAFolderSortedWithItsFlags) {
    file(root + "/src/b.dat", "BB");
    file(root + "/src/a.dat", "A");
    file(root + "/src/.gitkeep", "");
    file(root + "/src/PACKFLAGS", "# flags\r\nb.dat 0x6\n\na.dat 2\n");
    ASSERT_EQ(run("create " + data + "/vyrex2.vfs " + root + "/src"), 0) << output();
    pack("catalog.vfs", {{"stars", "S"}});
    ASSERT_EQ(run("list " + data + "/vyrex2.vfs"), 0);
    EXPECT_NE(output().find("a.dat                                   92          1 0x2\n"
                            "b.dat                                   93          2 0x7\n"),
              std::string::npos) << output();
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(text("a.dat") + text("b.dat"), "ABB");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(vfs::loadFile("b.dat", nullptr)) % 32, 0u);
    EXPECT_EQ(text("PACKFLAGS") + text(".gitkeep"), "<none><none>");
}

TEST_F(Vfspack, RefusesAndLeavesThePreviousPack) {
    const std::string out = root + "/out.vfs";
    file(out, "previous");
    std::filesystem::create_directories(root + "/empty");
    EXPECT_EQ(run("create " + out + " " + root + "/empty"), 1);
    EXPECT_NE(output().find("holds no files"), std::string::npos) << output();

    file(root + "/long/" + std::string(32, 'n'), "x");
    EXPECT_EQ(run("create " + out + " " + root + "/long"), 1);
    file(root + "/flags/a", "x");
    for (const char* flags : {"a 1\n", "a\n", "a 0x\n", "a 08x\n", "b 2\n", "a 2\na 4\n", "a 4294967296\n"}) {
        file(root + "/flags/PACKFLAGS", flags);
        EXPECT_EQ(run("create " + out + " " + root + "/flags"), 1) << flags;
    }
    EXPECT_EQ(run("create " + out + " " + root + "/flags/a " + root + "/long/a"), 1);  // missing file
    EXPECT_EQ(run("list " + root + "/flags/a"), 1);

    std::ifstream in(out);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "previous");
    for (const auto& e : std::filesystem::directory_iterator(root))  // no temporary left behind
        EXPECT_EQ(e.path().filename().string().find(".tmp."), std::string::npos) << e.path();
}

TEST(PackWriter, RefusesWhatAPackCannotHold) {
    std::vector<uint8_t> header;
    EXPECT_NE(packwriter::layout({}, header), "");
    EXPECT_NE(packwriter::layout({{"a", 1}, {"a", 1}}, header), "");
    EXPECT_NE(packwriter::layout({{"", 1}}, header), "");
    EXPECT_NE(packwriter::layout({{"a", 0xFFFFFF00u}, {"b", 0x200}}, header), "");  // past 4 GiB
    EXPECT_EQ(header.size(), 0u);
    std::vector<packwriter::Item> many(257);
    for (size_t i = 0; i < many.size(); ++i) many[i].name = "f" + std::to_string(i);
    EXPECT_NE(packwriter::layout(many, header), "");
    many.pop_back();
    EXPECT_EQ(packwriter::layout(many, header), "");
    EXPECT_EQ(header.size(), 4u + 256 * 44);
}

}  // namespace

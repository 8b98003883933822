// Bad packs are refused whole: a bad optional pack is skipped, a bad required pack fails the open.
#include <cstring>

#include "pack_folder.h"
#include "vfs/vfs_internal.h"

namespace {

struct Fault {
    const char* what;
    std::vector<uint8_t> bytes;
};

void putU32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// Packs whose first two entries are fine ("shared" overrides, "fresh" is new) and whose third
// is not, so a half-merged pack would show.
std::vector<Fault> faults() {
    const auto good = [] { return packwriter::buildOrDie({{"shared", "bad"}, {"fresh", "F"}, {"third", "T"}}); };
    const size_t third = 4 + 2 * 44;  // the data end at byte 141
    std::vector<Fault> f;
    f.push_back({"bad magic", good()});
    f.back().bytes[3] = '1';
    f.push_back({"no last entry", good()});
    putU32(f.back().bytes, third + 40, 0);
    f.push_back({"directory cut short", good()});
    f.back().bytes.resize(third + 20);
    f.push_back({"data past the end", good()});
    putU32(f.back().bytes, third + 36, 2);
    f.push_back({"offset + size wraps at 32 bits", good()});
    putU32(f.back().bytes, third + 32, 0xFFFFFFFFu);
    putU32(f.back().bytes, third + 36, 2);
    f.push_back({"name without terminator", good()});
    std::memset(f.back().bytes.data() + third, 'x', 32);
    f.push_back({"too short", {'V', 'F'}});
    f.push_back({"empty", {}});
    Fault many{"257 entries", {vfs::detail::kMagic, vfs::detail::kMagic + 4}};
    packwriter::appendEntry(many.bytes, "shared", 0, 1, 0);
    packwriter::appendEntry(many.bytes, "fresh", 0, 1, 0);
    for (int i = 2; i < 257; ++i) packwriter::appendEntry(many.bytes, "n" + std::to_string(i), 0, 1, i == 256 ? 1 : 0);
    f.push_back(many);
    return f;
}

using BadPacks = PackFolder;

TEST_F(BadPacks, OptionalPacksAreSkippedWhole) {
    requiredPacks();
    pack("a.vfs", {{"fine", "ok"}});
    for (const Fault& fault : faults()) {
        raw("z.vfs", fault.bytes);
        ASSERT_EQ(vfs::openPacks(), 1) << fault.what;
        EXPECT_EQ(text("shared"), "from vyrex2") << fault.what;
        EXPECT_EQ(text("fresh"), "<none>") << fault.what;
        EXPECT_EQ(text("fine"), "ok") << fault.what;
        vfs::closePacks();
    }
}

TEST_F(BadPacks, BadOrMissingRequiredPackFailsTheOpen) {
    for (const char* required : {"vyrex2.vfs", "catalog.vfs"}) {
        for (const Fault& fault : faults()) {
            requiredPacks();
            raw(required, fault.bytes);
            EXPECT_EQ(vfs::openPacks(), 0) << required << ": " << fault.what;
            EXPECT_EQ(text("base"), "<none>");  // nothing stays open after a failed start
        }
        requiredPacks();
        std::filesystem::remove(data + "/" + required);
        EXPECT_EQ(vfs::openPacks(), 0) << required << " missing";
        std::filesystem::create_directory(data + "/" + required);
        EXPECT_EQ(vfs::openPacks(), 0) << required << " is a folder";
        std::filesystem::remove(data + "/" + required);
    }
}

TEST_F(BadPacks, NoMoreThan256FilesOverAllPacks) {
    std::vector<packwriter::MemoryFile> files;
    for (int i = 0; i < 250; ++i) files.push_back({"v" + std::to_string(i), "orig"});
    pack("vyrex2.vfs", files);
    pack("catalog.vfs", {{"c1", "1"}, {"c2", "2"}, {"c3", "3"}, {"c4", "4"}, {"c5", "5"}});
    pack("a.vfs", {{"v0", "over"}, {"new1", "n"}, {"new2", "n"}});  // 257: refused whole
    pack("b.vfs", {{"v1", "over"}, {"last", "n"}});                  // 256: fits
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(text("v0") + text("new1"), "orig<none>");
    EXPECT_EQ(text("v1") + text("last"), "overn");
}

TEST(PackDirectory, AcceptsOnlyWhatItChecked) {
    // The parser alone, on bytes whose directory promises more than the file holds.
    std::vector<uint8_t> bytes = packwriter::buildOrDie({{"a", "1"}});
    vfs::detail::PackEntry out[vfs::detail::kMaxPackEntries];
    vfs::detail::PackError error;
    EXPECT_EQ(vfs::detail::parseDirectory(bytes.data(), bytes.size(), bytes.size(), out, error), 1);
    EXPECT_EQ(std::string(out[0].name), "a");
    EXPECT_EQ(vfs::detail::parseDirectory(bytes.data(), bytes.size(), bytes.size() - 1, out, error), 0);
    EXPECT_EQ(error, vfs::detail::PackError::DataOutOfFile);
    EXPECT_EQ(vfs::detail::parseDirectory(bytes.data(), 20, bytes.size(), out, error), 0);
    EXPECT_EQ(error, vfs::detail::PackError::NoLastEntry);
}

}  // namespace

// Pack files: merging and overriding, lookup, loads, streams and the refusal of bad packs.
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdint>

#include "pack_folder.h"
#include "vfs/vfs_internal.h"

using vfs::detail::kAlign32;
using vfs::detail::kLastEntry;
using vfs::detail::kPreload;

namespace {

using Merge = PackFolder;

TEST_F(Merge, LaterPacksOverrideEarlierOnesAndOptionalPacksOpenInSortedOrder) {
    pack("vyrex2.vfs", {{"shared", "vyrex2"}, {"both", "vyrex2"}, {"base", "B"}});
    pack("catalog.vfs", {{"both", "catalog"}, {"stars", "S"}});
    pack("b.vfs", {{"shared", "b"}, {"extra", "E"}});
    pack("a.vfs", {{"shared", "a"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(text("shared"), "b");
    EXPECT_EQ(text("both"), "catalog");
    EXPECT_EQ(text("base") + text("stars") + text("extra"), "BSE");
}

TEST_F(Merge, CopiesOfTheRequiredPacksAreNotOptionalPacks) {
    requiredPacks();
    for (const char* name : {"vyrex2.vfs.bak", "vyrex2.vfs.old.vfs", "VYREX2.VFS", "Catalog.vfs2.vfs"})
        pack(name, {{"shared", name}, {"copyonly", "x"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(text("shared"), "from vyrex2");
    EXPECT_EQ(text("copyonly"), "<none>");
}

TEST_F(Merge, LookupTakesExactNamesOnly) {
    const std::string longest(31, 'n');
    pack("vyrex2.vfs", {{"ab", "AB"}, {"abc", "ABC"}, {longest, "L"}});
    pack("catalog.vfs", {{"Ab", "caps"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(text("ab") + text("abc") + text("Ab"), "ABABCcaps");
    EXPECT_EQ(text("a"), "<none>");
    EXPECT_EQ(text(longest.c_str()), "L");
    EXPECT_EQ(text((longest + "n").c_str()), "<none>");  // longer than any name: refused
    size_t size = 99;
    EXPECT_EQ(vfs::loadFile("missing", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(vfs::loadFile(nullptr, nullptr), nullptr);
}

TEST_F(Merge, DirectoryEndsAtTheFirstLastEntry) {
    // A second entry after the last one is data, not directory.
    std::vector<uint8_t> bytes(vfs::detail::kMagic, vfs::detail::kMagic + 4);
    packwriter::appendEntry(bytes, "one", 92, 1, kLastEntry);
    packwriter::appendEntry(bytes, "two", 92, 1, kLastEntry);
    bytes.push_back('1');
    raw("vyrex2.vfs", bytes);
    pack("catalog.vfs", {{"stars", "S"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(text("one"), "1");
    EXPECT_EQ(text("two"), "<none>");
}

TEST_F(Merge, LogShowsEachPackAndMissingNames) {
    captureLog();
    requiredPacks();
    ASSERT_EQ(vfs::openPacks(), 1);
    vfs::loadFile("nothere", nullptr);
    const std::string log = logText();
    // Offsets of the two files of vyrex2.vfs: 4 + 2 * 44 = 92 and 92 + 11 = 103; sum 0xC3.
    EXPECT_NE(log.find("\r\n\tInit VFS:\r\n\t\tLoading " + data + "/vyrex2.vfs ...\r\n\t\t\tnDir:2 code:000000C3"),
              std::string::npos) << log;
    EXPECT_NE(log.find("\r\n\t\tLoading " + data + "/catalog.vfs ...\r\n\t\t\tnDir:3 code:00000030"),
              std::string::npos) << log;
    EXPECT_NE(log.find("\r\nVFS ERROR:Can't find 'nothere' in pack"), std::string::npos) << log;
}

TEST_F(Merge, SilentWithoutDB) {
    captureLog();
    app::mode.DB = 0;
    requiredPacks();
    ASSERT_EQ(vfs::openPacks(), 1);
    vfs::loadFile("nothere", nullptr);
    EXPECT_EQ(logText(), "");
}

using Load = PackFolder;

TEST_F(Load, SecondLoadReturnsTheSameBlockWithoutReadingAgain) {
    requiredPacks();
    ASSERT_EQ(vfs::openPacks(), 1);
    const uint8_t* first = vfs::loadFile("shared", nullptr);
    ASSERT_NE(first, nullptr);
    // Change the pack on disk: a second read would show it.
    const int fd = open((data + "/vyrex2.vfs").c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "XXXXXXXXXXXX", 12, 92), 12);
    close(fd);
    EXPECT_EQ(vfs::loadFile("shared", nullptr), first);
    EXPECT_EQ(text("shared"), "from vyrex2");
    EXPECT_EQ(text("base"), "X");  // not loaded before: read now, through the open pack
}

TEST_F(Load, PacksStayOpenUntilClosed) {
    requiredPacks();
    ASSERT_EQ(vfs::openPacks(), 1);
    std::filesystem::remove_all(data);
    EXPECT_EQ(text("stars"), "S");
    vfs::closePacks();
    EXPECT_EQ(text("stars"), "<none>");
}

TEST_F(Load, PreloadReadsAtOpen) {
    pack("vyrex2.vfs", {{"early", "old", kPreload}, {"late", "old"}});
    pack("catalog.vfs", {{"stars", "S"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    const int fd = open((data + "/vyrex2.vfs").c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "newnew", 6, 92), 6);
    close(fd);
    EXPECT_EQ(text("early"), "old");
    EXPECT_EQ(text("late"), "new");
}

TEST_F(Load, BlocksAreAlignedForInPlaceRecords) {
    std::vector<packwriter::MemoryFile> files;
    for (int i = 0; i < 16; ++i)
        files.push_back({"f" + std::to_string(i), std::string(size_t(i * 7 + 1), 'x'), i % 2 ? kAlign32 : 0u});
    files.push_back({"empty", ""});
    pack("vyrex2.vfs", files);
    pack("catalog.vfs", {{"stars", "S"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    for (int i = 0; i < 16; ++i) {
        const auto p = reinterpret_cast<uintptr_t>(vfs::loadFile(("f" + std::to_string(i)).c_str(), nullptr));
        ASSERT_NE(p, 0u);
        EXPECT_EQ(p % (i % 2 ? 32 : 16), 0u) << i;
    }
    size_t size = 9;
    EXPECT_NE(vfs::loadFile("empty", &size), nullptr);  // found, though empty
    EXPECT_EQ(size, 0u);
}

using Streams = PackFolder;

TEST_F(Streams, SeekTellAndReadStayWithinTheFile) {
    pack("vyrex2.vfs", {{"ten", "0123456789"}});
    pack("catalog.vfs", {{"stars", "S"}});
    ASSERT_EQ(vfs::openPacks(), 1);
    const int h = vfs::openStream("ten");
    ASSERT_GT(h, 0);
    char buf[16] = {};
    EXPECT_EQ(vfs::seekStream(h, 0, 2), 0);
    EXPECT_EQ(vfs::tellStream(h), 10);
    EXPECT_EQ(vfs::seekStream(h, 3, 0), 0);
    EXPECT_EQ(vfs::seekStream(h, 2, 1), 0);
    EXPECT_EQ(vfs::tellStream(h), 5);
    EXPECT_EQ(vfs::seekStream(h, -4, 2), 0);
    EXPECT_EQ(vfs::tellStream(h), 6);
    for (long bad : {-7L, 11L, LONG_MAX, LONG_MIN}) {  // outside the file: to the end
        vfs::seekStream(h, 0, 0);
        vfs::seekStream(h, bad, 1);
        EXPECT_EQ(vfs::tellStream(h), 10) << bad;
    }
    EXPECT_EQ(vfs::seekStream(h, 0, 7), -1);
    EXPECT_EQ(vfs::tellStream(h), 10);
    EXPECT_EQ(vfs::readStream(buf, 1, 4, h), 0u);

    // Only whole items inside the file are read.
    vfs::seekStream(h, 1, 0);
    EXPECT_EQ(vfs::readStream(buf, 4, 3, h), 2u);
    EXPECT_EQ(std::string(buf, 8), "12345678");
    EXPECT_EQ(vfs::tellStream(h), 9);
    EXPECT_EQ(vfs::readStream(buf, 2, 1, h), 0u);
    EXPECT_EQ(vfs::readStream(buf, 1, 5, h), 1u);
    EXPECT_EQ(buf[0], '9');
    vfs::seekStream(h, 0, 0);
    EXPECT_EQ(vfs::readStream(buf, SIZE_MAX, SIZE_MAX, h), 0u);  // no overflowing item sizes
    EXPECT_EQ(vfs::readStream(buf, 0, 5, h), 0u);
    EXPECT_EQ(vfs::writeStream(buf, 1, 5, h), 0u);  // packs are never written
}

TEST_F(Streams, FifteenSlotsAndNeverHandleZero) {
    requiredPacks();
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(vfs::openStream("missing"), 0);
    for (int i = 1; i <= 15; ++i) EXPECT_EQ(vfs::openStream("base"), i);
    EXPECT_EQ(vfs::openStream("base"), 0);
    vfs::closeStream(7);
    EXPECT_EQ(vfs::tellStream(7), -1);
    EXPECT_EQ(vfs::openStream("stars"), 7);  // lowest free slot
    for (int bad : {0, -1, 16, 1000}) {
        EXPECT_EQ(vfs::tellStream(bad), -1);
        EXPECT_EQ(vfs::seekStream(bad, 0, 0), -1);
        vfs::closeStream(bad);
    }
    // Closing a stream keeps its data; closing the packs ends every stream.
    const uint8_t* base = vfs::loadFile("base", nullptr);
    for (int i = 1; i <= 15; ++i) vfs::closeStream(i);
    EXPECT_EQ(vfs::loadFile("base", nullptr), base);
    const int h = vfs::openStream("base");
    vfs::closePacks();
    EXPECT_EQ(vfs::tellStream(h), -1);
}

}  // namespace

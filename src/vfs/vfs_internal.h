// Pack file layout and the directory checker shared by the pack system, the pack tool and the
// fuzz target. Not part of the pack system's public interface.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace vfs::detail {

static_assert(std::endian::native == std::endian::little, "pack records are read in place");

// A pack: the magic "VFS2", then directory entries one after another until the entry whose
// flags carry kLastEntry, then file data anywhere behind.
constexpr uint8_t kMagic[4] = {0x56, 0x46, 0x53, 0x32};
constexpr size_t kMagicSize = 4;

constexpr uint32_t kLastEntry = 1u << 0;  // this entry ends the directory
constexpr uint32_t kPreload = 1u << 1;    // read into memory when the pack is opened
constexpr uint32_t kAlign32 = 1u << 2;    // data block starts on a 32-byte boundary

// One directory entry as stored in the pack (little-endian).
struct PackEntry {
    char name[32];    // zero-terminated within the 32 bytes
    uint32_t offset;  // bytes from the start of the pack
    uint32_t size;    // bytes
    uint32_t flags;   // kLastEntry | kPreload | kAlign32; other bits ignored
};
static_assert(sizeof(PackEntry) == 44);
static_assert(offsetof(PackEntry, offset) == 32);
static_assert(offsetof(PackEntry, size) == 36);
static_assert(offsetof(PackEntry, flags) == 40);

// Most directory entries one pack may hold: the merged directory holds no more in total.
constexpr int kMaxPackEntries = 256;
// Bytes of a pack's start that hold any acceptable directory.
constexpr size_t kMaxDirectoryBytes = kMagicSize + sizeof(PackEntry) * kMaxPackEntries;

enum class PackError {
    None,
    TooShort,           // fewer than 4 bytes
    BadMagic,           // does not begin with "VFS2"
    NoLastEntry,        // the directory runs off the end of the file before its last entry
    TooManyEntries,     // more than kMaxPackEntries entries
    NameNotTerminated,  // a name without a zero byte in its 32 bytes
    DataOutOfFile,      // an entry's offset + size lies past the end of the file
};
const char* packErrorText(PackError error);

// Checks the directory of a pack of `fileSize` bytes whose first `available` bytes are at
// `bytes` (available must be at least min(fileSize, kMaxDirectoryBytes)). On success copies the
// entries to `out` (room for kMaxPackEntries) and returns their count (at least 1); on failure
// returns 0 and sets `error`. Nothing about the pack is trusted until this accepted it.
int parseDirectory(const uint8_t* bytes, size_t available, uint64_t fileSize, PackEntry* out,
                   PackError& error);

// Adds an open pack file to the merged directory, taking ownership of `fd` (closed on refusal).
// `path` is only shown in the log. Returns 1, or 0 if the pack was refused (nothing merged).
int addPack(int fd, const char* path);

}  // namespace vfs::detail

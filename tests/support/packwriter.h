// Writing pack files: the pack tool and the tests lay packs out with this one writer.
//
// A pack written here holds its files one after another behind the directory, in the order
// given; the last directory entry carries the last-entry flag. Names must be 1 to 31
// characters and distinct, there must be 1 to 256 files, and the whole pack must stay below
// 4 GiB (offsets and sizes are 32-bit). Errors come back as text; nothing is half written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packwriter {

// One file of a pack as laid out: `flags` may hold the preload and align bits; the writer
// sets the last-entry bit itself.
struct Item {
    std::string name;
    uint64_t size = 0;  // bytes
    uint32_t flags = 0;
};

// Fills `header` with the magic and the directory for `items`, whose data follow the directory
// in order. Returns an empty text, or why the items can't form a pack.
std::string layout(const std::vector<Item>& items, std::vector<uint8_t>& header);

// A file given with its contents, for packs built in memory.
struct MemoryFile {
    std::string name;
    std::string data;
    uint32_t flags = 0;
};
std::string build(const std::vector<MemoryFile>& files, std::vector<uint8_t>& pack);
// As build, for tests: a pack known to be valid (aborts on an error, which is a test's fault).
std::vector<uint8_t> buildOrDie(const std::vector<MemoryFile>& files);

// Appends one raw directory entry: `name` is copied as up to 32 bytes without adding a
// terminator when it is 32 bytes long, so that malformed packs can be made on purpose.
void appendEntry(std::vector<uint8_t>& pack, const std::string& name, uint32_t offset,
                 uint32_t size, uint32_t flags);

// A file on disk to be packed under `name`.
struct DiskFile {
    std::string name;
    std::string path;
    uint32_t flags = 0;
};
// Writes a pack of the disk files to `path`: into a temporary file beside it that replaces
// `path` only once complete, so a failed run leaves any earlier pack untouched.
std::string writePack(const std::string& path, const std::vector<DiskFile>& files);
// Writes bytes to `path` the same way.
std::string writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace packwriter

// Pack files: opening and merging the packs, whole-file loads and the in-memory streams.
#include "vfs/vfs.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/app.h"
#include "base/log.h"
#include "platform/platform.h"
#include "vfs/vfs_internal.h"

namespace vfs {

using detail::PackEntry;
using detail::PackError;

namespace {

struct Entry {
    PackEntry disk;
    int pack;       // index into `packs`
    uint8_t* data;  // the file in memory (start of its aligned block), null while not loaded
};

struct Pack {
    int fd = -1;
};

struct Stream {
    int entry = -1;     // directory index, -1 = free slot
    long position = 0;  // bytes from the start of the file, never above its size
};

// Every open pack serves at least one entry (a pack left without any is closed at once), so
// 256 packs are never open together; the extra slot takes a new pack before that sweep.
constexpr int kMaxPacks = kMaxEntries + 1;

Entry entries[kMaxEntries];
int entryCount = 0;
Pack packs[kMaxPacks];
Stream streams[kMaxStreams];

// Scratch space for the directory of the pack being opened.
uint8_t directoryBytes[detail::kMaxDirectoryBytes];
PackEntry parsed[detail::kMaxPackEntries];

int findEntry(const char* name) {
    for (int i = 0; i < entryCount; ++i)
        if (std::strcmp(entries[i].disk.name, name) == 0) return i;
    return -1;
}

bool readAt(int fd, uint8_t* to, size_t size, uint64_t offset) { return platform::readFileAt(fd, to, size, offset); }

// Brings an entry's data into memory once; later calls find it there. Catalogue files are read
// in place as arrays of structs, so every block is aligned for them (16 bytes) even without the
// align flag, which asks for 32.
bool loadEntry(Entry& e) {
    if (e.data != nullptr) return true;
    const size_t align = (e.disk.flags & detail::kAlign32) ? 32 : 16;
    const size_t size = e.disk.size;
    const size_t rounded = size == 0 ? align : (size + align - 1) / align * align;
    auto* block = static_cast<uint8_t*>(std::aligned_alloc(align, rounded));
    if (block == nullptr) return false;
    if (!readAt(packs[e.pack].fd, block, size, e.disk.offset)) {
        std::free(block);
        return false;
    }
    e.data = block;
    return true;
}

int lookup(const char* name) {
    if (name == nullptr) return -1;
    // Names longer than a directory entry can hold are in no pack; refuse before comparing.
    if (std::strlen(name) <= size_t(kNameMax)) {
        const int i = findEntry(name);
        if (i >= 0) return i;
    }
    if (app::mode.DB) logc::printAt(1, "vfs", 0, "\r\nVFS ERROR:Can't find '%s' in pack", name);
    return -1;
}

void refusePack(const char* path, const char* why) {
    if (app::mode.DB) logc::print(1, "\r\n\t\tSkipping %s: %s", path, why);
}

void closeUnusedPacks() {
    for (int p = 0; p < kMaxPacks; ++p) {
        if (packs[p].fd < 0) continue;
        bool used = false;
        for (int i = 0; i < entryCount && !used; ++i) used = entries[i].pack == p;
        if (!used) {
            platform::closeFile(packs[p].fd);
            packs[p].fd = -1;
        }
    }
}

int openPack(const std::string& path) {
    // Read-only: the program never writes its packs. A FIFO in the data folder can't stall
    // start-up (reads never block at open); addPack refuses anything but a regular file.
    const int fd = platform::openFile(path, platform::FileMode::kRead);
    if (fd < 0) {
        refusePack(path.c_str(), platform::fileErrorText());
        return 0;
    }
    return detail::addPack(fd, path.c_str());
}

}  // namespace

namespace detail {

int addPack(int fd, const char* path) {
    uint64_t fileSize = 0;
    if (!platform::regularFileSize(fd, fileSize)) {
        platform::closeFile(fd);
        refusePack(path, "not a regular file");
        return 0;
    }
    const size_t want = fileSize < kMaxDirectoryBytes ? size_t(fileSize) : kMaxDirectoryBytes;
    if (!readAt(fd, directoryBytes, want, 0)) {
        platform::closeFile(fd);
        refusePack(path, "read error");
        return 0;
    }
    PackError error;
    const int n = parseDirectory(directoryBytes, want, fileSize, parsed, error);
    if (n == 0) {
        platform::closeFile(fd);
        refusePack(path, packErrorText(error));
        return 0;
    }

    // The whole pack fits or none of it is merged: count the names it adds.
    int added = 0;
    for (int i = 0; i < n; ++i) {
        bool known = findEntry(parsed[i].name) >= 0;
        for (int k = 0; k < i && !known; ++k) known = std::strcmp(parsed[k].name, parsed[i].name) == 0;
        if (!known) ++added;
    }
    int slot = -1;
    for (int p = 0; p < kMaxPacks && slot < 0; ++p)
        if (packs[p].fd < 0) slot = p;
    if (entryCount + added > kMaxEntries || slot < 0) {
        platform::closeFile(fd);
        refusePack(path, "more than 256 files over all packs");
        return 0;
    }
    packs[slot].fd = fd;

    uint32_t code = 0;  // sum of the data offsets, a quick fingerprint of the pack in the log
    for (int i = 0; i < n; ++i) {
        int j = findEntry(parsed[i].name);
        if (j < 0) {
            j = entryCount++;
        } else {
            // Overridden during start-up, before anyone could hold its data.
            std::free(entries[j].data);
        }
        entries[j] = Entry{parsed[i], slot, nullptr};
        // A preload that fails leaves the entry to be loaded (or fail) on first use.
        if (parsed[i].flags & kPreload) loadEntry(entries[j]);
        code += parsed[i].offset;
    }
    closeUnusedPacks();

    if (app::mode.DB) {
        logc::print(1, "\r\n\t\tLoading %s ...", path);
        logc::print(1, "\r\n\t\t\tnDir:%d code:%08X", entryCount, unsigned(code));
    }
    return 1;
}

}  // namespace detail

int openPacks() {
    closePacks();
    if (app::mode.DB) logc::print(1, "\r\n\tInit VFS:");
    const std::string dataFolder = platform::joinPath(app::programFolder, "data");
    if (!openPack(platform::joinPath(dataFolder, "vyrex2.vfs")) ||
        !openPack(platform::joinPath(dataFolder, "catalog.vfs"))) {
        closePacks();
        return 0;
    }
    for (const std::string& name : platform::listFolder(dataFolder, "*.vfs")) {
        // The required packs, and copies such as "vyrex2.vfs.bak", are not optional packs.
        if (strncasecmp(name.c_str(), "vyrex2.vfs", 10) == 0 ||
            strncasecmp(name.c_str(), "catalog.vfs", 11) == 0)
            continue;
        openPack(platform::joinPath(dataFolder, name));
    }
    return 1;
}

void closePacks() {
    for (int i = 0; i < entryCount; ++i) std::free(entries[i].data);
    entryCount = 0;
    for (Pack& p : packs) {
        platform::closeFile(p.fd);
        p.fd = -1;
    }
    for (Stream& s : streams) s = Stream{};
}

const uint8_t* loadFile(const char* name, size_t* size) {
    if (size != nullptr) *size = 0;
    const int i = lookup(name);
    if (i < 0 || !loadEntry(entries[i])) return nullptr;
    if (size != nullptr) *size = entries[i].disk.size;
    return entries[i].data;
}

namespace {

Stream* streamOf(int handle) {
    if (handle < 1 || handle >= kMaxStreams || streams[handle].entry < 0) return nullptr;
    return &streams[handle];
}

}  // namespace

int openStream(const char* name) {
    const int i = lookup(name);
    if (i < 0) return 0;
    int slot = 0;
    for (int h = 1; h < kMaxStreams && slot == 0; ++h)
        if (streams[h].entry < 0) slot = h;
    if (slot == 0) {
        if (app::mode.DB) logc::printAt(1, "vfs", 0, "\r\nVFS ERROR:No free stream for '%s'", name);
        return 0;
    }
    if (!loadEntry(entries[i])) return 0;
    streams[slot] = Stream{i, 0};
    return slot;
}

void closeStream(int handle) {
    if (Stream* s = streamOf(handle)) *s = Stream{};
}

long seekStream(int handle, long offset, int whence) {
    Stream* s = streamOf(handle);
    if (s == nullptr) return -1;
    const long size = long(entries[s->entry].disk.size);
    long base;
    switch (whence) {
        case 0: base = 0; break;
        case 1: base = s->position; break;
        case 2: base = size; break;
        default: return -1;
    }
    long position;
    // Outside the file (or beyond what a long holds) the position lands at the end, where
    // reads return nothing.
    if (__builtin_add_overflow(base, offset, &position) || position < 0 || position > size)
        position = size;
    s->position = position;
    return 0;
}

long tellStream(int handle) {
    const Stream* s = streamOf(handle);
    return s != nullptr ? s->position : -1;
}

size_t readStream(void* buffer, size_t itemSize, size_t itemCount, int handle) {
    Stream* s = streamOf(handle);
    if (s == nullptr || buffer == nullptr || itemSize == 0 || itemCount == 0) return 0;
    const Entry& e = entries[s->entry];
    // Only whole items that lie within the file are copied; the position moves past them only.
    const size_t left = size_t(e.disk.size) - size_t(s->position);
    const size_t items = itemCount < left / itemSize ? itemCount : left / itemSize;
    std::memcpy(buffer, e.data + s->position, items * itemSize);
    s->position += long(items * itemSize);
    return items;
}

size_t writeStream(const void*, size_t, size_t, int) {
    // Packs are read-only: nothing is written, and saying so keeps a caller from believing
    // its data was stored.
    return 0;
}

}  // namespace vfs

// Fuzz target: a pack's directory check, then the same bytes opened as a pack and read back
// through loads and streams.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "vfs/vfs.h"
#include "vfs/vfs_internal.h"

using namespace vfs::detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static PackEntry entries[kMaxPackEntries];
    PackError error;
    const int n = parseDirectory(data, size, size, entries, error);
    if ((n == 0) != (error != PackError::None)) std::abort();
    for (int i = 0; i < n; ++i) {
        if (std::memchr(entries[i].name, 0, sizeof entries[i].name) == nullptr) std::abort();
        if (uint64_t(entries[i].offset) + entries[i].size > size) std::abort();
        if (((entries[i].flags & kLastEntry) != 0) != (i == n - 1)) std::abort();
    }

    // The same bytes as a file, through the pack system.
    const int fd = memfd_create("pack", MFD_CLOEXEC);
    if (fd < 0) return 0;
    size_t done = 0;
    while (done < size) {
        const ssize_t w = write(fd, data + done, size - done);
        if (w <= 0) {
            close(fd);
            return 0;
        }
        done += size_t(w);
    }
    const int added = addPack(fd, "fuzz");
    if (added != (n > 0 ? 1 : 0)) std::abort();
    static uint8_t buffer[64];
    for (int i = 0; i < n; ++i) {
        // A later entry of the same name overrides an earlier one.
        int served = i;
        for (int k = i + 1; k < n; ++k)
            if (std::strcmp(entries[k].name, entries[i].name) == 0) served = k;
        const PackEntry& e = entries[served];
        size_t got = 0;
        const uint8_t* p = vfs::loadFile(e.name, &got);  // names fit: the check saw them end
        if (p == nullptr) std::abort();
        if (got != e.size || std::memcmp(p, data + e.offset, got) != 0) std::abort();
        if (uintptr_t(p) % ((e.flags & kAlign32) ? 32 : 16) != 0) std::abort();
        const int h = vfs::openStream(e.name);
        if (h <= 0) std::abort();
        vfs::seekStream(h, long(data[e.offset % size]) - 128, int(i % 3));
        long at = vfs::tellStream(h);
        size_t items;
        while ((items = vfs::readStream(buffer, 1 + i % 5, sizeof buffer / 5, h)) != 0) {
            if (std::memcmp(buffer, p + at, items * size_t(1 + i % 5)) != 0) std::abort();
            at += long(items * size_t(1 + i % 5));
            if (at > long(e.size) || vfs::tellStream(h) != at) std::abort();
        }
        vfs::closeStream(h);
    }
    vfs::closePacks();
    return 0;
}

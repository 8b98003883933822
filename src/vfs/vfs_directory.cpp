// Checking a pack's directory before any of it is trusted; used by the pack system and the pack tool.
#include <cstring>

#include "vfs/vfs_internal.h"

namespace vfs::detail {

const char* packErrorText(PackError error) {
    switch (error) {
        case PackError::None: return "ok";
        case PackError::TooShort: return "file too short";
        case PackError::BadMagic: return "not a pack (bad magic)";
        case PackError::NoLastEntry: return "directory runs off the end of the file";
        case PackError::TooManyEntries: return "more than 256 directory entries";
        case PackError::NameNotTerminated: return "entry name not terminated within 32 bytes";
        case PackError::DataOutOfFile: return "entry data lies past the end of the file";
    }
    return "unknown error";
}

int parseDirectory(const uint8_t* bytes, size_t available, uint64_t fileSize, PackEntry* out,
                   PackError& error) {
    error = PackError::None;
    if (available > fileSize) available = static_cast<size_t>(fileSize);
    if (available < kMagicSize) {
        error = PackError::TooShort;
        return 0;
    }
    if (std::memcmp(bytes, kMagic, kMagicSize) != 0) {
        error = PackError::BadMagic;
        return 0;
    }
    for (int i = 0;; ++i) {
        if (i == kMaxPackEntries) {
            error = PackError::TooManyEntries;
            return 0;
        }
        // 64-bit arithmetic: a size_t position can't overflow with at most 256 entries, but
        // fileSize may be anything the file system reports.
        const uint64_t pos = kMagicSize + uint64_t(sizeof(PackEntry)) * uint64_t(i);
        if (pos + sizeof(PackEntry) > fileSize) {
            error = PackError::NoLastEntry;
            return 0;
        }
        if (pos + sizeof(PackEntry) > available) {
            // The caller gave fewer bytes than promised; refuse rather than read past them.
            error = PackError::NoLastEntry;
            return 0;
        }
        PackEntry e;
        std::memcpy(&e, bytes + pos, sizeof e);
        if (std::memchr(e.name, 0, sizeof e.name) == nullptr) {
            error = PackError::NameNotTerminated;
            return 0;
        }
        if (uint64_t(e.offset) + uint64_t(e.size) > fileSize) {
            error = PackError::DataOutOfFile;
            return 0;
        }
        out[i] = e;
        if (e.flags & kLastEntry) return i + 1;
    }
}

}  // namespace vfs::detail

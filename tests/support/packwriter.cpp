// Writing pack files for the pack tool and the tests.
#include "support/packwriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "vfs/vfs_internal.h"

namespace packwriter {

using vfs::detail::PackEntry;

namespace {

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

bool writeAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

// Runs `fill` on a fresh temporary file beside `path` and puts it in place when fill succeeds.
template <typename Fill>
std::string writeAtomically(const std::string& path, Fill fill) {
    std::string temp = path + ".tmp.XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return errnoText("can't create a temporary file beside " + path);
    std::string error = fill(fd);
    if (error.empty() && ::fchmod(fd, 0644) != 0) error = errnoText("can't set permissions of " + temp);
    if (error.empty() && ::fsync(fd) != 0) error = errnoText("can't write " + temp);
    if (::close(fd) != 0 && error.empty()) error = errnoText("can't write " + temp);
    if (error.empty() && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errnoText("can't rename " + temp + " to " + path);
    if (!error.empty()) ::unlink(temp.c_str());
    return error;
}

}  // namespace

std::string layout(const std::vector<Item>& items, std::vector<uint8_t>& header) {
    header.clear();
    if (items.empty()) return "no files to pack";
    if (items.size() > size_t(vfs::detail::kMaxPackEntries))
        return "too many files (" + std::to_string(items.size()) + ", at most 256)";
    std::set<std::string> seen;
    for (const Item& item : items) {
        if (item.name.empty() || item.name.size() > 31)
            return "name '" + item.name + "' must be 1 to 31 characters";
        if (item.name.find('\0') != std::string::npos) return "name contains a zero byte";
        if (!seen.insert(item.name).second) return "name '" + item.name + "' appears twice";
        if (item.flags & vfs::detail::kLastEntry)
            return "flags of '" + item.name + "' set bit 0, which marks the last entry";
    }
    uint64_t offset = vfs::detail::kMagicSize + sizeof(PackEntry) * items.size();
    header.assign(vfs::detail::kMagic, vfs::detail::kMagic + vfs::detail::kMagicSize);
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (offset + item.size > 0xFFFFFFFFull) {
            header.clear();
            return "pack would exceed 4 GiB at '" + item.name + "'";
        }
        const uint32_t flags = item.flags | (i + 1 == items.size() ? vfs::detail::kLastEntry : 0);
        appendEntry(header, item.name, uint32_t(offset), uint32_t(item.size), flags);
        offset += item.size;
    }
    return "";
}

void appendEntry(std::vector<uint8_t>& pack, const std::string& name, uint32_t offset,
                 uint32_t size, uint32_t flags) {
    PackEntry e{};
    std::memcpy(e.name, name.data(), name.size() < sizeof e.name ? name.size() : sizeof e.name);
    e.offset = offset;
    e.size = size;
    e.flags = flags;
    const auto* p = reinterpret_cast<const uint8_t*>(&e);
    pack.insert(pack.end(), p, p + sizeof e);
}

std::string build(const std::vector<MemoryFile>& files, std::vector<uint8_t>& pack) {
    std::vector<Item> items;
    for (const MemoryFile& f : files) items.push_back(Item{f.name, f.data.size(), f.flags});
    std::string error = layout(items, pack);
    if (!error.empty()) return error;
    for (const MemoryFile& f : files) pack.insert(pack.end(), f.data.begin(), f.data.end());
    return "";
}

std::vector<uint8_t> buildOrDie(const std::vector<MemoryFile>& files) {
    std::vector<uint8_t> pack;
    const std::string error = build(files, pack);
    if (!error.empty()) {
        std::fprintf(stderr, "packwriter: %s\n", error.c_str());
        std::abort();
    }
    return pack;
}

std::string writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return writeAtomically(path, [&](int fd) -> std::string {
        return writeAll(fd, bytes.data(), bytes.size()) ? "" : errnoText("can't write " + path);
    });
}

std::string writePack(const std::string& path, const std::vector<DiskFile>& files) {
    std::vector<Item> items;
    for (const DiskFile& f : files) {
        struct stat st;
        if (::stat(f.path.c_str(), &st) != 0) return errnoText("can't read " + f.path);
        if (!S_ISREG(st.st_mode)) return f.path + " is not a regular file";
        items.push_back(Item{f.name, uint64_t(st.st_size), f.flags});
    }
    std::vector<uint8_t> header;
    std::string error = layout(items, header);
    if (!error.empty()) return error;
    return writeAtomically(path, [&](int out) -> std::string {
        if (!writeAll(out, header.data(), header.size())) return errnoText("can't write " + path);
        static uint8_t buffer[1 << 16];
        for (size_t i = 0; i < files.size(); ++i) {
            const int in = ::open(files[i].path.c_str(), O_RDONLY | O_CLOEXEC);
            if (in < 0) return errnoText("can't read " + files[i].path);
            uint64_t copied = 0;
            ssize_t n;
            while ((n = ::read(in, buffer, sizeof buffer)) != 0) {
                if (n < 0 && errno == EINTR) continue;
                if (n < 0 || copied + uint64_t(n) > items[i].size || !writeAll(out, buffer, size_t(n))) {
                    const std::string why = n < 0 ? errnoText("can't read " + files[i].path)
                                                  : "can't pack " + files[i].path + ": it changed or the disk is full";
                    ::close(in);
                    return why;
                }
                copied += uint64_t(n);
            }
            ::close(in);
            if (copied != items[i].size) return files[i].path + " changed while it was packed";
        }
        return std::string();
    });
}

}  // namespace packwriter

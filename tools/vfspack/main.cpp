// vfspack: creates a pack from a folder or a list of files, and lists a pack's directory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/packwriter.h"
#include "vfs/vfs_internal.h"

namespace {

constexpr const char* kFlagsFile = "PACKFLAGS";

int usage() {
    std::fprintf(stderr,
                 "usage: vfspack create OUT.vfs DIR      pack every regular file of DIR, sorted by name\n"
                 "       vfspack create OUT.vfs FILE...  pack the given files in the given order\n"
                 "       vfspack list PACK               print name, offset, size and flags per entry\n"
                 "DIR/PACKFLAGS, if present, holds lines \"name flags\" (decimal or 0x-hex):\n"
                 "bit 1 loads the file when the pack is opened, bit 2 aligns its data to 32 bytes.\n");
    return 2;
}

int fail(const std::string& what) {
    std::fprintf(stderr, "vfspack: %s\n", what.c_str());
    return 1;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Decimal, or hexadecimal with a 0x prefix (a leading 0 is not octal here).
bool parseFlags(const std::string& text, uint32_t& flags) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty()) return false;
    uint64_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        value = value * (hex ? 16 : 10) + uint64_t(d);
        if (value > 0xFFFFFFFFull) return false;
    }
    flags = uint32_t(value);
    return true;
}

// Reads DIR/PACKFLAGS into name -> flags; every name must be a file that is packed.
bool readPackFlags(const std::string& path, std::map<std::string, uint32_t>& flags,
                   std::string& error) {
    std::ifstream in(path);
    if (!in) return true;  // no flags file: every file gets flags 0
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string where = path + ":" + std::to_string(number) + ": ";
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const size_t nameEnd = line.find_first_of(" \t", start);
        const size_t flagsStart = nameEnd == std::string::npos ? nameEnd : line.find_first_not_of(" \t", nameEnd);
        if (flagsStart == std::string::npos) {
            error = where + "expected \"name flags\"";
            return false;
        }
        const size_t flagsEnd = line.find_first_of(" \t", flagsStart);
        if (flagsEnd != std::string::npos && line.find_first_not_of(" \t", flagsEnd) != std::string::npos) {
            error = where + "expected \"name flags\"";
            return false;
        }
        const std::string name = line.substr(start, nameEnd - start);
        uint32_t value = 0;
        if (!parseFlags(line.substr(flagsStart, flagsEnd - flagsStart), value)) {
            error = where + "flags must be a decimal or 0x-hex 32-bit number";
            return false;
        }
        if (value & vfs::detail::kLastEntry) {
            error = where + "bit 0 marks the last entry and is set by vfspack";
            return false;
        }
        if (!flags.emplace(name, value).second) {
            error = where + "'" + name + "' is listed twice";
            return false;
        }
    }
    return true;
}

int createFromFolder(const std::string& out, const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return fail("can't open folder " + folder + ": " + std::strerror(errno));
    std::vector<std::string> names;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        // Hidden files (such as a .gitkeep) and the flags file are not data of the program.
        if (name.empty() || name[0] == '.' || name == kFlagsFile) continue;
        struct stat st;
        if (::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    ::closedir(dir);
    if (names.empty()) return fail("folder " + folder + " holds no files to pack");
    std::sort(names.begin(), names.end());

    std::map<std::string, uint32_t> flags;
    std::string error;
    if (!readPackFlags(folder + "/" + kFlagsFile, flags, error)) return fail(error);
    for (const auto& [name, value] : flags) {
        if (!std::binary_search(names.begin(), names.end(), name))
            return fail(folder + "/" + kFlagsFile + " names '" + name + "', which is not a file of the folder");
    }

    std::vector<packwriter::DiskFile> files;
    for (const std::string& name : names) {
        const auto f = flags.find(name);
        files.push_back({name, folder + "/" + name, f == flags.end() ? 0u : f->second});
    }
    error = packwriter::writePack(out, files);
    if (!error.empty()) return fail(error);
    return 0;
}

int createFromFiles(const std::string& out, int count, char** paths) {
    std::vector<packwriter::DiskFile> files;
    for (int i = 0; i < count; ++i) {
        const std::string path = paths[i];
        const size_t slash = path.find_last_of('/');
        files.push_back({slash == std::string::npos ? path : path.substr(slash + 1), path, 0});
    }
    const std::string error = packwriter::writePack(out, files);
    if (!error.empty()) return fail(error);
    return 0;
}

int list(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("can't open " + path + ": " + std::strerror(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(path + " is not a regular file");
    }
    static uint8_t bytes[vfs::detail::kMaxDirectoryBytes];
    static vfs::detail::PackEntry entries[vfs::detail::kMaxPackEntries];
    const uint64_t fileSize = uint64_t(st.st_size);
    const size_t want = fileSize < sizeof bytes ? size_t(fileSize) : sizeof bytes;
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::pread(fd, bytes + got, want - got, off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    vfs::detail::PackError error;
    const int n = vfs::detail::parseDirectory(bytes, got, fileSize, entries, error);
    if (n == 0) return fail(path + ": " + vfs::detail::packErrorText(error));
    std::printf("%-31s %10s %10s %s\n", "name", "offset", "size", "flags");
    for (int i = 0; i < n; ++i)
        std::printf("%-31s %10u %10u 0x%X\n", entries[i].name, unsigned(entries[i].offset),
                    unsigned(entries[i].size), unsigned(entries[i].flags));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "create") == 0) {
        if (argc == 4 && isDirectory(argv[3])) return createFromFolder(argv[2], argv[3]);
        return createFromFiles(argv[2], argc - 3, argv + 3);
    }
    if (argc == 3 && std::strcmp(argv[1], "list") == 0) return list(argv[2]);
    return usage();
}

// Files, folders and paths: descriptors for reading and writing, whole-file reads, wildcard
// listing, the current directory, joining names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace platform {

bool posix::wildcardMatch(const char* pattern, const char* name) {
    // Iterative match with one backtracking point for the last '*': linear in practice and no
    // recursion depth to exhaust on long patterns.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        unsigned char p = static_cast<unsigned char>(*pattern);
        unsigned char n = static_cast<unsigned char>(*name);
        if (p == '*') {
            star = pattern++;
            resume = name;
        } else if (p == '?' || (p && std::tolower(p) == std::tolower(n))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == 0;
}

std::vector<std::string> listFolder(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (posix::wildcardMatch(pattern.c_str(), name.c_str())) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string currentDirectory() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::current_path(ec);
    return ec ? std::string(".") : p.string();
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

namespace {

const char* lastFileError = "";

bool fail() {
    lastFileError = std::strerror(errno);
    return false;
}

}  // namespace

void posix::setFileError(const char* text) { lastFileError = text ? text : ""; }

int openFile(const std::string& path, FileMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        // Non-blocking, so that a FIFO where a data file is expected cannot stall the program;
        // readers then refuse anything but a regular file.
        case FileMode::kRead: flags |= O_RDONLY | O_NONBLOCK; break;
        case FileMode::kAppend: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
        case FileMode::kCreate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    }
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) fail();
    return fd;
}

void closeFile(int fd) {
    if (fd >= 0) ::close(fd);
}

bool regularFileSize(int fd, uint64_t& size) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return fail();
    if (!S_ISREG(st.st_mode)) {
        lastFileError = "not a regular file";
        return false;
    }
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool readFileAt(int fd, void* out, size_t size, uint64_t offset) {
    auto* to = static_cast<uint8_t*>(out);
    size_t done = 0;
    // A short transfer only repeats after a signal or a partial read.
    while (done < size) {
        const ssize_t n = ::pread(fd, to + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail();
        if (n == 0) {
            lastFileError = "unexpected end of file";
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool writeFile(int fd, const void* data, size_t size) {
    const auto* from = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, from + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes) {
    out.clear();
    const int fd = openFile(path, FileMode::kRead);
    if (fd < 0) return false;
    uint64_t size = 0;
    bool ok = regularFileSize(fd, size);
    if (ok && size > maxBytes) {
        lastFileError = "file too large";
        ok = false;
    }
    if (ok) {
        out.resize(static_cast<size_t>(size));
        ok = readFileAt(fd, out.data(), out.size(), 0);
        if (!ok) out.clear();
    }
    closeFile(fd);
    return ok;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || fail(); }

bool pathExists(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return true;
    // A name that cannot even be looked at (no permission on the folder) is as good as taken.
    return errno != ENOENT && errno != ENOTDIR;
}

const char* fileErrorText() { return lastFileError; }

[[noreturn]] void exitProcess(int code) { std::exit(code); }

void writeStandardError(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(2, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

}  // namespace platform

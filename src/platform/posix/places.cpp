// The user's places and the program's own: home, the XDG base directories and the pictures
// folder, the running program's path, writable folders, making folders and replacing a file
// whole.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace platform {
namespace {

// An environment value that names an absolute folder, without trailing '/'; "" otherwise.
std::string absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return "";
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string underHome(const char* environment, const char* fallback) {
    std::string folder = absoluteFromEnvironment(environment);
    return folder.empty() ? joinPath(homeFolder(), fallback) : folder;
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string parentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string executablePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer - 1)) return "";
    buffer[n] = 0;
    return buffer;
}

bool folderWritable(const std::string& folder) {
    return isFolder(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool makeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    if (isFolder(folder)) return true;
    const std::string parent = parentFolder(folder);
    if (parent != folder && !makeFolders(parent)) return false;
    // Another process may have made it meanwhile: what counts is that it is a folder now.
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        posix::setFileError(std::strerror(errno));
        return false;
    }
    if (isFolder(folder)) return true;
    posix::setFileError("a file of that name is in the way");
    return false;
}

bool replaceFile(const std::string& path, const void* data, size_t size) {
    const std::string temporary = path + ".new-" + std::to_string(::getpid());
    const int fd = openFile(temporary, FileMode::kCreate);
    if (fd < 0) return false;
    bool ok = writeFile(fd, data, size);
    if (ok && ::fsync(fd) != 0) {
        posix::setFileError(std::strerror(errno));
        ok = false;
    }
    closeFile(fd);
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        posix::setFileError(std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The new name must reach the disk too, or a crash could bring back the old file.
    const int folder = ::open(parentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

std::string homeFolder() {
    std::string home = absoluteFromEnvironment("HOME");
    if (!home.empty()) return home;
    const passwd* pw = ::getpwuid(::getuid());
    if (pw && pw->pw_dir && pw->pw_dir[0] == '/') return pw->pw_dir;
    return "/tmp";
}

std::string dataHome() { return underHome("XDG_DATA_HOME", ".local/share"); }
std::string stateHome() { return underHome("XDG_STATE_HOME", ".local/state"); }

std::string picturesFolder() {
    std::string folder = absoluteFromEnvironment("XDG_PICTURES_DIR");
    if (!folder.empty()) return folder;
    const std::string home = homeFolder();
    std::vector<uint8_t> text;
    // A user-dirs file is a few hundred bytes; a huge one is not one.
    if (readWholeFile(joinPath(underHome("XDG_CONFIG_HOME", ".config"), "user-dirs.dirs"), text, 1 << 16)) {
        folder = userDirsValue(reinterpret_cast<const char*>(text.data()), text.size(), "XDG_PICTURES_DIR", home);
        if (!folder.empty()) return folder;
    }
    return joinPath(home, "Pictures");
}

// The file is written by xdg-user-dirs-update as shell assignments: one `NAME="value"` per line,
// '#' comments, the value "$HOME/..." or an absolute path, with \, " and $ escaped by '\'.
std::string userDirsValue(const char* text, size_t size, const char* name, const std::string& home) {
    if (text == nullptr || name == nullptr) return "";
    const size_t nameLength = std::strlen(name);
    std::string found;
    size_t at = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && text[end] != '\n') ++end;
        size_t p = at;
        at = end + 1;
        while (p < end && (text[p] == ' ' || text[p] == '\t')) ++p;
        if (end - p < nameLength + 3 || std::memcmp(text + p, name, nameLength) != 0) continue;
        p += nameLength;
        if (text[p] != '=' || text[p + 1] != '"') continue;
        p += 2;
        // "$HOME" only counts unescaped, at the start: "\$HOME" is a folder named "$HOME".
        const bool homeRelative = end - p >= 5 && std::memcmp(text + p, "$HOME", 5) == 0;
        if (homeRelative) p += 5;
        std::string value;
        bool closed = false;
        while (p < end) {
            char c = text[p++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\' && p < end) c = text[p++];
            if (c == 0) break;  // a zero byte ends no path that the system could open
            value += c;
        }
        if (!closed) continue;
        if (homeRelative) {
            if (!value.empty() && value[0] != '/') continue;  // "$HOMEX" is another variable
            value = home + value;
        } else if (value.empty() || value[0] != '/') {
            continue;
        }
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        // The shell would take the last assignment of the name.
        found = value;
    }
    return found;
}

}  // namespace platform

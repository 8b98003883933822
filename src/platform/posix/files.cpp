// Folders and paths: wildcard listing, the current directory, joining names.
#include <algorithm>
#include <cctype>
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

}  // namespace platform

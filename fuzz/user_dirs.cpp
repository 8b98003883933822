// Fuzz target for the reader of the user-dirs file (where the pictures folder is): any bytes give
// either no folder or an absolute path without a zero byte or a trailing '/', and reading never
// goes past the bytes given.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that the sanitizer sees any read past the end.
    std::vector<char> text(data, data + size);
    const std::string home = "/home/user";
    const std::string folder = platform::userDirsValue(text.data(), text.size(), "XDG_PICTURES_DIR", home);
    if (folder.empty()) return 0;
    if (folder[0] != '/') std::abort();
    if (folder.find('\0') != std::string::npos) std::abort();
    if (folder.size() > 1 && folder.back() == '/') std::abort();
    return 0;
}

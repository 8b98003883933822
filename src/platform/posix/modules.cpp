// Loadable modules: shared libraries opened with dlopen and their exports.
#include <dlfcn.h>

#include "platform/platform.h"

namespace platform {
namespace {

// dlerror's text lives in a buffer that the next call reuses; keep a copy of the last one.
char lastError[256] = "";

void keepError() {
    const char* text = ::dlerror();
    int i = 0;
    if (text)
        for (; text[i] && i < static_cast<int>(sizeof lastError) - 1; ++i) lastError[i] = text[i];
    lastError[i] = '\0';
}

}  // namespace

void* openModule(const std::string& path) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) keepError();
    return module;
}

void closeModule(void* module) {
    if (module) ::dlclose(module);
}

void* moduleSymbol(void* module, const char* name) {
    if (!module || !name) return nullptr;
    ::dlerror();
    void* symbol = ::dlsym(module, name);
    if (!symbol) keepError();
    return symbol;
}

const char* moduleErrorText() { return lastError; }

}  // namespace platform

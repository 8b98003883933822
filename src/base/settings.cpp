// Stored settings of the application core, their defaults and their place in the store.
#include "base/settings.h"

#include <string>

#include "base/app.h"
#include "base/log.h"
#include "platform/store.h"

namespace settings {

int VIDbckBuffSysMem = 0;
int VIDwVSync = 1;
int VIDdefault = -1;
int VIDpresent = 0;

uint32_t loadFilter = 0xFFFFFFFFu;
int LSmagDiam = 1;
int settingsLoaded = 0;

namespace {

constexpr store::Hive kHive = store::HKEY_LOCAL_MACHINE;

std::string keyOf(const char* group) {
    std::string key = std::string(app::registryRoot) + "\\" + group;
    store::createKey(kHive, key);
    return key;
}

// Reads one DWORD into `variable`; a missing (or not DWORD-shaped) value gets `fallback`, which
// is written back. Returns whether the value was stored.
template <typename T>
bool readOrDefault(const std::string& key, const char* name, T& variable, T fallback) {
    uint32_t stored = 0;
    if (store::readDword(kHive, key, name, stored)) {
        variable = static_cast<T>(stored);
        return true;
    }
    variable = fallback;
    store::writeDword(kHive, key, name, static_cast<uint32_t>(fallback));
    return false;
}

}  // namespace

void readStartupValues() {
    const std::string key = keyOf("startup");
    int found = 0;
    found += readOrDefault(key, "VIDbckBuffSysMem", VIDbckBuffSysMem, 0);
    found += readOrDefault(key, "VIDwVSync", VIDwVSync, 1);
    found += readOrDefault(key, "VIDdefault", VIDdefault, -1);
    readOrDefault(key, "VIDpresent", VIDpresent, 0);
    // Nothing stored at all: a new machine (or a new root), whose cameras start from defaults.
    if (found == 0) app::firstRun = 1;
}

void writeStartupValues() {
    const std::string key = keyOf("startup");
    store::writeDword(kHive, key, "VIDbckBuffSysMem", static_cast<uint32_t>(VIDbckBuffSysMem));
    store::writeDword(kHive, key, "VIDwVSync", static_cast<uint32_t>(VIDwVSync));
    store::writeDword(kHive, key, "VIDdefault", static_cast<uint32_t>(VIDdefault));
    store::writeDword(kHive, key, "VIDpresent", static_cast<uint32_t>(VIDpresent));
}

void loadSettings() {
    const std::string key = keyOf("settings");
    readOrDefault(key, "loadFilter", loadFilter, 0xFFFFFFFFu);
    readOrDefault(key, "LSmagDiam", LSmagDiam, 1);
    settingsLoaded = 1;
    if (app::mode.DB) {
        logc::print(1, "\r\n\tsettings:");
        logc::print(1, "\r\n\t\tLF:%08X", loadFilter);
        logc::print(1, " MD:%08X", static_cast<uint32_t>(LSmagDiam));
    }
}

void saveSettings() {
    if (!settingsLoaded) return;
    const std::string key = keyOf("settings");
    store::writeDword(kHive, key, "loadFilter", loadFilter);
    store::writeDword(kHive, key, "LSmagDiam", static_cast<uint32_t>(LSmagDiam));
}

}  // namespace settings

// Macros: the 256 key slots, running a macro's commands, and the "<root>\macros" store key.
#include "console/macros.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "base/app.h"
#include "platform/store.h"

namespace console {

namespace {

// An empty text is an empty slot.
std::string texts[kMacroSlots];
bool changed[kMacroSlots];
CommandRunner runner = consoleExecute;

bool validKey(int key) { return key >= 0 && key < kMacroSlots; }

std::string macrosKey() { return std::string(app::registryRoot) + "\\macros"; }

std::string valueName(int key) {
    char name[8];
    std::snprintf(name, sizeof name, "M%02X", key);
    return name;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "M" and exactly two hexadecimal digits: the slot, or −1 for any other name. The store's names
// are case-insensitive, so "m41" is the same value as "M41".
int slotOfName(const std::string& name) {
    if (name.size() != 3 || (name[0] != 'M' && name[0] != 'm')) return -1;
    const int high = hexDigit(name[1]);
    const int low = hexDigit(name[2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

int readStore() {
    const std::string key = macrosKey();
    if (!store::createKey(store::HKEY_LOCAL_MACHINE, key)) return 0;
    for (const std::string& name : store::valueNames(store::HKEY_LOCAL_MACHINE, key)) {
        const int slot = slotOfName(name);
        if (slot < 0) continue;
        std::string text;
        // Values of another type are not macros and are left alone.
        if (!store::readString(store::HKEY_LOCAL_MACHINE, key, name, text)) continue;
        // A zero inside the stored text ends it, as it ends every command line.
        text.resize(std::strlen(text.c_str()));
        texts[slot] = text;
        changed[slot] = false;
    }
    return 1;
}

}  // namespace

int defineMacro(int key, const char* text) {
    if (!validKey(key) || !text) return 0;
    // Lower-case letters bind the letter keys, whose virtual-key codes are the upper-case ones.
    if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
    texts[key] = text;
    changed[key] = true;
    return 1;
}

int deleteMacro(int key) {
    if (!validKey(key)) return 0;
    // The same letters as defineMacro, so "unbind a" removes what "bind a" made.
    if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
    texts[key].clear();
    changed[key] = true;
    return 1;
}

void runMacro(int key) {
    if (!validKey(key) || texts[key].empty()) return;
    // The commands may rebind, unbind or reload this very macro: run from a copy.
    const std::string text = texts[key];
    char command[kCommandBytes];
    size_t start = 0;
    for (;;) {
        size_t end = text.find(';', start);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        const size_t n = end - start;
        // A command that does not fit the command buffer is not run cut short.
        if (n <= kCommandMax) {
            std::memcpy(command, text.data() + start, n);
            command[n] = '\0';
            runner(command);
        }
        if (last || end + 1 >= text.size()) break;  // a trailing ';' passes nothing more
        start = end + 1;
    }
}

const char* macroText(int key) {
    if (!validKey(key) || texts[key].empty()) return nullptr;
    return texts[key].c_str();
}

void setCommandRunner(CommandRunner r) { runner = r ? r : consoleExecute; }

int macroChanged(int key) { return validKey(key) && changed[key] ? 1 : 0; }

int loadMacros() {
    for (int k = 0; k < kMacroSlots; ++k) {
        texts[k].clear();
        changed[k] = false;
    }
    return readStore();
}

int reloadMacros() { return readStore(); }

int saveMacros() {
    const std::string key = macrosKey();
    if (!store::createKey(store::HKEY_LOCAL_MACHINE, key)) return 0;
    int result = 1;
    for (int k = 0; k < kMacroSlots; ++k) {
        if (!changed[k]) continue;
        bool done;
        if (!texts[k].empty()) {
            done = store::writeString(store::HKEY_LOCAL_MACHINE, key, valueName(k), texts[k]);
        } else {
            // Deleting a value that is not there is no failure.
            store::ValueType type = store::REG_NONE;
            std::vector<uint8_t> data;
            done = store::deleteValue(store::HKEY_LOCAL_MACHINE, key, valueName(k)) ||
                   !store::readValue(store::HKEY_LOCAL_MACHINE, key, valueName(k), type, data);
        }
        if (done) changed[k] = false;
        else result = 0;
    }
    return result;
}

void macrosStop() {
    for (int k = 0; k < kMacroSlots; ++k) {
        texts[k].clear();
        changed[k] = false;
    }
}

}  // namespace console

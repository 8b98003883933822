// "Add Start Menu": the freedesktop menu entry of this copy of the program, written where the
// user's menus read it.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/app.h"
#include "launcher/launcher.h"
#include "platform/platform.h"

#ifndef VYREX_APP_ID
#error "the build names the program's desktop id (VYREX_APP_ID)"
#endif

namespace launcher {
namespace {

struct EntryKey {
    const char* key;
    const char* value;  // null: the description
};

// The keys that every menu entry of the program has: the one Setup writes and the one an
// installed copy brings (data/desktop/vyrex.desktop.in, which a test holds to these).
constexpr EntryKey kEntryKeys[] = {
    {"Type", "Application"},
    {"Version", "1.4"},
    {"Name", "Vyrex"},
    {"GenericName", "Star Map"},
    {"Comment", nullptr},
    {"Categories", "Science;Astronomy;"},
    {"Keywords", "stars;astronomy;planetarium;space;galaxy;planets;exoplanets;Hipparcos;"},
    {"Terminal", "false"},
    // The class of the program's windows (its file's name), which ties them to the entry's icon.
    {"StartupWMClass", "vyrex"},
};

bool validUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || text.size() - i <= static_cast<size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += extra + 1;
    }
    return true;
}

bool holdsControls(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
    return false;
}

// A value of the string type: a backslash is written "\\".
std::string escapeValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// The program as Exec's one argument: quoted, with ", `, $ and \ escaped inside the quotes and
// % doubled (Exec's field codes), then escaped as every string value is.
std::string execArgument(const std::string& program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return escapeValue(quoted);
}

std::string absolute(const std::string& path) {
    return !path.empty() && path[0] == '/' ? path : platform::joinPath(platform::currentDirectory(), path);
}

// The icon of this copy: the program folder's own (a build's), an installed copy's themed one by
// its path, or the themed name for the menus to find.
std::string iconOf(const std::string& folder) {
    const std::string file = std::string(VYREX_APP_ID) + ".png";
    const std::string candidates[] = {
        platform::joinPath(folder, file),
        platform::joinPath(platform::parentFolder(folder), "icons/hicolor/256x256/apps/" + file),
    };
    for (const std::string& path : candidates)
        if (platform::pathExists(path) && !holdsControls(path) && validUtf8(path)) return path;
    return VYREX_APP_ID;
}

}  // namespace

const char* desktopId() { return VYREX_APP_ID; }

std::string menuEntryText(const std::string& program, const std::string& folder, const std::string& icon,
                          const char* description) {
    for (const std::string* text : {&program, &folder, &icon})
        if (text->empty() || holdsControls(*text) || !validUtf8(*text)) return "";
    const std::string comment = description ? description : "";
    if (holdsControls(comment) || !validUtf8(comment)) return "";
    std::string entry = "[Desktop Entry]\n";
    for (const EntryKey& k : kEntryKeys)
        entry += std::string(k.key) + "=" + (k.value ? std::string(k.value) : escapeValue(comment)) + "\n";
    entry += "Exec=" + execArgument(program) + "\n";
    entry += "TryExec=" + escapeValue(program) + "\n";
    entry += "Path=" + escapeValue(folder) + "\n";
    entry += "Icon=" + escapeValue(icon) + "\n";
    return entry;
}

ShortcutReport addStartMenuShortcut(const char* entryName, const char* programFile, const char* description) {
    ShortcutReport report;
    if (!entryName || !*entryName || std::strchr(entryName, '/')) {
        report.reason = "no name for the entry";
        return report;
    }
    const std::string folder = absolute(app::programFolder);
    std::string program = platform::executablePath();
    if (program.empty()) program = platform::joinPath(folder, programFile ? programFile : "vyrex");
    const std::string text = menuEntryText(program, folder, iconOf(folder), description);
    if (text.empty()) {
        report.reason = "the program's path cannot go into an entry";
        return report;
    }
    const std::string menus = platform::joinPath(platform::dataHome(), "applications");
    report.path = platform::joinPath(menus, entryName);
    if (!platform::makeFolders(menus) || !platform::replaceFile(report.path, text.data(), text.size())) {
        report.reason = platform::fileErrorText();
        return report;
    }
    report.written = true;
    return report;
}

}  // namespace launcher

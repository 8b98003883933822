// The plug-in loader: finds, loads and starts the plug-in libraries, and keeps the records of what
// they registered so that a library is never unloaded while the program can still call into it.
#include "extensions/plugins.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/log.h"
#include "base/zode.h"
#include "console/console.h"
#include "extensions/plugins_internal.h"
#include "platform/platform.h"
#include "zwindows/panels.h"
#include "zwindows/zwindows.h"

namespace extensions {
namespace {

struct Plugin {
    void* module;                     // the loader's handle
    char name[kPluginNameMax + 1];    // file name in the plugin folder
};
Plugin plugins[kMaxPlugins];
int pluginTotal = 0;

// Who a record belongs to: the start attempt it was made in, or kAfterStart for registrations
// made later from a plug-in's messages or commands (they all go at shutdown).
constexpr int kAfterStart = 0;
struct Record {
    detail::Registration kind;
    int32_t owner;  // 0: free
    int32_t value;  // object handle, command index, class index or node handle
};
Record records[kMaxRegistrations];
int attempts = 0;           // start attempts so far; the current one owns new records
int starting = kAfterStart; // the attempt whose entry point is running, or kAfterStart
bool loading = false;       // records may be made: between pluginsLoad and pluginsStop

void log(const char* format, const char* text) {
    if (app::mode.DB) logc::print(1, format, text);
}

// Nodes and announcements can go without the plug-in saying so (a parent destroyed with them,
// the window manager's own clearing); their records are the ones worth reclaiming when full.
void reclaimStale() {
    for (Record& r : records) {
        if (!r.owner) continue;
        const bool gone = (r.kind == detail::Registration::kNode || r.kind == detail::Registration::kAnnouncement) &&
                          !zwindows::nodeExists(r.value);
        if (gone) r = Record{};
    }
}

// Undoes the records of one owner (or all with `all`), the windows first: their nodes' objects
// and the announcements refer to the classes and objects removed after them.
void removeRecords(int owner, bool all) {
    using detail::Registration;
    constexpr Registration kOrder[] = {Registration::kAnnouncement, Registration::kNode,
                                       Registration::kWindowClass, Registration::kCommand, Registration::kObject};
    for (Registration kind : kOrder) {
        for (int i = kMaxRegistrations - 1; i >= 0; --i) {
            Record& r = records[i];
            if (!r.owner || r.kind != kind || (!all && r.owner != owner)) continue;
            const Record undo = r;
            r = Record{};
            switch (undo.kind) {
                case Registration::kAnnouncement: zwindows::withdrawWindow(undo.value); break;
                case Registration::kNode: zwindows::destroyNode(undo.value); break;
                case Registration::kWindowClass: zwindows::unregisterClass(undo.value); break;
                case Registration::kCommand: console::consoleRemoveCommand(undo.value); break;
                case Registration::kObject: zode::unregisterObject(undo.value); break;
            }
        }
    }
}

// Loads and starts one library; true when it stays.
bool startOne(const std::string& folder, const std::string& file) {
    const std::string path = platform::joinPath(folder, file);
    void* module = platform::openModule(path);
    if (!module) {
        // The loader's reason (wrong machine, a missing symbol, not a library) is what a plug-in
        // writer needs to see.
        if (app::mode.DB) logc::print(1, "\r\n\t\tCan't load '%s': %s", file.c_str(), platform::moduleErrorText());
        return false;
    }
    log("\r\n\t\tLoading %s ...", path.c_str());
    auto* entry = reinterpret_cast<VyrexPluginMainFunction>(platform::moduleSymbol(module, VYREX_PLUGIN_ENTRY));
    if (!entry) {
        log("\r\n\t\tInvalid Plugin '%s'.", file.c_str());
        platform::closeModule(module);
        return false;
    }
    if (pluginTotal == kMaxPlugins) {
        log("\r\n\t\tToo many plugins: '%s' is not started.", file.c_str());
        platform::closeModule(module);
        return false;
    }
    starting = ++attempts;
    const int result = entry(module, &detail::services());
    const int owner = starting;
    starting = kAfterStart;
    if (result == 0) {
        log("\r\n\t\tPlugin Fail to init '%s'.", file.c_str());
        removeRecords(owner, false);
        platform::closeModule(module);
        return false;
    }
    // Records of this start belong to the plug-ins as a whole from now on.
    for (Record& r : records)
        if (r.owner == owner) r.owner = -1;
    if (app::mode.DB)
        logc::print(1, "[%08llX|%d]", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(module)), result);
    Plugin& p = plugins[pluginTotal++];
    p.module = module;
    std::snprintf(p.name, sizeof p.name, "%s", file.c_str());
    return true;
}

}  // namespace

namespace detail {

bool noteRegistration(Registration kind, int32_t value) {
    if (!loading) return true;  // not through a plug-in: the program's own registrations
    const int32_t owner = starting != kAfterStart ? starting : -1;
    for (int pass = 0; pass < 2; ++pass) {
        for (Record& r : records) {
            if (r.owner) continue;
            r = Record{kind, owner, value};
            return true;
        }
        reclaimStale();
    }
    return false;
}

void dropRegistration(Registration kind, int32_t value) {
    for (Record& r : records)
        if (r.owner && r.kind == kind && r.value == value) {
            r = Record{};
            return;
        }
}

}  // namespace detail

int pluginsLoad() {
    if (!app::mode.PLG) return 1;
    detail::fillServices();
    loading = true;
    if (app::mode.DB) logc::print(1, "\r\n\tLoad Plugins:");
    const std::string folder = platform::joinPath(app::programFolder, "plugin");
    const std::vector<std::string> files = platform::listFolder(folder, "*.so");
    if (files.empty()) return 0;
    for (const std::string& file : files) startOne(folder, file);
    return 1;
}

void pluginsStop() {
    removeRecords(0, true);
    for (int i = pluginTotal - 1; i >= 0; --i) {
        platform::closeModule(plugins[i].module);
        plugins[i] = Plugin{};
    }
    pluginTotal = 0;
    loading = false;
    starting = kAfterStart;
}

int pluginCount() { return pluginTotal; }

const char* pluginName(int index) { return index >= 0 && index < pluginTotal ? plugins[index].name : ""; }

int registrationCount() {
    int n = 0;
    for (const Record& r : records) n += r.owner != 0;
    return n;
}

}  // namespace extensions

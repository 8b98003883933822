// The star-system layer's start and stop, the loading of the "systems" folder, its scene layer
// and the body source of the catalogue.
#include "systems/systems.h"

#include <string>
#include <vector>

#include "base/app.h"
#include "base/log.h"
#include "base/settings.h"
#include "catalog/catalog.h"
#include "navigation/camera.h"
#include "platform/platform.h"
#include "render/scene.h"
#include "systems/bodies.h"

namespace systems {

namespace {

BodyTable table;

// A star-system file is text of a few hundred lines; anything far beyond is not one.
constexpr size_t kMaxFileBytes = 16u << 20;

bool sameStart(const std::string& name, const char* prefix, size_t n) {
    if (name.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char a = name[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// Reads one file into the table; false when it cannot be read. With the DB flag the "loading"
// line is logged when `logName` is set (the two Solar System files have none), then what was
// wrong with the file's lines.
bool readFile(const std::string& folder, const std::string& name, bool logName) {
    const std::string path = platform::joinPath(folder, name);
    std::vector<uint8_t> bytes;
    if (!platform::readWholeFile(path, bytes, kMaxFileBytes)) return false;
    const FileReport r = readSystemFile(bytes.data(), bytes.size(), settings::loadFilter, table);
    if (!app::mode.DB) return true;
    if (logName) logc::print(1, "\r\n\t\tloading %s ...", path.c_str());
    if (r.dropped > 0)
        logc::print(1, "\r\n\t\t\t%s: %d line(s) dropped, the first at line %d: %s", name.c_str(), r.dropped,
                    r.firstDroppedLine, lineResultText(r.firstDropped));
    if (r.stillBodies > 0)
        logc::print(1, "\r\n\t\t\t%s: %d body(ies) without a period stay where they are", name.c_str(),
                    r.stillBodies);
    return true;
}

void build(const render::SceneBuild& b) {
    if (b.systemReload) enterCameraSystem();
}

void draw(const render::SceneDraw& d) { drawSystem(d.surface, d.camera, d.cx, d.cy); }

constexpr render::SceneLayer kLayer = {"star system", render::kOrderSystem, render::kInSystem, build, draw};

int bodyPosition(catalog::ObjectId id, Vector3& km) {
    const SystemObject* o = findObject(static_cast<int32_t>(id));
    if (!o) return 0;
    km = o->position;
    return 1;
}

double bodyRadius(catalog::ObjectId id) {
    const SystemObject* o = findObject(static_cast<int32_t>(id));
    return o ? o->radius : 0.0;
}

constexpr catalog::BodySource kBodySource = {bodyPosition, bodyRadius};

}  // namespace

const BodyTable& bodyTable() { return table; }

void loadSystemFiles(bool startUp) {
    table.count = 0;
    if (startUp && app::mode.DB) logc::print(1, "\r\n\tLoad Star Systems:");
    const std::string folder = platform::joinPath(app::programFolder, "systems");
    readFile(folder, "solar.ssd", false);
    readFile(folder, "solarext.ssd", false);
    for (const std::string& name : platform::listFolder(folder, "*.ssd")) {
        if (sameStart(name, "solar.ssd", 9) || sameStart(name, "solarext.ssd", 12)) continue;
        readFile(folder, name, true);
    }
}

int enterCameraSystem() {
    const CameraRecord& c = *camera::activeCamera();
    const double time = c.systemTime;
    if (!enterSystem(c.system, table)) return 0;
    camera::setSystemTime(0.0);
    advance(time);
    return 1;
}

void reloadSystems() {
    loadSystemFiles(false);
    const CameraRecord& c = *camera::activeCamera();
    camera::setMode(c.mode);
    // setMode refuses the system mode while a body is locked: the running system is then
    // rebuilt here, since the camera will not ask for it.
    if (c.mode == camera::kModeSystem && !camera::systemReload) enterCameraSystem();
}

void setLoadFilter(uint32_t filter) {
    if (filter == settings::loadFilter) return;
    settings::loadFilter = filter;
    reloadSystems();
}

int start() {
    clearSystem();
    loadBodyGraphics();
    loadSystemFiles(true);
    render::addLayer(&kLayer);
    catalog::registerBodySource(&kBodySource);
    return 1;
}

void stop() {
    catalog::unregisterBodySource(&kBodySource);
    render::removeLayer(&kLayer);
    clearSystem();
}

}  // namespace systems

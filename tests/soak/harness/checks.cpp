// What the soak checks: the program's fixed tables against their sizes, the camera records,
// the fixed states the program is put back into (each must bring every table back to the
// counts it had the first time), and the process's memory.
//
// A table the program gains joins the checks with one line of kTables; a state worth coming
// back to, with one line of kStates.
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "base/app.h"
#include "base/input_state.h"
#include "base/settings.h"
#include "base/zode.h"
#include "console/commands.h"
#include "console/console.h"
#include "extensions/markers.h"
#include "navigation/camera.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "render/render.h"
#include "soak/harness/soak_internal.h"
#include "systems/bodies.h"
#include "systems/system.h"
#include "systems/systems.h"
#include "zwindows/zwindows.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own count of the heap in use; GCC ships no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace soak {

namespace {

// ---- The tables -----------------------------------------------------------------------------------

const Table kTables[] = {
    {"event-bus objects", [] { return zode::usage().objects; }, [] { return zode::kObjects; }},
    {"event types", [] { return zode::usage().eventTypes; }, [] { return zode::kEventTypes; }},
    {"subscriptions", [] { return zode::usage().subscriptions; }, [] { return zode::kNodes; }},
    {"SkyList", [] { return render::listCounts().sky; }, [] { return render::listCapacities().sky; }},
    {"starList", [] { return render::listCounts().stars; }, [] { return render::listCapacities().stars; }},
    {"dsmList", [] { return render::listCounts().deepSky; }, [] { return render::listCapacities().deepSky; }},
    {"textList", [] { return render::listCounts().texts; }, [] { return render::listCapacities().texts; }},
    {"lineList", [] { return render::listCounts().lines; }, [] { return render::listCapacities().lines; }},
    {"spotList", [] { return render::listCounts().spots; }, [] { return render::listCapacities().spots; }},
    {"neb3dList", [] { return render::listCounts().nebulaPoints; },
     [] { return render::listCapacities().nebulaPoints; }},
    {"rList", [] { return render::listCounts().local; }, [] { return render::listCapacities().local; }},
    {"markers", markers::markerCount, [] { return markers::kMaxMarkers; }},
    {"body table", [] { return systems::bodyTable().count; }, [] { return systems::kMaxBodies; }},
    {"system objects", systems::objectCount, [] { return systems::kMaxObjects; }},
    {"bodyList", systems::bodyListCount, [] { return systems::kMaxBodyList; }},
    {"window nodes", zwindows::nodeCount, [] { return zwindows::kMaxNodes; }},
    {"plug-in commands", console::commandCount, [] { return console::kMaxCommands; }},
};

// ---- The camera record ----------------------------------------------------------------------------

// Every real of the record: a saved camera is these bytes, so one value that is not finite
// would be drawn, stored and loaded again on every run.
struct RealField {
    const char* name;
    size_t offset;  // bytes into the record
    int count;      // doubles
};
const RealField kCameraReals[] = {
    {"IPos", offsetof(CameraRecord, IPos), 3},
    {"travelDir", offsetof(CameraRecord, travelDir), 3},
    {"speed", offsetof(CameraRecord, speed), 1},
    {"starMagLimit", offsetof(CameraRecord, starMagLimit), 1},
    {"tree", offsetof(CameraRecord, tree), 1},
    {"zoom", offsetof(CameraRecord, zoom), 1},
    {"zclip", offsetof(CameraRecord, zclip), 1},
    {"deepSkyMagLimit", offsetof(CameraRecord, deepSkyMagLimit), 1},
    {"vradius", offsetof(CameraRecord, vradius), 1},
    {"localRadius2", offsetof(CameraRecord, localRadius2), 1},
    {"localMin", offsetof(CameraRecord, localMin), 3},
    {"localMax", offsetof(CameraRecord, localMax), 3},
    {"SPos", offsetof(CameraRecord, SPos), 3},
    {"centralOffset", offsetof(CameraRecord, centralOffset), 3},
    {"Cam", offsetof(CameraRecord, Cam), 16},
    {"systemTravelDir", offsetof(CameraRecord, systemTravelDir), 3},
    {"sspeed", offsetof(CameraRecord, sspeed), 1},
    {"systemTime", offsetof(CameraRecord, systemTime), 1},
    {"timeStep", offsetof(CameraRecord, timeStep), 1},
    {"labelMagLimit", offsetof(CameraRecord, labelMagLimit), 1},
};

// The orientation's rows are the screen axes: unit length and at right angles to each other.
// The default camera's are written to six decimals (unit to about 1e-6) and each turn adds a
// rounding of about 1e-16, so 1e-5 leaves room for both and still catches a matrix that drifts
// or was never a rotation.
constexpr double kRotationTolerance = 1e-5;

std::string recordProblem(const CameraRecord& c) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&c);
    for (const RealField& f : kCameraReals) {
        for (int i = 0; i < f.count; ++i) {
            double v;
            std::memcpy(&v, bytes + f.offset + sizeof(double) * static_cast<size_t>(i), sizeof v);
            if (!std::isfinite(v)) {
                char text[96];
                std::snprintf(text, sizeof text, "%s[%d] is %g", f.name, i, v);
                return text;
            }
        }
    }
    for (int a = 0; a < 3; ++a) {
        for (int b = a; b < 3; ++b) {
            const double dot = c.Cam.m[a][0] * c.Cam.m[b][0] + c.Cam.m[a][1] * c.Cam.m[b][1] + c.Cam.m[a][2] * c.Cam.m[b][2];
            const double want = a == b ? 1.0 : 0.0;
            if (!(std::fabs(dot - want) <= kRotationTolerance)) {
                char text[96];
                std::snprintf(text, sizeof text, "Cam rows %d and %d: dot product %.9g, not %g", a, b, dot, want);
                return text;
            }
        }
    }
    return "";
}

// ---- The fixed states -------------------------------------------------------------------------------

// The default camera with labels and deep sky on and the Orion figures drawn, so that every list
// of the sky and the bodies of the Sun's system hold something.
void sunSystem() {
    CameraRecord& c = *camera::editCamera(0);
    c = camera::defaultRecord();
    c.flags |= camera::kFlagLabels | camera::kFlagDeepSky | camera::kFlagOrbits;
    camera::selectCamera(0);
    markers::markerLoad("orion-family.map");
    markers::showMarkers(1);
}

// The local-space chart round the Sun, discs by magnitude.
void localSpace() {
    CameraRecord& c = *camera::editCamera(0);
    c = camera::defaultRecord();
    c.mode = camera::kModeLocalSpace;
    c.vradius = 20;
    c.flags |= camera::kFlagLabels;
    camera::selectCamera(0);
    if (settings::LSmagDiam != 1) render::toggleLocalDiscMode();
}

// Local space holding the whole catalogue: the heaviest frame the program makes on purpose
// (every star collected, sorted and drawn), which the frame-time bound is relative to.
void wholeCatalogue() {
    CameraRecord& c = *camera::editCamera(0);
    c = camera::defaultRecord();
    c.mode = camera::kModeLocalSpace;
    c.vradius = 1e6;
    c.flags |= camera::kFlagLabels;
    camera::selectCamera(0);
}

const FixedState kStates[] = {
    {"the Sun's system with labels, deep sky, orbits and the Orion figures", sunSystem, {}},
    // The chart draws no system: the last system entered and its last body list stay.
    {"local space round the Sun", localSpace, {"system objects", "bodyList"}},
    {"local space holding the whole catalogue", wholeCatalogue, {"system objects", "bodyList"}, true},
};

bool drawnIn(const FixedState* state, const char* table) {
    if (!state) return true;
    for (const char* name : state->notDrawn)
        if (name && std::strcmp(name, table) == 0) return false;
    return true;
}

}  // namespace

const Table* tables(int& count) {
    count = static_cast<int>(std::size(kTables));
    return kTables;
}

std::string tablesProblem() {
    for (const Table& t : kTables) {
        const int n = t.count(), most = t.capacity();
        if (n < 0 || n > most) return std::string(t.name) + " holds " + std::to_string(n) + " of " + std::to_string(most);
    }
    return "";
}

std::string camerasProblem() {
    for (int n = 0; n < camera::kCameras; ++n) {
        const std::string problem = recordProblem(*camera::cameraAt(n));
        if (!problem.empty()) return "camera " + std::to_string(n + 1) + ": " + problem;
    }
    return "";
}

const FixedState* fixedStates(int& count) {
    count = static_cast<int>(std::size(kStates));
    return kStates;
}

void applyFixedState(int index, std::vector<zwindows::Node>& windows) {
    // The common part: what the stream may have left open or held.
    if (console::panel().visible || input::consoleHasKeyboard) console::consoleClose();
    if (zwindows::helpPickActive()) zwindows::endHelpPick(0xFFFF);
    for (zwindows::Node w : windows) zwindows::destroyNode(w);
    windows.clear();
    // A panel the stream opened from the toolbar stays open, and a field in it may still hold
    // the keyboard: a click on the sky would take it back, as this does.
    zwindows::activateNode(zwindows::rootNode());
    markers::markerClear();
    markers::showMarkers(0);
    // The Config panel's filter checks may have left some systems unread (and the store keeps
    // that across sessions): every fixed state reads all of them, as a first start does.
    systems::setLoadFilter(0xFFFFFFFFu);
    app::guiVisible = 1;
    headless::setPointer(-100, -100);  // nothing hovered
    kStates[index].apply();
}

std::vector<int> tableCounts() {
    std::vector<int> counts;
    for (const Table& t : kTables) counts.push_back(t.count());
    return counts;
}

std::string countsDiffer(const std::vector<int>& baseline, const std::vector<int>& now, const FixedState* state) {
    std::string out;
    for (size_t i = 0; i < baseline.size() && i < now.size(); ++i) {
        if (baseline[i] == now[i] || !drawnIn(state, kTables[i].name)) continue;
        if (!out.empty()) out += ", ";
        out += std::string(kTables[i].name) + " " + std::to_string(now[i]) + " (was " + std::to_string(baseline[i]) + ")";
    }
    return out;
}

size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator keeps freed blocks in quarantine; its own count leaves them out.
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace soak

// The camera table, the default camera, the camera operations, journeys and the per-frame update.
#include "navigation/camera.h"

#include <climits>
#include <cmath>
#include <iterator>

#include "base/zode.h"
#include "catalog/catalog.h"
#include "navigation/camera_edit.h"

namespace camera {

using vmath::operator+;
using vmath::operator-;
using vmath::operator*;

namespace {

constexpr double kKmPerLy = 9460704000000.0;
// Journeys and lookAt closer than this (light years or kilometres, by mode) do not move or turn.
constexpr double kNearEnough = 0.1;

constexpr CameraRecord makeDefault() {
    CameraRecord r{};
    r.IPos = {0, 0, 0};
    r.travelDir = {0, 0, 1};
    r.speed = 1.0;
    r.starMagLimit = 6.0;
    r.tree = 1.0;
    r.zoom = 1.5;
    r.zclip = 0.06 * kKmPerLy;  // 0.06 light year in kilometres
    r.travelling = 0;
    r.travelSteps = 0;
    r.deepSkyTypes = kAllDeepSkyTypes;
    r.deepSkyMagLimit = 20.0;
    r.vradius = 12.0;
    r.localRadius2 = 133.0;
    r.localMin = {-12, -12, -12};
    r.localMax = {12, 12, 12};
    r.reserved176 = 1.0;
    r.system = static_cast<int32_t>(catalog::kSunIndex);
    r.SPos = {-34058617.0, -134033065.2, -58123367.5};
    r.centralOffset = {0, 0, 0};
    r.Cam = {{{-0.807405, 0.493568, 0.323245, 0},
              {0.125497, 0.679009, -0.723323, 0},
              {-0.576496, -0.543449, -0.610177, 0},
              {0, 0, 0, 1}}};
    r.systemTravelDir = {1, 0, 0};
    r.sspeed = 1496000.0;  // 0.01 AU
    r.systemTime = 1.0;
    r.timeStep = 1.0;
    r.hover = kNone;
    r.lock = static_cast<int32_t>(catalog::kSunIndex);
    r.vLock = kNone;
    r.central = kNone;
    r.mode = kModeSystem;
    r.flags = kDefaultFlags;
    r.lockBlink = 0;
    r.labelMagLimit = 1.5;
    return r;
}

constexpr CameraRecord kDefault = makeDefault();

CameraRecord cameras[kCameras] = {kDefault, kDefault, kDefault, kDefault,
                                  kDefault, kDefault, kDefault, kDefault};
int activeIndex = 0;

Vector3 row(const Matrix4& m, int k) { return {m.m[k][0], m.m[k][1], m.m[k][2]}; }

void setRow(Matrix4& m, int k, Vector3 v) {
    m.m[k][0] = v.x;
    m.m[k][1] = v.y;
    m.m[k][2] = v.z;
    m.m[k][3] = 0.0;
}

int kindOf(int32_t object) { return catalog::objectKind(static_cast<catalog::ObjectId>(object)); }

bool positionOf(int32_t object, Vector3& position) {
    if (object == kNone) return false;
    return catalog::objectPosition(static_cast<catalog::ObjectId>(object), position) != 0;
}

// Frames a journey of `distance` takes at `step` per frame: trunc(distance / step). A zero,
// negative or non-finite step (the console can set any speed) must not overflow the counter:
// the count saturates, so such a journey runs until it is stopped or re-aimed.
int32_t stepsFor(double distance, double step) {
    const double n = distance / step;
    if (std::isnan(n) || n <= 0) return 0;
    if (n >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    return static_cast<int32_t>(n);
}

// A position that is no longer finite is lost for good: nothing can be drawn from it, and it is
// stored and loaded again on every run. The console sets any speed up to 1e308 per frame, so a
// step can take the camera past the largest double; such a step is not taken.
bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void stepTo(Vector3& position, const Vector3& next) {
    if (finite(next)) position = next;
}

// The length of `v` and the unit vector along it (zero for a zero or non-finite vector). The
// squared length of a vector of large doubles overflows (a camera 1e308 light years out, which
// the console allows) and would give a zero direction, so such a vector is measured scaled down
// by its largest component: the direction stays a unit vector, the length may be infinite.
double unitAlong(const Vector3& v, Vector3& unit) {
    const double d = std::sqrt(vmath::lengthSquared(v));
    if (std::isfinite(d) && d > 0) {
        unit = v * (1.0 / d);
        return d;
    }
    unit = {0, 0, 0};
    const double scale = std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
    if (!(scale > 0) || !std::isfinite(scale)) return 0;
    const Vector3 w = {v.x / scale, v.y / scale, v.z / scale};
    const double lw = std::sqrt(vmath::lengthSquared(w));
    unit = w * (1.0 / lw);
    return scale * lw;
}

void journeyStep(CameraRecord& c) {
    if (c.travelSteps <= 0) {
        // Arrival jumps to the lock, whatever the journey was started for.
        Vector3 target;
        const int32_t lock = c.lock;
        if (positionOf(lock, target)) {
            const int kind = kindOf(lock);
            if (kind == 2 || kind == 3) {
                const double radius = catalog::objectRadius(static_cast<catalog::ObjectId>(lock));
                stepTo(c.SPos, target - c.systemTravelDir * (6.0 * radius));
            } else {
                c.IPos = target;
            }
            zode::broadcast(zode::kEventCameraMoved);
        }
        if (c.mode != kModeSystem) rebuildSky = 1;
        c.travelSteps = 0;
        c.travelling = 0;
        zode::broadcast(zode::kEventJourneyEnd, 1);
        return;
    }
    if (c.mode == kModeSystem) {
        stepTo(c.SPos, c.SPos + c.systemTravelDir * c.sspeed);
    } else {
        stepTo(c.IPos, c.IPos + c.travelDir * c.speed);
        rebuildSky = 1;
    }
    --c.travelSteps;
    zode::broadcast(zode::kEventCameraMoved);
}

}  // namespace

int rebuildSky = 1;
int lockChanged = 0;
int systemReload = 1;
int frameChanged = 1;

const CameraRecord& defaultRecord() { return kDefault; }

const CameraRecord* activeCamera() { return &cameras[activeIndex]; }
int activeCameraIndex() { return activeIndex; }
const CameraRecord* cameraAt(int n) { return editCamera(n); }
CameraRecord& editActive() { return cameras[activeIndex]; }
CameraRecord* editCamera(int n) { return n >= 0 && n < kCameras ? &cameras[n] : nullptr; }

void settingsChanged(int rebuild) {
    zode::broadcast(zode::kEventCameraChanged);
    rebuildSky = rebuild;
}

int selectCamera(int n) {
    if (n < 0 || n >= kCameras) return 0;
    zode::broadcast(zode::kEventCameraSwitched, n, activeIndex);
    activeIndex = n;
    zode::broadcast(zode::kEventCameraChanged);
    rebuildSky = 1;
    lockChanged = 1;
    systemReload = 1;
    return 1;
}

int setMode(int m) {
    CameraRecord& c = editActive();
    if (m == kModeInterstellar || m == kModeLocalSpace) {
        c.mode = m;
    } else if (m == kModeSystem) {
        // Only stars and pulsars have systems; bodies and components live inside one.
        if (c.lock == kNone) return 0;
        const int kind = kindOf(c.lock);
        if (kind == 2 || kind == 3) return 0;
        if (kind == 1) {
            catalog::DeepSkyRecord record;
            const uint32_t index = static_cast<uint32_t>(c.lock) - catalog::kDeepSkyBase;
            if (!catalog::readDeepSky(index, record) || record.type != catalog::kPulsar) return 0;
        }
        // A lock that names no catalogued object has no system to enter.
        Vector3 where;
        if (!positionOf(c.lock, where)) return 0;
        if (c.system != c.lock) c.central = kNone;
        c.system = c.lock;
        systemReload = 1;
        c.mode = kModeSystem;
    } else {
        return 0;
    }
    settingsChanged(1);
    return 1;
}

void move(double forward, double up, double right) {
    CameraRecord& c = editActive();
    const double step = c.mode == kModeSystem ? c.sspeed : c.speed;
    const Vector3 delta = row(c.Cam, 2) * (forward * step) + row(c.Cam, 0) * (right * step) +
                          row(c.Cam, 1) * (up * step);
    if (c.mode == kModeSystem) {
        stepTo(c.SPos, c.SPos + delta);
    } else {
        stepTo(c.IPos, c.IPos + delta);
        rebuildSky = 1;
    }
    zode::broadcast(zode::kEventCameraMoved);
}

void rotate(double a, double b, double c) {
    vmath::rotateCamera(editActive().Cam, a, b, c);
    zode::broadcast(zode::kEventCameraTurned);
}

void adjustRadius(double d) {
    CameraRecord& c = editActive();
    c.vradius += d;
    // Also catches a NaN radius, which would otherwise empty local space for good.
    if (!(c.vradius >= 1.0)) c.vradius = 1.0;
    rebuildSky = 1;
    lockChanged = 1;
    zode::broadcast(zode::kEventCameraChanged);
}

// A place typed into the Location panel, given by the console or by a plug-in may be no number
// at all ("nan", "1e999"): like a step past the largest double, it is not taken.
void setIPos(double x, double y, double z) {
    stepTo(editActive().IPos, {x, y, z});
    zode::broadcast(zode::kEventCameraMoved);
    zode::broadcast(zode::kEventCameraChanged);
    rebuildSky = 1;
}

void setSPos(double x, double y, double z) {
    stepTo(editActive().SPos, {x, y, z});
    zode::broadcast(zode::kEventCameraMoved);
    zode::broadcast(zode::kEventCameraChanged);
    rebuildSky = 0;
}

void lookAt(int32_t object) {
    CameraRecord& c = editActive();
    Vector3 target;
    if (positionOf(object, target)) {
        // Stars and deep-sky objects lie in light years around IPos, bodies and components in
        // kilometres around SPos. The frame follows the object, not the mode: in a star system a
        // star of the sky is still seen from IPos, and mixing the two units turns the view away.
        const int kind = kindOf(object);
        Vector3 f;
        const double d = unitAlong(target - (kind == 2 || kind == 3 ? c.SPos : c.IPos), f);
        if (d > kNearEnough) {
            // World +y made perpendicular to the viewing direction is the new screen-down axis.
            Vector3 u = {-f.y * f.x, 1.0 - f.y * f.y, -f.y * f.z};
            const double ul = std::sqrt(vmath::lengthSquared(u));
            // Straight along ±y there is no such axis: keep the old orientation.
            if (ul > 1e-12) {
                u = u * (1.0 / ul);
                setRow(c.Cam, 2, f);
                setRow(c.Cam, 1, u);
                setRow(c.Cam, 0, vmath::cross(u, f));
            }
        }
    }
    zode::broadcast(zode::kEventCameraTurned);
}

void startJourney(int32_t object) {
    if (object == kNone) return;
    CameraRecord& c = editActive();
    Vector3 target;
    if (!positionOf(object, target)) return;
    const int kind = kindOf(object);
    const bool body = kind == 2 || kind == 3;
    // Bodies have kilometre positions inside the entered system: a journey to one only makes
    // sense from within that system.
    if (body && c.mode != kModeSystem) return;
    if (!body && c.mode == kModeSystem) {
        c.mode = kModeInterstellar;
        rebuildSky = 1;
    }
    if (c.mode == kModeSystem) {
        Vector3 dir;
        const double d = unitAlong(target - c.SPos, dir);
        if (d > kNearEnough) {
            c.systemTravelDir = dir;
            c.travelSteps = stepsFor(d, c.sspeed);
        } else {
            c.travelSteps = 0;
        }
    } else {
        Vector3 dir;
        const double d = unitAlong(target - c.IPos, dir);
        if (d > kNearEnough) {
            c.travelDir = dir;
            c.travelSteps = stepsFor(d, c.speed);
        } else {
            c.travelSteps = 0;
        }
    }
    zode::broadcast(zode::kEventJourneyStart, object);
    c.travelling = 1;
}

void stopJourney() {
    editActive().travelling = 0;
    zode::broadcast(zode::kEventJourneyEnd, 0);
}

void setCentral(int32_t object) {
    CameraRecord& c = editActive();
    Vector3 where;
    if (object != kNone && kindOf(object) == 2 && positionOf(object, where)) {
        c.central = object;
        c.centralOffset = c.SPos - where;
    } else {
        c.central = kNone;
    }
}

void lockObject(int32_t object) {
    CameraRecord& c = editActive();
    c.lock = object;
    c.lockBlink = 16;
    lockChanged = 1;
    zode::broadcast(zode::kEventSelect, object);
}

void setViewLock(int32_t object) {
    editActive().vLock = object;
    settingsChanged(0);
}

void cameraFrame() {
    CameraRecord& c = editActive();
    frameChanged = (rebuildSky || lockChanged) ? 1 : 0;
    if (lockChanged && c.travelling) {
        startJourney(c.lock);
        lockChanged = 0;
    }
    if (c.travelling) journeyStep(c);
    if (c.vLock != kNone) lookAt(c.vLock);
    c.hover = kNone;
}

int cameraStart(int reset) {
    loadAllCameras(reset);
    activeIndex = 0;
    rebuildSky = 1;
    systemReload = 1;
    frameChanged = 1;
    lockChanged = 0;
    setMode(cameras[0].mode);
    return 1;
}

void cameraStop() {}

void forceMode(int32_t m) {
    editActive().mode = m;
    settingsChanged(1);
}

namespace {

struct SettingField {
    double CameraRecord::*field;
    int rebuild;  // the lists hold what the setting changes
};

constexpr SettingField kSettings[] = {
    {&CameraRecord::zoom, 1},           {&CameraRecord::speed, 0},
    {&CameraRecord::sspeed, 0},         {&CameraRecord::zclip, 1},
    {&CameraRecord::tree, 1},           {&CameraRecord::vradius, 1},
    {&CameraRecord::starMagLimit, 1},   {&CameraRecord::deepSkyMagLimit, 1},
    {&CameraRecord::labelMagLimit, 1},  {&CameraRecord::timeStep, 0},
};
static_assert(std::size(kSettings) == static_cast<size_t>(Setting::kTimeStep) + 1);

// The sky's own switches: what the lists hold depends on them.
constexpr uint32_t kRebuildFlags = kFlagStars | kFlagLabels | kFlagDeepSky | kFlagDeepSkyTexture |
                                   kFlagGalaxy | kFlagGalaxyTexture;

}  // namespace

void set(Setting setting, double value) {
    const SettingField& s = kSettings[static_cast<size_t>(setting)];
    // Local space needs a radius of at least one light year, as the keys keep it.
    if (setting == Setting::kViewRadius && !(value >= 1.0)) value = 1.0;
    editActive().*s.field = value;
    settingsChanged(s.rebuild);
}

void zoomBy(double zoomStep, double zclipStep) {
    CameraRecord& c = editActive();
    if (c.zoom + zoomStep < kMinZoom) return;
    c.zoom += zoomStep;
    c.zclip = c.zclip + zclipStep < 0.0 ? 0.0 : c.zclip + zclipStep;
    settingsChanged(0);
}

void changeSpeed(double delta) {
    CameraRecord& c = editActive();
    const double speed = c.speed + delta;
    if (speed > 0.0) c.speed = speed;
    rebuildSky = 1;
}

void setFlag(uint32_t bit, bool on) {
    setFlagQuietly(bit, on);
    settingsChanged((bit & kRebuildFlags) ? 1 : 0);
}

void toggleFlag(uint32_t bit) { setFlag(bit, (editActive().flags & bit) == 0); }

void setFlagQuietly(uint32_t bit, bool on) {
    CameraRecord& c = editActive();
    if (on) c.flags |= bit;
    else c.flags &= ~bit;
}

void setDeepSkyTypes(uint32_t types) {
    editActive().deepSkyTypes = types;
    settingsChanged(1);
}

void markLockChanged() { lockChanged = 1; }
void requestRebuild() { rebuildSky = 1; }

int takeRebuild() {
    const int pending = rebuildSky;
    rebuildSky = 0;
    return pending;
}

int takeSystemReload() {
    const int pending = systemReload;
    systemReload = 0;
    return pending;
}

void setHover(int32_t object) { editActive().hover = object; }

int takeLockHighlight() {
    int32_t& blink = editActive().lockBlink;
    if (blink > 0) return 4 * blink--;
    return 4;
}

// The clock steps by any amount the console gives it: a time past the largest double would stop
// every orbit for good and be stored with the camera, so it is not taken.
void setSystemTime(double time) {
    if (std::isfinite(time)) editActive().systemTime = time;
}

}  // namespace camera

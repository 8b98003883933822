// The saved cameras: each camera's 456-byte record as the binary value "camera<n>" under
// "<root>\cameras" in the configuration store.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/zode.h"
#include "navigation/camera_edit.h"
#include "platform/store.h"

namespace camera {

namespace {

std::string camerasKey() { return std::string(app::registryRoot) + "\\cameras"; }

std::string valueName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "camera%d", n);
    return name;
}

bool writeRecord(int n) {
    const std::string key = camerasKey();
    store::createKey(store::HKEY_LOCAL_MACHINE, key);
    return store::writeValue(store::HKEY_LOCAL_MACHINE, key, valueName(n), store::REG_BINARY,
                             editCamera(n), sizeof(CameraRecord));
}

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Whether a record read from the store can be flown: every real finite and the orientation a
// rotation. The store is a text file that a person or a damaged disk may change; one value that
// is not a number would be drawn, turned and written back on every run from then on.
bool soundRecord(const CameraRecord& c) {
    const double reals[] = {c.speed,      c.starMagLimit, c.tree,   c.zoom,       c.zclip,
                            c.deepSkyMagLimit, c.vradius, c.localRadius2, c.sspeed, c.systemTime,
                            c.timeStep,   c.labelMagLimit};
    for (double v : reals)
        if (!std::isfinite(v)) return false;
    if (!finite(c.IPos) || !finite(c.travelDir) || !finite(c.localMin) || !finite(c.localMax) || !finite(c.SPos) ||
        !finite(c.centralOffset) || !finite(c.systemTravelDir))
        return false;
    // Rows of unit length at right angles; the motion keeps them so to rounding, a stored record
    // written to fewer digits within far less than this.
    constexpr double kTolerance = 1e-3;
    for (int a = 0; a < 3; ++a) {
        for (int b = a; b < 3; ++b) {
            const double dot = c.Cam.m[a][0] * c.Cam.m[b][0] + c.Cam.m[a][1] * c.Cam.m[b][1] + c.Cam.m[a][2] * c.Cam.m[b][2];
            if (!(std::fabs(dot - (a == b ? 1.0 : 0.0)) <= kTolerance)) return false;
        }
    }
    return true;
}

// Reads "camera<n>" over camera n. A value of at most 456 bytes is accepted and fills the start
// of the record (an older, shorter record keeps the rest of what the camera held); a longer
// value, another type, a missing one or one that makes no sound record is refused and the camera
// is left untouched.
bool readRecord(int n) {
    const std::string key = camerasKey();
    store::createKey(store::HKEY_LOCAL_MACHINE, key);
    store::ValueType type = store::REG_NONE;
    std::vector<uint8_t> data;
    if (!store::readValue(store::HKEY_LOCAL_MACHINE, key, valueName(n), type, data)) return false;
    if (type != store::REG_BINARY || data.size() > sizeof(CameraRecord)) return false;
    CameraRecord read = *editCamera(n);
    if (!data.empty()) std::memcpy(static_cast<void*>(&read), data.data(), data.size());
    if (!soundRecord(read)) return false;
    *editCamera(n) = read;
    return true;
}

void resetToDefault(int n) {
    *editCamera(n) = defaultRecord();
    writeRecord(n);  // failures to write are not reported: the default stays in memory
}

}  // namespace

void loadAllCameras(int reset) {
    for (int n = 0; n < kCameras; ++n) {
        if (reset || !readRecord(n)) resetToDefault(n);
        zode::broadcast(zode::kEventCameraChanged);
        rebuildSky = 1;
    }
}

int saveCamera(int n) {
    if (!cameraAt(n)) return 0;
    const bool written = writeRecord(n);
    zode::broadcast(zode::kEventCameraChanged);
    rebuildSky = 1;
    return written ? 1 : 0;
}

int loadCamera(int n) {
    if (!cameraAt(n)) return 0;
    const bool read = readRecord(n);
    if (!read) resetToDefault(n);
    zode::broadcast(zode::kEventCameraChanged);
    rebuildSky = 1;
    return read ? 1 : 0;
}

}  // namespace camera

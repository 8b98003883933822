// The saved cameras: each camera's 456-byte record as the binary value "camera<n>" under
// "<root>\cameras" in the configuration store.
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

// Reads "camera<n>" over camera n. A value of at most 456 bytes is accepted and fills the start
// of the record (an older, shorter record keeps the rest of what the camera held); a longer
// value, another type or a missing one is refused and the camera is left untouched.
bool readRecord(int n) {
    const std::string key = camerasKey();
    store::createKey(store::HKEY_LOCAL_MACHINE, key);
    store::ValueType type = store::REG_NONE;
    std::vector<uint8_t> data;
    if (!store::readValue(store::HKEY_LOCAL_MACHINE, key, valueName(n), type, data)) return false;
    if (type != store::REG_BINARY || data.size() > sizeof(CameraRecord)) return false;
    if (!data.empty()) std::memcpy(static_cast<void*>(editCamera(n)), data.data(), data.size());
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

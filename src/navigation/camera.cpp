// The camera table, the default camera and the camera's system-wide flags.
#include "navigation/camera.h"

namespace camera {

namespace {

constexpr double kKmPerLy = 9460704000000.0;

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
    r.system = 63740;  // the Sun
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
    r.lock = 63740;
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

}  // namespace

int rebuildSky = 1;
int lockChanged = 0;
int systemReload = 1;
int frameChanged = 1;

const CameraRecord& defaultRecord() { return kDefault; }

CameraRecord* activeCamera() { return &cameras[activeIndex]; }
int activeCameraIndex() { return activeIndex; }
CameraRecord* cameraAt(int n) { return n >= 0 && n < kCameras ? &cameras[n] : nullptr; }

}  // namespace camera

// The eight cameras: where the viewer is, where it looks, how it moves and what the sky shows.
//
// Contract. One table of eight CameraRecords lives for the whole run; exactly one is active and
// every operation below works on it. The record is also the stored format of the saved cameras
// (456 bytes, little-endian, laid out exactly as below), so its layout never changes. Other
// layers read the active record's fields in place through activeCamera().
//
// A camera lives in two frames: IPos in light years between the stars and SPos in kilometres
// inside the entered star system; `mode` picks the frame (0 interstellar, 1 local space, 2 star
// system). Object arguments are object identifiers as int32 (−1 none). Three system-wide flags
// go with the camera: rebuildSky (the sky lists must be rebuilt before the next draw),
// lockChanged (a running journey is re-aimed) and systemReload (the system of `system` must be
// entered again); frameChanged tells readers of per-frame texts that something moved.
//
// This module owns the record: every change goes through an operation here, which raises the
// camera events 512 to 519 on the event bus and the rebuild the change needs. Keys, console
// words, the toolbar and the panels all call the same operations. cameraFrame() is the camera's
// part of each frame (motion and journeys); drawing the scene is the renderer's.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "base/vecmath.h"

static_assert(std::endian::native == std::endian::little, "saved cameras are little-endian");
static_assert(sizeof(Vector3) == 24 && std::is_standard_layout_v<Vector3> &&
                  std::is_trivially_copyable_v<Vector3>,
              "Vector3 is stored inline in the camera record");
static_assert(sizeof(Matrix4) == 128 && std::is_standard_layout_v<Matrix4> &&
                  std::is_trivially_copyable_v<Matrix4>,
              "Matrix4 is stored inline in the camera record");

namespace camera {

constexpr int kCameras = 8;
constexpr int32_t kNone = -1;

// Display switches in CameraRecord::flags.
constexpr uint32_t kFlagStars = 0x001;          // draw stars
constexpr uint32_t kFlagLabels = 0x002;         // star labels and names
constexpr uint32_t kFlagDeepSky = 0x004;        // deep-sky objects
constexpr uint32_t kFlagDeepSkyTexture = 0x008; // nebulae as 3D clouds, objects as bitmaps
constexpr uint32_t kFlagGalaxy = 0x020;         // the galaxy
constexpr uint32_t kFlagGalaxyTexture = 0x040;  // galaxy drawn textured
constexpr uint32_t kFlagFlare = 0x080;          // local star flare in the star-system view
constexpr uint32_t kFlagOrbits = 0x100;         // orbital paths in the star-system view
constexpr uint32_t kFlagBodyTexture = 0x200;    // textured bodies
constexpr uint32_t kDefaultFlags = 0x269;

// Deep-sky type filter bits in CameraRecord::deepSkyTypes.
constexpr uint32_t kTypeOpenCluster = 0x1;      // type 0
constexpr uint32_t kTypeGlobularCluster = 0x2;  // type 2
constexpr uint32_t kTypePulsar = 0x4;           // type 1
constexpr uint32_t kTypeNebula = 0x8;           // type 4
constexpr uint32_t kAllDeepSkyTypes = 0xFFFF;

// View modes.
constexpr int32_t kModeInterstellar = 0;
constexpr int32_t kModeLocalSpace = 1;
constexpr int32_t kModeSystem = 2;

struct CameraRecord {
    Vector3 IPos;               // interstellar position, light years
    Vector3 travelDir;          // unit direction of an interstellar journey
    double speed;               // interstellar step, light years per frame
    double starMagLimit;        // faintest apparent magnitude of stars drawn
    double tree;                // slope of the magnitude cut in the star-tree walk
    double zoom;                // projection scale factor
    double zclip;               // near limit, km on the sky-sphere scale
    int32_t travelling;         // 1 while a journey runs
    int32_t travelSteps;        // frames left in the journey
    uint32_t deepSkyTypes;      // kType* filter bits
    uint8_t reserved100[4];     // written as 0
    double deepSkyMagLimit;     // faintest apparent magnitude of deep-sky objects drawn
    double vradius;             // local-space radius, light years, never below 1
    double localRadius2;        // vradius² at the last local-space build, ly²
    Vector3 localMin;           // IPos − vradius per axis at the last local-space build, ly
    Vector3 localMax;           // IPos + vradius per axis at the last local-space build, ly
    double reserved176;         // not read; 1.0 in the default record
    int32_t system;             // object whose star system is loaded
    uint8_t reserved188[4];
    Vector3 SPos;               // position in the star system, km
    Vector3 centralOffset;      // SPos − position of `central` when it was chosen, km
    Matrix4 Cam;                // orientation: row 0 screen-right, 1 screen-down, 2 viewing
    Vector3 systemTravelDir;    // unit direction of a star-system journey
    double sspeed;              // star-system step, km per frame
    double systemTime;          // time of the star-system clock
    double timeStep;            // step of the location panel's time buttons
    int32_t hover;              // object under the pointer this frame, −1 none
    int32_t lock;               // target of journeys and of star-system entry, −1 none
    int32_t vLock;              // object the view turns to every frame, −1 none
    int32_t central;            // star-system body the camera rides with, −1 none
    int32_t mode;               // kMode*
    uint32_t flags;             // kFlag* display switches
    int32_t lockBlink;          // frames left of the lock highlight animation
    uint8_t reserved444[4];
    double labelMagLimit;       // faintest apparent magnitude of stars that get a name label
};

static_assert(sizeof(CameraRecord) == 456, "the saved camera is 456 bytes");
static_assert(std::is_standard_layout_v<CameraRecord> && std::is_trivially_copyable_v<CameraRecord>);
static_assert(offsetof(CameraRecord, IPos) == 0);
static_assert(offsetof(CameraRecord, travelDir) == 24);
static_assert(offsetof(CameraRecord, speed) == 48);
static_assert(offsetof(CameraRecord, starMagLimit) == 56);
static_assert(offsetof(CameraRecord, tree) == 64);
static_assert(offsetof(CameraRecord, zoom) == 72);
static_assert(offsetof(CameraRecord, zclip) == 80);
static_assert(offsetof(CameraRecord, travelling) == 88);
static_assert(offsetof(CameraRecord, travelSteps) == 92);
static_assert(offsetof(CameraRecord, deepSkyTypes) == 96);
static_assert(offsetof(CameraRecord, reserved100) == 100);
static_assert(offsetof(CameraRecord, deepSkyMagLimit) == 104);
static_assert(offsetof(CameraRecord, vradius) == 112);
static_assert(offsetof(CameraRecord, localRadius2) == 120);
static_assert(offsetof(CameraRecord, localMin) == 128);
static_assert(offsetof(CameraRecord, localMax) == 152);
static_assert(offsetof(CameraRecord, reserved176) == 176);
static_assert(offsetof(CameraRecord, system) == 184);
static_assert(offsetof(CameraRecord, reserved188) == 188);
static_assert(offsetof(CameraRecord, SPos) == 192);
static_assert(offsetof(CameraRecord, centralOffset) == 216);
static_assert(offsetof(CameraRecord, Cam) == 240);
static_assert(offsetof(CameraRecord, systemTravelDir) == 368);
static_assert(offsetof(CameraRecord, sspeed) == 392);
static_assert(offsetof(CameraRecord, systemTime) == 400);
static_assert(offsetof(CameraRecord, timeStep) == 408);
static_assert(offsetof(CameraRecord, hover) == 416);
static_assert(offsetof(CameraRecord, lock) == 420);
static_assert(offsetof(CameraRecord, vLock) == 424);
static_assert(offsetof(CameraRecord, central) == 428);
static_assert(offsetof(CameraRecord, mode) == 432);
static_assert(offsetof(CameraRecord, flags) == 436);
static_assert(offsetof(CameraRecord, lockBlink) == 440);
static_assert(offsetof(CameraRecord, reserved444) == 444);
static_assert(offsetof(CameraRecord, labelMagLimit) == 448);

// The default camera: at the Sun, locked on it, in its star system about 1 AU out.
const CameraRecord& defaultRecord();

// The camera table, read-only: every layer reads the active record's fields by name, and
// changes them only through the operations below. activeCamera() is never null; cameraAt(n) is
// null outside 0..7. (Tests, tools and benchmarks that set up a record directly use
// navigation/camera_edit.h.)
const CameraRecord* activeCamera();
int activeCameraIndex();
const CameraRecord* cameraAt(int n);

// System-wide flags (0/1). Anyone reads them; only the operations below write them.
extern int rebuildSky;    // the scene's lists must be rebuilt before the next draw
extern int lockChanged;   // the lock changed: a running journey is re-aimed
extern int systemReload;  // the system of `system` must be entered again
extern int frameChanged;  // something moved or changed this frame (per-frame texts)

// Start-up: default record, the eight cameras from the store (all reset to the default when
// `reset`), camera 0 active, flags, then setMode with camera 0's mode. Returns 1.
int cameraStart(int reset);
void cameraStop();

// The camera's part of each frame, before the scene is drawn: the frame-changed flag, a journey
// re-aimed at a changed lock and its step, the view lock turning the view, and no object under
// the pointer until the scene's picking finds one.
void cameraFrame();

// ---- Operations on the active camera ----------------------------------------------------------

int selectCamera(int n);            // 1, or 0 (nothing done) when n is outside 0..7
int setMode(int m);                 // 1 when applied, 0 refused (no effect, no event)
// Sets the mode as given, without setMode's checks (the console's "camera mode" word); settings
// changed with a rebuild.
void forceMode(int32_t m);
void move(double forward, double up, double right);
void rotate(double a, double b, double c);  // pitch, yaw, roll in radians
void adjustRadius(double d);
void setIPos(double x, double y, double z);
void setSPos(double x, double y, double z);
void lookAt(int32_t object);
void startJourney(int32_t object);
void stopJourney();
void setCentral(int32_t object);
void lockObject(int32_t object);
void setViewLock(int32_t object);
// Raises 517 and sets rebuildSky to `rebuild` (assignment: 0 clears a pending rebuild).
void settingsChanged(int rebuild);

// The real-valued settings of the record. set() stores the value and reports the change (event
// 517) with the rebuild the setting needs: the zoom, the near limit, the tree slope, the local
// radius (kept at 1 ly or more) and the magnitude limits change what the lists hold; the speeds
// and the time step do not.
enum class Setting { kZoom, kSpeed, kSystemSpeed, kZclip, kTree, kViewRadius, kStarMagLimit,
                     kDeepSkyMagLimit, kLabelMagLimit, kTimeStep };
void set(Setting setting, double value);
// Home and Insert: zoom and near limit together, never below kMinZoom and 0; settings changed
// without a rebuild. A step that would take the zoom below kMinZoom is not taken.
constexpr double kMinZoom = 0.1;
void zoomBy(double zoomStep, double zclipStep);
// The wheel with the middle button held: the interstellar step changes by `delta` and the sky is
// rebuilt; a change that would take the step to 0 or below is not made.
void changeSpeed(double delta);

// Display switches (kFlag*). The sky's switches (stars, labels, deep sky and galaxy, with their
// textures) rebuild the lists; the star-system switches (flare, orbits, body textures) do not.
void setFlag(uint32_t bit, bool on);  // settings changed
void toggleFlag(uint32_t bit);        // settings changed
// The star-system switches as the console's "ssys" words set them: the bit and nothing else.
void setFlagQuietly(uint32_t bit, bool on);
void setDeepSkyTypes(uint32_t types);  // settings changed with a rebuild

// A running journey is re-aimed at the lock in the next frame (the console's "vlock").
void markLockChanged();
// Asks for the scene's lists to be rebuilt in the next frame (whoever changed what they show).
void requestRebuild();

// For the scene: takes the pending rebuild (1) or 0, and the pending system reload likewise.
int takeRebuild();
int takeSystemReload();
// The object under the pointer this frame, found by the scene's picking (−1 none).
void setHover(int32_t object);
// Half-size in pixels of the lock highlight for this frame; runs its shrinking animation down
// by one frame (lockBlink): 4 × lockBlink while it runs, then 4.
int takeLockHighlight();
// Sets the star-system clock (systemTime) of the active camera; the star-system layer keeps it.
void setSystemTime(double time);

// Saved cameras: "camera0" to "camera7" (REG_BINARY, 456 bytes) under "<root>\cameras".
void loadAllCameras(int reset);
int saveCamera(int n);   // 1 written, 0 n out of range or the store failed
int loadCamera(int n);   // 1 read, 0 n out of range or the default had to replace it

}  // namespace camera

using camera::CameraRecord;

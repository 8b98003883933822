// The service table handed to plug-ins: C entry points over the program's own operations, with
// the checks that the C records of the public header are laid out as the program's records.
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "base/app.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "console/console.h"
#include "extensions/markers.h"
#include "extensions/plugins_internal.h"
#include "navigation/camera.h"
#include "render/render.h"
#include "systems/systems.h"
#include "video/draw.h"
#include "video/video.h"
#include "zwindows/panels.h"
#include "zwindows/zwindows.h"

namespace extensions::detail {
namespace {

// ---- The public records are the program's records ---------------------------------------------

#define SAME_FIELD(C, Cpp, field) \
    static_assert(offsetof(C, field) == offsetof(Cpp, field), #C "." #field " lies as in the program")

static_assert(sizeof(VyrexVector3) == sizeof(Vector3) && sizeof(VyrexMatrix4) == sizeof(Matrix4));

static_assert(sizeof(VyrexMessage) == sizeof(zode::Message));
SAME_FIELD(VyrexMessage, zode::Message, object);
SAME_FIELD(VyrexMessage, zode::Message, data);
SAME_FIELD(VyrexMessage, zode::Message, code);
SAME_FIELD(VyrexMessage, zode::Message, reserved);
SAME_FIELD(VyrexMessage, zode::Message, a1);
SAME_FIELD(VyrexMessage, zode::Message, a4);

static_assert(sizeof(VyrexRequest) == sizeof(zode::Request));
SAME_FIELD(VyrexRequest, zode::Request, dataSize);
SAME_FIELD(VyrexRequest, zode::Request, callbackOrName);
SAME_FIELD(VyrexRequest, zode::Request, flags);
SAME_FIELD(VyrexRequest, zode::Request, module);
static_assert(VYREX_DIRECT == zode::kDirect);

static_assert(sizeof(VyrexCamera) == sizeof(CameraRecord) && sizeof(VyrexCamera) == 456);
SAME_FIELD(VyrexCamera, CameraRecord, IPos);
SAME_FIELD(VyrexCamera, CameraRecord, speed);
SAME_FIELD(VyrexCamera, CameraRecord, travelling);
SAME_FIELD(VyrexCamera, CameraRecord, travelSteps);
SAME_FIELD(VyrexCamera, CameraRecord, deepSkyMagLimit);
SAME_FIELD(VyrexCamera, CameraRecord, system);
SAME_FIELD(VyrexCamera, CameraRecord, SPos);
SAME_FIELD(VyrexCamera, CameraRecord, Cam);
SAME_FIELD(VyrexCamera, CameraRecord, systemTime);
SAME_FIELD(VyrexCamera, CameraRecord, hover);
SAME_FIELD(VyrexCamera, CameraRecord, lock);
SAME_FIELD(VyrexCamera, CameraRecord, mode);
SAME_FIELD(VyrexCamera, CameraRecord, flags);
SAME_FIELD(VyrexCamera, CameraRecord, labelMagLimit);

static_assert(sizeof(VyrexStarInfo) == sizeof(catalog::StarInfo));
SAME_FIELD(VyrexStarInfo, catalog::StarInfo, designation);
SAME_FIELD(VyrexStarInfo, catalog::StarInfo, position);
SAME_FIELD(VyrexStarInfo, catalog::StarInfo, spectral);
SAME_FIELD(VyrexStarInfo, catalog::StarInfo, hasExtra);
SAME_FIELD(VyrexStarInfo, catalog::StarInfo, distance);
SAME_FIELD(VyrexStarInfo, catalog::StarInfo, lifeTime);

static_assert(sizeof(VyrexComponentInfo) == sizeof(catalog::ComponentInfo));
SAME_FIELD(VyrexComponentInfo, catalog::ComponentInfo, letter2);
SAME_FIELD(VyrexComponentInfo, catalog::ComponentInfo, magnitude);
SAME_FIELD(VyrexComponentInfo, catalog::ComponentInfo, ccdm);
SAME_FIELD(VyrexComponentInfo, catalog::ComponentInfo, angle);

static_assert(sizeof(VyrexDeepSkyInfo) == sizeof(catalog::DeepSkyInfo));
SAME_FIELD(VyrexDeepSkyInfo, catalog::DeepSkyInfo, name);
SAME_FIELD(VyrexDeepSkyInfo, catalog::DeepSkyInfo, appMag);
SAME_FIELD(VyrexDeepSkyInfo, catalog::DeepSkyInfo, trumpler);

static_assert(sizeof(VyrexRect) == sizeof(zwindows::Rect));
static_assert(VYREX_NAME_SIZE == catalog::kNameSize && VYREX_CCDM_SIZE == catalog::kCcdmSize &&
              VYREX_TRUMPLER_SIZE == catalog::kTrumplerSize);
static_assert(VYREX_MSG_COMMAND == console::kCommandMessage && VYREX_WM_PAINT == zwindows::kPaint &&
              VYREX_WM_LEFT_CLICK == zwindows::kLeftClick && VYREX_NODE_TITLE_BAR == zwindows::kTitleBar);
static_assert(VYREX_EVENT_FRAME == zode::kEventFrame && VYREX_EVENT_SELECT == zode::kEventSelect);

// The slots in their fixed order: 8 words, then 68 services.
static_assert(offsetof(VyrexServices, registerObject) == 8 * sizeof(void*));
static_assert(offsetof(VyrexServices, objectKind) == 16 * sizeof(void*));
static_assert(offsetof(VyrexServices, reloadSystems) == 28 * sizeof(void*));
static_assert(offsetof(VyrexServices, activeCamera) == 44 * sizeof(void*));
static_assert(offsetof(VyrexServices, consoleAddCommand) == 45 * sizeof(void*));
static_assert(offsetof(VyrexServices, announceWindow) == 52 * sizeof(void*));
static_assert(offsetof(VyrexServices, setColour) == 68 * sizeof(void*));
static_assert(offsetof(VyrexServices, programFolder) == 75 * sizeof(void*));
static_assert(sizeof(VyrexServices) == 76 * sizeof(void*), "76 pointer-sized slots");

#undef SAME_FIELD

const Vector3& vec(const VyrexVector3* v) { return *reinterpret_cast<const Vector3*>(v); }

// ---- Objects and events -----------------------------------------------------------------------

int32_t registerObject(const VyrexRequest* request) {
    if (!request) return 0;
    const int object = zode::registerObject(reinterpret_cast<const zode::Request*>(request));
    if (object > 0 && !noteRegistration(Registration::kObject, object)) {
        zode::unregisterObject(object);
        return 0;
    }
    return object;
}
void unregisterObject(int32_t object) {
    zode::unregisterObject(object);
    dropRegistration(Registration::kObject, object);
}
int32_t createEventType(uint32_t code) { return zode::createEventType(code); }
int32_t subscribe(uint32_t code, int32_t object) { return zode::subscribe(code, object); }
int32_t send(int32_t object, uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4) {
    return zode::send(object, code, a1, a2, a3, a4);
}
int32_t sendRecord(int32_t object, VyrexMessage* record) {
    return record ? zode::sendRecord(object, reinterpret_cast<zode::Message*>(record)) : 0;
}
void broadcast(uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4) {
    zode::broadcast(code, a1, a2, a3, a4);
}
void broadcastRecord(VyrexMessage* record) {
    if (record) zode::broadcastRecord(reinterpret_cast<zode::Message*>(record));
}

// ---- Catalogues ---------------------------------------------------------------------------------

int32_t objectKind(VyrexObjectId id) { return catalog::objectKind(id); }
int32_t starInfo(uint32_t index, const VyrexVector3* observer, VyrexStarInfo* out) {
    if (!observer || !out) return 0;
    return catalog::starInfo(index, vec(observer), *reinterpret_cast<catalog::StarInfo*>(out));
}
int32_t deepSkyInfo(VyrexObjectId id, const VyrexVector3* observer, VyrexDeepSkyInfo* out) {
    if (!observer || !out) return 0;
    return catalog::deepSkyInfo(id, vec(observer), *reinterpret_cast<catalog::DeepSkyInfo*>(out));
}
int32_t firstComponent(uint32_t star, VyrexComponentInfo* out) {
    return out ? catalog::firstComponent(star, *reinterpret_cast<catalog::ComponentInfo*>(out)) : 0;
}
int32_t nextComponent(VyrexComponentInfo* info) {
    return info ? catalog::nextComponent(*reinterpret_cast<catalog::ComponentInfo*>(info)) : 0;
}
int32_t treePath(const VyrexVector3* point, char* out, size_t capacity) {
    if (!point || !out || capacity == 0) return 0;
    return catalog::treePath(vec(point), out, capacity);
}
int32_t cameraTreePath(char* out, size_t capacity) {
    if (!out || capacity == 0) return 0;
    return catalog::treePath(camera::activeCamera()->IPos, out, capacity);
}
int32_t noteText(VyrexObjectId id, char* out, size_t capacity) {
    return out && capacity ? catalog::noteText(id, out, capacity) : 0;
}
int32_t objectPosition(VyrexObjectId id, VyrexVector3* out) {
    return out ? catalog::objectPosition(id, *reinterpret_cast<Vector3*>(out)) : 0;
}
void starName(uint32_t index, char out[VYREX_NAME_SIZE]) {
    if (out) catalog::starName(index, out);
}
void deepSkyName(VyrexObjectId id, char out[VYREX_NAME_SIZE]) {
    if (out) catalog::deepSkyName(id, out);
}
VyrexObjectId findByName(const char* name) { return name ? catalog::findByName(name) : catalog::kNoObject; }
void reloadSystems() { systems::reloadSystems(); }

// ---- The camera ----------------------------------------------------------------------------------

int32_t setMode(int32_t mode) { return camera::setMode(mode); }
int32_t selectCamera(int32_t n) { return camera::selectCamera(n); }
int32_t saveCamera(int32_t n) { return camera::saveCamera(n); }
int32_t loadCamera(int32_t n) { return camera::loadCamera(n); }
void settingsChanged(int32_t rebuild) { camera::settingsChanged(rebuild); }
void setIPos(double x, double y, double z) { camera::setIPos(x, y, z); }
void setSPos(double x, double y, double z) { camera::setSPos(x, y, z); }
void move(double forward, double up, double right) { camera::move(forward, up, right); }
void rotate(double a, double b, double c) { camera::rotate(a, b, c); }
void adjustRadius(double d) { camera::adjustRadius(d); }
void lookAt(int32_t object) { camera::lookAt(object); }

// The arrival rule of a journey, at once: a star or deep-sky object puts the camera on it; a body
// or component of the entered system puts it six radii short of it along the star-system travel
// direction, as a journey in the system arrives.
void jumpTo(int32_t object) {
    const auto id = static_cast<catalog::ObjectId>(object);
    Vector3 target;
    if (object == camera::kNone || !catalog::objectPosition(id, target)) return;
    const int kind = catalog::objectKind(id);
    if (kind == 2 || kind == 3) {
        const CameraRecord& c = *camera::activeCamera();
        const Vector3 d = c.systemTravelDir;
        const double r = 6.0 * catalog::objectRadius(id);
        camera::setSPos(target.x - d.x * r, target.y - d.y * r, target.z - d.z * r);
    } else {
        camera::setIPos(target.x, target.y, target.z);
    }
}
void startJourney(int32_t object) { camera::startJourney(object); }
void setCentral(int32_t object) { camera::setCentral(object); }
int32_t skyListObject(int32_t index) { return render::skyListObject(index); }
const VyrexCamera* activeCamera() { return reinterpret_cast<const VyrexCamera*>(camera::activeCamera()); }

// ---- The console ---------------------------------------------------------------------------------

int32_t consoleAddCommand(int32_t object, const char* name) {
    if (!name || !name[0]) return -1;
    const int index = console::consoleAddCommand(object, name);
    if (index >= 0 && !noteRegistration(Registration::kCommand, index)) {
        console::consoleRemoveCommand(index);
        return -1;
    }
    return index;
}
void consolePrint(const char* format, ...) {
    if (!format) return;
    char text[console::kPrintMax + 1];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    console::consolePrint("%s", text);
}
void consoleExecute(const char* line) {
    if (line) console::consoleExecute(line);
}

// ---- Markers -------------------------------------------------------------------------------------

void markerClear() { markers::markerClear(); }
int32_t markerList(char* out, size_t capacity) { return out && capacity ? markers::markerList(out, capacity) : 0; }
int32_t markerLoad(const char* name) { return name ? markers::markerLoad(name) : -1; }
int32_t markerAdd(const char* definition) { return definition ? markers::markerAdd(definition) : 0; }

// ---- Windows -------------------------------------------------------------------------------------

int32_t announceWindow(VyrexNode window, const char* name) {
    if (!zwindows::announceWindow(window, name)) return 0;
    if (!noteRegistration(Registration::kAnnouncement, window)) {
        zwindows::withdrawWindow(window);
        return 0;
    }
    return 1;
}
int32_t registerClass(const char* name, const VyrexRequest* request) {
    if (!request) return 0;
    const int index = zwindows::registerClass(name, *reinterpret_cast<const zode::Request*>(request));
    if (index > 0 && !noteRegistration(Registration::kWindowClass, index)) {
        zwindows::unregisterClass(index);
        return 0;
    }
    return index;
}
int32_t registerSharedClass(const char* name, int32_t object) {
    const int index = zwindows::registerSharedClass(name, object);
    if (index > 0 && !noteRegistration(Registration::kWindowClass, index)) {
        zwindows::unregisterClass(index);
        return 0;
    }
    return index;
}
VyrexNode createNode(VyrexNode parent, const char* className, const char* caption, int32_t x, int32_t y,
                     int32_t width, int32_t height, uint32_t flags) {
    const zwindows::Node node = zwindows::createNode(parent, className, caption, x, y, width, height, flags);
    if (node != zwindows::kNoNode && !noteRegistration(Registration::kNode, node)) {
        zwindows::destroyNode(node);
        return zwindows::kNoNode;
    }
    return node;
}
void activateNode(VyrexNode node) { zwindows::activateNode(node); }
VyrexNode activeNode() { return zwindows::activeNode(); }
VyrexNode nodeParent(VyrexNode node) { return zwindows::nodeParent(node); }
// Node 0 is the root here, as it is the parent of createNode: it covers the frame, which is how a
// plug-in learns the frame's size.
int32_t clientRect(VyrexNode node, VyrexRect* out) {
    if (node == zwindows::kNoNode) node = zwindows::rootNode();
    if (!out || !zwindows::nodeExists(node)) return 0;
    const zwindows::Rect r = zwindows::clientRect(node);
    *out = VyrexRect{r.x, r.y, r.width, r.height};
    return 1;
}
const char* nodeCaption(VyrexNode node) { return zwindows::nodeCaption(node); }
void setCaption(VyrexNode node, const char* caption) { zwindows::setCaption(node, caption ? caption : ""); }
int32_t nodeHandler(VyrexNode node) { return zwindows::nodeHandler(node); }
void setFlags(VyrexNode node, uint32_t flags) { zwindows::setFlags(node, flags); }
uint32_t nodeFlags(VyrexNode node) { return zwindows::nodeFlags(node); }
void moveNode(VyrexNode node, int32_t x, int32_t y) { zwindows::moveNode(node, x, y); }
void showNode(VyrexNode node) { zwindows::showNode(node); }
void closeNode(VyrexNode node) { zwindows::closeNode(node); }

// ---- Drawing on the frame -------------------------------------------------------------------------

// The plug-ins' own current colour: the program's drawing changes the surface's between their
// calls, so it is put on the surface for every primitive.
uint32_t currentColour = 0;

draw::Surface* frame() {
    draw::Surface* s = video::state.drawing;
    if (s) draw::setColour(*s, currentColour);
    return s;
}

uint32_t setColour(int32_t red, int32_t green, int32_t blue) {
    currentColour = draw::packColour(video::state.format, red, green, blue);
    return currentColour;
}
void pixel(int32_t x, int32_t y) {
    if (draw::Surface* s = frame()) draw::pixel(*s, x, y);
}
void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (draw::Surface* s = frame()) draw::line(*s, x1, y1, x2, y2);
}
void ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    if (draw::Surface* s = frame()) draw::ellipse(*s, cx, cy, rx, ry);
}
void fillEllipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    if (draw::Surface* s = frame()) draw::fillEllipse(*s, cx, cy, rx, ry);
}
void text(int32_t x, int32_t y, const char* text) {
    draw::Surface* s = frame();
    if (s && text) zwindows::drawText(*s, x, y, text, console::kPrintMax, currentColour);
}
// The bitmap's 0x00RRGGBB pixels, packed into the frame's format and clipped to it.
void drawBitmap(const VyrexBitmap* b, int32_t x, int32_t y) {
    draw::Surface* s = frame();
    if (!s || !b || !b->pixels || b->width <= 0 || b->height <= 0 || b->width > draw::kMaxSide ||
        b->height > draw::kMaxSide)
        return;
    for (int row = 0; row < b->height; ++row) {
        const int py = y + row;
        if (py < 0 || py >= s->height) continue;
        const uint32_t* source = b->pixels + static_cast<size_t>(row) * b->width;
        for (int column = 0; column < b->width; ++column) {
            const int px = x + column;
            if (px < 0 || px >= s->width) continue;
            const uint32_t v = source[column];
            draw::putPixel(*s, px, py, draw::packColour(s->format, int(v >> 16), int(v >> 8), int(v)));
        }
    }
}

const char* programFolder() { return app::programFolder; }

VyrexServices table{};

}  // namespace

const VyrexServices& services() { return table; }

void fillServices() {
    table = VyrexServices{};
    table.size = sizeof table;
    table.constant1 = VYREX_CONSTANT_1;
    table.constant2 = VYREX_CONSTANT_2;
    table.registerObject = registerObject;
    table.unregisterObject = unregisterObject;
    table.createEventType = createEventType;
    table.subscribe = subscribe;
    table.send = send;
    table.sendRecord = sendRecord;
    table.broadcast = broadcast;
    table.broadcastRecord = broadcastRecord;
    table.objectKind = objectKind;
    table.starInfo = starInfo;
    table.deepSkyInfo = deepSkyInfo;
    table.firstComponent = firstComponent;
    table.nextComponent = nextComponent;
    table.treePath = treePath;
    table.cameraTreePath = cameraTreePath;
    table.noteText = noteText;
    table.objectPosition = objectPosition;
    table.starName = starName;
    table.deepSkyName = deepSkyName;
    table.findByName = findByName;
    table.reloadSystems = reloadSystems;
    table.setMode = setMode;
    table.selectCamera = selectCamera;
    table.saveCamera = saveCamera;
    table.loadCamera = loadCamera;
    table.settingsChanged = settingsChanged;
    table.setIPos = setIPos;
    table.setSPos = setSPos;
    table.move = move;
    table.rotate = rotate;
    table.adjustRadius = adjustRadius;
    table.lookAt = lookAt;
    table.jumpTo = jumpTo;
    table.startJourney = startJourney;
    table.setCentral = setCentral;
    table.skyListObject = skyListObject;
    table.activeCamera = activeCamera;
    table.consoleAddCommand = consoleAddCommand;
    table.consolePrint = consolePrint;
    table.consoleExecute = consoleExecute;
    table.markerClear = markerClear;
    table.markerList = markerList;
    table.markerLoad = markerLoad;
    table.markerAdd = markerAdd;
    table.announceWindow = announceWindow;
    table.registerClass = registerClass;
    table.registerSharedClass = registerSharedClass;
    table.createNode = createNode;
    table.activateNode = activateNode;
    table.activeNode = activeNode;
    table.nodeParent = nodeParent;
    table.clientRect = clientRect;
    table.nodeCaption = nodeCaption;
    table.setCaption = setCaption;
    table.nodeHandler = nodeHandler;
    table.setFlags = setFlags;
    table.nodeFlags = nodeFlags;
    table.moveNode = moveNode;
    table.showNode = showNode;
    table.closeNode = closeNode;
    table.setColour = setColour;
    table.pixel = pixel;
    table.line = line;
    table.ellipse = ellipse;
    table.fillEllipse = fillEllipse;
    table.text = text;
    table.drawBitmap = drawBitmap;
    table.programFolder = programFolder;
}

}  // namespace extensions::detail

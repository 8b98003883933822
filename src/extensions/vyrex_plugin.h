// The plug-in interface of Vyrex: the one header a plug-in needs, in plain C99.
//
// Contract. A plug-in is a shared library "<program folder>/plugin/<name>.so" that exports
//     int VyrexPluginMain(void* module, const VyrexServices* services);
// The program loads every such library at start-up, after the in-scene window system and before
// the toolbar, the cameras and the panels, and calls the entry point once. A result other than 0
// keeps the plug-in loaded for the run; 0 means it failed to start: the program then removes
// whatever it registered through the table (objects and their subscriptions, console commands,
// window classes, nodes and announced windows) and unloads it. At shutdown, before the window
// system, the console and the event bus stop, the program removes what every plug-in registered
// (its objects receive VYREX_MSG_DESTROY) and unloads the libraries.
//
// The service table is filled once, before the first plug-in is loaded, and never changes; keep
// the pointer. Every slot is one pointer wide. The first word is the table's size in bytes, the
// next two are fixed constants, five reserved words follow, then the services in a fixed order.
// New services are only ever added at the end, so a plug-in built against an older header works
// with a newer program; a plug-in that needs more slots than the program's table has must refuse
// to start: vyrexServicesUsable() (or VYREX_HAS_SERVICE for single slots) tells.
//
// Everything is called on the program's one thread: from the entry point, from the messages and
// events of the plug-in's objects, and from its console commands. Texts are zero-terminated;
// object identifiers are 32-bit: stars 0x00000000 to 0x00FFFFFF (record index), deep-sky
// objects 0x01000000 + index, bodies of the entered star system 0x02000000 to 0x7FFFFFFF,
// multiple-star components 0x80000000 + index, 0xFFFFFFFF (−1) none. Interstellar positions are
// light years, star-system positions kilometres.
#ifndef VYREX_PLUGIN_H
#define VYREX_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---- Constants ---------------------------------------------------------------------------------

#define VYREX_PLUGIN_ENTRY "VyrexPluginMain"
#define VYREX_CONSTANT_1 0x02000000u  // the table's second word
#define VYREX_CONSTANT_2 0x01000000u  // the table's third word

#define VYREX_NO_OBJECT ((int32_t)-1)
#define VYREX_NAME_SIZE 32      // name buffers of starName and deepSkyName, terminator included
#define VYREX_TRUMPLER_SIZE 16
#define VYREX_CCDM_SIZE 11

// Object kinds (objectKind).
#define VYREX_KIND_STAR 0
#define VYREX_KIND_DEEP_SKY 1
#define VYREX_KIND_BODY 2
#define VYREX_KIND_COMPONENT 3

// Messages every object receives, and the console's command message: argument 1 is the command's
// index, argument 2 a const char* to the rest of the line (from its separating blank, or "").
#define VYREX_MSG_CREATE 0u
#define VYREX_MSG_DESTROY 1u
#define VYREX_MSG_COMMAND 0x302u

// Events of the program (arguments not named are 0).
#define VYREX_EVENT_FRAME 256u           // once per frame, after everything is drawn, before the present
#define VYREX_EVENT_POINTER 257u
#define VYREX_EVENT_KEY 258u
#define VYREX_EVENT_CHAR 259u
#define VYREX_EVENT_JOURNEY_START 512u
#define VYREX_EVENT_JOURNEY_END 513u
#define VYREX_EVENT_CAMERA_MOVED 514u    // also on arrival and on a jump
#define VYREX_EVENT_CAMERA_TURNED 515u
#define VYREX_EVENT_CAMERA_SWITCHED 516u
#define VYREX_EVENT_CAMERA_CHANGED 517u
#define VYREX_EVENT_HOVER 518u
#define VYREX_EVENT_SELECT 519u          // argument 1: the object locked

// Registration requests: with VYREX_DIRECT the callback is a VyrexCallback; without it,
// callbackOrName is the name of a VyrexCallback the library exports and module its handle (the
// entry point's first argument).
#define VYREX_DIRECT 1u

// Window messages to a node's object; "node" is the receiving node, x and y are pixels relative
// to its client area.
#define VYREX_WM_CREATE 0x1000u        // a1 node
#define VYREX_WM_CHANGED 0x1001u       // a1 node: its caption or flags were set
#define VYREX_WM_ACTIVATE 0x1002u      // a1 the receiver, a2 the node active before
#define VYREX_WM_DEACTIVATE 0x1003u    // a1 the node active now, a2 the receiver
#define VYREX_WM_POINTER_MOVE 0x1004u  // a1 node, a2 x, a3 y
#define VYREX_WM_LEFT_HELD 0x1005u
#define VYREX_WM_RIGHT_HELD 0x1006u
#define VYREX_WM_LEFT_CLICK 0x1007u    // a1 node, a2 x, a3 y: released over the node
#define VYREX_WM_RIGHT_CLICK 0x1008u
#define VYREX_WM_CHARACTER 0x1009u     // a1 node, a2 character code
#define VYREX_WM_NOTIFY 0x1010u        // a1 widget node, a2 value, a3 extra: to the parent's object
#define VYREX_WM_PAINT 0x1100u         // a1 node (a2 is the program's own): every frame while shown

// Node flags.
#define VYREX_NODE_VISIBLE 0x0002u
#define VYREX_NODE_CLOSED 0x0004u
#define VYREX_NODE_WANTS_MOVES 0x0008u
#define VYREX_NODE_FILLED 0x0010u
#define VYREX_NODE_FRAMED 0x0020u
#define VYREX_NODE_TITLE_BAR 0x0040u
#define VYREX_NODE_WINDOW (VYREX_NODE_VISIBLE | VYREX_NODE_FILLED | VYREX_NODE_FRAMED | VYREX_NODE_TITLE_BAR)

// Camera display switches (VyrexCamera.flags) and view modes (VyrexCamera.mode).
#define VYREX_SHOW_STARS 0x001u
#define VYREX_SHOW_LABELS 0x002u
#define VYREX_SHOW_DEEP_SKY 0x004u
#define VYREX_SHOW_GALAXY 0x020u
#define VYREX_MODE_INTERSTELLAR 0
#define VYREX_MODE_LOCAL_SPACE 1
#define VYREX_MODE_SYSTEM 2

// ---- Records -----------------------------------------------------------------------------------

typedef int32_t VyrexNode;  // a window or widget; 0 names none
typedef uint32_t VyrexObjectId;

typedef struct VyrexVector3 {
    double x, y, z;
} VyrexVector3;

// Row-major; rows 0 to 2 are the screen-right, screen-down and viewing axes in world coordinates.
typedef struct VyrexMatrix4 {
    double m[4][4];
} VyrexMatrix4;

// What every callback is handed.
typedef struct VyrexMessage {
    int32_t object;     // handle of the receiving object
    void* data;         // the object's private data block (dataSize bytes, zeroed), or null
    uint32_t code;      // message or event code
    uint32_t reserved;  // 0
    intptr_t a1, a2, a3, a4;
} VyrexMessage;

typedef int32_t (*VyrexCallback)(VyrexMessage* message);

typedef struct VyrexRequest {
    uint32_t dataSize;           // bytes of private data; 0 for none
    const void* callbackOrName;  // VYREX_DIRECT: the VyrexCallback; else its exported name
    uint32_t flags;              // VYREX_DIRECT or 0
    void* module;                // the library exporting the named callback
} VyrexRequest;

typedef struct VyrexRect {
    int32_t x, y, width, height;  // pixels of the drawing surface
} VyrexRect;

// A picture for drawBitmap: width × height pixels 0x00RRGGBB, top row first, no padding.
typedef struct VyrexBitmap {
    int32_t width, height;
    const uint32_t* pixels;
} VyrexBitmap;

// The active camera, read in place (456 bytes); change it only through the services.
typedef struct VyrexCamera {
    VyrexVector3 IPos;          // interstellar position, light years
    VyrexVector3 travelDir;     // unit direction of an interstellar journey
    double speed;               // interstellar step, light years per frame
    double starMagLimit;        // faintest apparent magnitude of stars drawn
    double tree;
    double zoom;                // projection scale factor
    double zclip;               // near limit, km
    int32_t travelling;         // 1 while a journey runs
    int32_t travelSteps;        // frames left in the journey
    uint32_t deepSkyTypes;
    uint8_t reserved100[4];
    double deepSkyMagLimit;
    double vradius;             // local-space radius, light years
    double localRadius2;
    VyrexVector3 localMin, localMax;
    double reserved176;
    int32_t system;             // object whose star system is loaded
    uint8_t reserved188[4];
    VyrexVector3 SPos;          // position in the star system, km
    VyrexVector3 centralOffset; // km
    VyrexMatrix4 Cam;           // orientation
    VyrexVector3 systemTravelDir;
    double sspeed;              // star-system step, km per frame
    double systemTime;
    double timeStep;
    int32_t hover;              // object under the pointer, −1 none
    int32_t lock;               // target of journeys, −1 none
    int32_t vLock;              // object the view follows, −1 none
    int32_t central;            // body the camera rides with, −1 none
    int32_t mode;               // VYREX_MODE_*
    uint32_t flags;             // VYREX_SHOW_* and the star-system switches
    int32_t lockBlink;
    uint8_t reserved444[4];
    double labelMagLimit;
} VyrexCamera;

// One star as seen from an observer.
typedef struct VyrexStarInfo {
    int32_t id;
    char designation[VYREX_NAME_SIZE];    // main designation (HIP, HD, BD, CD, CP)
    char bayerName[VYREX_NAME_SIZE];      // "" if none
    char flamsteedName[VYREX_NAME_SIZE];  // "" if none
    char otherName[VYREX_NAME_SIZE];      // "" if none
    VyrexVector3 position;                // light years
    double absMag;
    double colourBV;
    char spectral[VYREX_NAME_SIZE];
    double minMag, maxMag;                // of a variable star; 0 otherwise
    double varPeriod;                     // days; 0 = not variable
    double knownRadius;                   // solar radii; 0 = unknown
    double radialSpeed;                   // km/s
    int32_t hasExtra;
    VyrexVector3 relative;                // position − observer, light years
    double distance;                      // light years
    double appMag;
    double temperature;                   // kelvin
    double luminosity;                    // solar luminosities
    double solarMass;                     // solar masses
    double estRadius;                     // solar radii
    double lifeTime;                      // main-sequence life time
} VyrexStarInfo;

// One component of a multiple star.
typedef struct VyrexComponentInfo {
    int32_t index;
    char letter1, letter2;
    char spectral[VYREX_NAME_SIZE];
    double magnitude;
    char ccdm[VYREX_CCDM_SIZE];
    double separation;  // light years from the primary
    double angle;       // radians around the primary
} VyrexComponentInfo;

// One deep-sky object as seen from an observer.
typedef struct VyrexDeepSkyInfo {
    int32_t index;
    uint32_t type;
    char name[VYREX_NAME_SIZE];
    VyrexVector3 position;  // light years
    double absMag;
    VyrexVector3 relative;  // light years
    double distance;        // light years
    double appMag;
    double value1, value2, value3;
    char trumpler[VYREX_TRUMPLER_SIZE];
} VyrexDeepSkyInfo;

// ---- The service table -------------------------------------------------------------------------

typedef struct VyrexServices {
    uintptr_t size;       // bytes of the table
    uintptr_t constant1;  // VYREX_CONSTANT_1
    uintptr_t constant2;  // VYREX_CONSTANT_2
    uintptr_t reserved[5];

    // Objects and events. Object handles are above 0 (the run's first object is the program's):
    // 0 from registerObject means it failed; createEventType and subscribe answer 1 or 0.
    int32_t (*registerObject)(const VyrexRequest* request);
    void (*unregisterObject)(int32_t object);
    int32_t (*createEventType)(uint32_t code);
    int32_t (*subscribe)(uint32_t code, int32_t object);
    int32_t (*send)(int32_t object, uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4);
    int32_t (*sendRecord)(int32_t object, VyrexMessage* record);
    void (*broadcast)(uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4);
    void (*broadcastRecord)(VyrexMessage* record);

    // Catalogues. Results 1 found, 0 not.
    int32_t (*objectKind)(VyrexObjectId id);
    int32_t (*starInfo)(uint32_t index, const VyrexVector3* observer, VyrexStarInfo* out);
    int32_t (*deepSkyInfo)(VyrexObjectId id, const VyrexVector3* observer, VyrexDeepSkyInfo* out);
    int32_t (*firstComponent)(uint32_t star, VyrexComponentInfo* out);
    int32_t (*nextComponent)(VyrexComponentInfo* info);
    int32_t (*treePath)(const VyrexVector3* point, char* out, size_t capacity);  // its length
    int32_t (*cameraTreePath)(char* out, size_t capacity);                       // of the camera's IPos
    int32_t (*noteText)(VyrexObjectId id, char* out, size_t capacity);          // characters copied
    int32_t (*objectPosition)(VyrexObjectId id, VyrexVector3* out);  // ly; km for bodies, components
    void (*starName)(uint32_t index, char out[VYREX_NAME_SIZE]);
    void (*deepSkyName)(VyrexObjectId id, char out[VYREX_NAME_SIZE]);
    VyrexObjectId (*findByName)(const char* name);  // VYREX_NO_OBJECT if none
    void (*reloadSystems)(void);

    // The camera.
    int32_t (*setMode)(int32_t mode);
    int32_t (*selectCamera)(int32_t n);
    int32_t (*saveCamera)(int32_t n);
    int32_t (*loadCamera)(int32_t n);
    void (*settingsChanged)(int32_t rebuild);  // raises 517; rebuild 1 rebuilds the sky
    void (*setIPos)(double x, double y, double z);  // light years
    void (*setSPos)(double x, double y, double z);  // km
    void (*move)(double forward, double up, double right);
    void (*rotate)(double pitch, double yaw, double roll);  // radians
    void (*adjustRadius)(double delta);
    void (*lookAt)(int32_t object);
    void (*jumpTo)(int32_t object);  // at once, as a journey arrives; raises 514
    void (*startJourney)(int32_t object);
    void (*setCentral)(int32_t object);
    int32_t (*skyListObject)(int32_t index);  // −1 past the list, −2 not an object
    const VyrexCamera* (*activeCamera)(void);

    // The console.
    int32_t (*consoleAddCommand)(int32_t object, const char* name);  // its index, or −1
    void (*consolePrint)(const char* format, ...);                  // at most 127 characters
    void (*consoleExecute)(const char* line);

    // Markers.
    void (*markerClear)(void);
    int32_t (*markerList)(char* out, size_t capacity);
    int32_t (*markerLoad)(const char* name);
    int32_t (*markerAdd)(const char* definition);

    // Windows. Parent 0 of createNode and node 0 of clientRect name the root, which covers the
    // frame: clientRect(0, &r) gives the frame's size. announceWindow closes the window and lists
    // it in the Plugins panel under `name`; a click there shows it again.
    int32_t (*announceWindow)(VyrexNode window, const char* name);
    int32_t (*registerClass)(const char* name, const VyrexRequest* request);  // 0 refused
    int32_t (*registerSharedClass)(const char* name, int32_t object);
    VyrexNode (*createNode)(VyrexNode parent, const char* className, const char* caption, int32_t x,
                            int32_t y, int32_t width, int32_t height, uint32_t flags);
    void (*activateNode)(VyrexNode node);
    VyrexNode (*activeNode)(void);
    VyrexNode (*nodeParent)(VyrexNode node);
    int32_t (*clientRect)(VyrexNode node, VyrexRect* out);
    const char* (*nodeCaption)(VyrexNode node);
    void (*setCaption)(VyrexNode node, const char* caption);
    int32_t (*nodeHandler)(VyrexNode node);
    void (*setFlags)(VyrexNode node, uint32_t flags);
    uint32_t (*nodeFlags)(VyrexNode node);
    void (*moveNode)(VyrexNode node, int32_t x, int32_t y);
    void (*showNode)(VyrexNode node);
    void (*closeNode)(VyrexNode node);

    // Drawing on the frame (clipped to it), in the current colour.
    uint32_t (*setColour)(int32_t red, int32_t green, int32_t blue);  // 0..255; the packed value
    void (*pixel)(int32_t x, int32_t y);
    void (*line)(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void (*ellipse)(int32_t cx, int32_t cy, int32_t rx, int32_t ry);
    void (*fillEllipse)(int32_t cx, int32_t cy, int32_t rx, int32_t ry);
    void (*text)(int32_t x, int32_t y, const char* text);  // console font, 6 × 8 per character
    void (*drawBitmap)(const VyrexBitmap* bitmap, int32_t x, int32_t y);

    const char* (*programFolder)(void);
} VyrexServices;

// The table as this header knows it: 76 pointer-sized slots.
#define VYREX_SERVICES_SIZE ((uintptr_t)sizeof(VyrexServices))

// Whether the program's table reaches the slot `member`.
#define VYREX_HAS_SERVICE(services, member) \
    ((services)->size >= offsetof(VyrexServices, member) + sizeof((services)->member))

// 1 when the table is the program's and has every slot this header declares.
static inline int vyrexServicesUsable(const VyrexServices* services) {
    return services && services->constant1 == VYREX_CONSTANT_1 &&
           services->constant2 == VYREX_CONSTANT_2 && services->size >= VYREX_SERVICES_SIZE;
}

typedef int (*VyrexPluginMainFunction)(void* module, const VyrexServices* services);

#ifdef __cplusplus
}
#endif

#endif  // VYREX_PLUGIN_H

// ZODE: the program's object registry and event bus. Objects are message callbacks with an
// optional private data block; event types are numbered codes that objects subscribe to. Every
// in-scene window and widget is a ZODE object, the main loop broadcasts the frame event, the
// camera raises its events here, and plug-ins get these same eight operations in this order.
//
// Tables are fixed (1024 objects, 256 event types, 256 subscriptions), filled at the first free
// slot; exhaustion is reported by the result and changes nothing. On 64-bit the data field and
// the four arguments are pointer-sized because plug-ins pass pointers through them; the field
// order is the stored contract.
//
// Objects are named by handles: the slot index in the low 10 bits and, above it, how often the
// slot had been taken before. The first object in a slot thus has the slot's index as its handle
// (the first registration of a run gets 0), and a handle kept after its object was unregistered
// never reaches the next object in that slot: sends, subscriptions and unregistering with a
// stale handle do nothing. Unregistering also frees the object's subscriptions for reuse (nodes
// still being walked by a broadcast are freed when the broadcast is over), so windows that come
// and go for the whole run never exhaust the 256 subscriptions.
#pragma once

#include <cstdint>

namespace zode {

constexpr int kObjects = 1024;
constexpr int kEventTypes = 256;
constexpr int kNodes = 256;

constexpr uint32_t kCreate = 0;
constexpr uint32_t kDestroy = 1;

struct Message {
    int32_t object;     // handle of the receiving object
    void* data;         // the receiving object's private data block
    uint32_t code;      // message or event code
    uint32_t reserved;  // 0
    intptr_t a1, a2, a3, a4;
};

using Callback = int32_t (*)(Message* msg);

struct Request {
    uint32_t dataSize;        // bytes of private data to allocate; 0 for none
    const void* callbackOrName; // flags bit 0: the Callback itself; else the exported name
    uint32_t flags;           // bit 0: direct callback
    void* module;             // dlopen handle exporting the named callback
};

constexpr uint32_t kDirect = 1;

int start();
void stop();
bool started();

int registerObject(const Request* request);
void unregisterObject(int object);
int createEventType(uint32_t code);
int subscribe(uint32_t code, int object);
// `send` and `send record` to a handle that names no live object call nothing and return 0;
// `subscribe` refuses such handles.
int32_t send(int object, uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0);
int32_t sendRecord(int object, Message* record);
void broadcast(uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0);
void broadcastRecord(Message* record);

// What the tables hold now: live objects, event types and subscriptions.
struct Usage {
    int objects = 0, eventTypes = 0, subscriptions = 0;
};
Usage usage();

// Event codes of the program.
enum : uint32_t {
    kEventFrame = 256,
    kEventPointer = 257,
    kEventKey = 258,
    kEventChar = 259,
    kEventJourneyStart = 512,
    kEventJourneyEnd = 513,
    kEventCameraMoved = 514,
    kEventCameraTurned = 515,
    kEventCameraSwitched = 516,
    kEventCameraChanged = 517,
    kEventHover = 518,
    kEventSelect = 519,
};

}  // namespace zode

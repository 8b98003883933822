// ZODE: the fixed object table, the event types and the shared subscription chains.
#include "core/zode.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace zode {
namespace {

struct Object {
    Callback callback;  // null: the slot is free
    void* data;         // private data block or null
    uint32_t flags;     // as registered; only bit 0 means anything here
    void* module;       // dlopen handle the named callback came from
};

struct EventType {
    int32_t inUse;
    uint32_t code;
    int32_t subscribers;  // subscriptions ever made to it
    int32_t first;        // first node of the chain, -1 for none
};

struct Node {
    int32_t object;    // subscribed object; kOrphan once that object was unregistered
    int32_t reserved;  // always 0
    int32_t next;      // next node of the same event type, -1 at the end
    int32_t inUse;
};

// A node whose object was unregistered. It stays in its chain (chains are never compacted) but
// delivers nothing, not even to a later object that takes over the same slot.
constexpr int32_t kOrphan = -1;

Object* objects = nullptr;
EventType* types = nullptr;
Node* nodes = nullptr;
int highestType = 0;
int highestNode = 0;
bool isStarted = false;

template <typename T>
T* allocateTable(size_t count) {
    // Tables start on a 32-byte boundary, as the aligned allocation of old gave them.
    size_t bytes = (count * sizeof(T) + 31) / 32 * 32;
    void* p = std::aligned_alloc(32, bytes);
    if (p) std::memset(p, 0, bytes);
    return static_cast<T*>(p);
}

void releaseTables() {
    std::free(objects);
    std::free(types);
    std::free(nodes);
    objects = nullptr;
    types = nullptr;
    nodes = nullptr;
}

bool inUse(int object) { return objects && object >= 0 && object < kObjects && objects[object].callback; }

int findType(uint32_t code) {
    if (!types) return -1;
    for (int i = 0; i <= highestType; ++i)
        if (types[i].inUse && types[i].code == code) return i;
    return -1;
}

// Delivers `record` (code, reserved and arguments already set) to every live subscriber of the
// chain. A receiver may call any operation: new subscribers go to the head of the chain and so
// are not reached by this walk; nodes are never removed, so the saved `next` stays valid; a
// receiver that stops the bus ends the walk.
void deliver(int first, Message* record) {
    for (int n = first; n >= 0 && n < kNodes;) {
        if (!nodes) return;
        const Node node = nodes[n];
        if (inUse(node.object)) {
            record->object = node.object;
            record->data = objects[node.object].data;
            objects[node.object].callback(record);
        }
        if (!nodes) return;
        n = node.next;
    }
}

}  // namespace

int start() {
    isStarted = false;
    releaseTables();
    objects = allocateTable<Object>(kObjects);
    types = allocateTable<EventType>(kEventTypes);
    nodes = allocateTable<Node>(kNodes);
    if (!objects || !types || !nodes) {
        releaseTables();
        return 0;
    }
    highestType = 0;
    highestNode = 0;
    isStarted = true;
    return 1;
}

void stop() {
    if (!isStarted) return;
    for (int i = 0; i < kObjects && objects; ++i)
        if (objects[i].callback) unregisterObject(i);
    isStarted = false;
    releaseTables();
}

bool started() { return isStarted; }

int registerObject(const Request* request) {
    if (!objects || !request) return 0;
    int slot = -1;
    for (int i = 0; i < kObjects; ++i) {
        if (!objects[i].callback) {
            slot = i;
            break;
        }
    }
    if (slot < 0) return 0;

    Callback callback = nullptr;
    if (request->flags & kDirect) {
        callback = reinterpret_cast<Callback>(const_cast<void*>(request->callbackOrName));
    } else if (request->module && request->callbackOrName) {
        callback = reinterpret_cast<Callback>(
            ::dlsym(request->module, static_cast<const char*>(request->callbackOrName)));
    }
    if (!callback) return 0;

    void* data = nullptr;
    if (request->dataSize != 0) {
        // Cleared, although nothing promises it: a receiver that reads a field before writing it
        // then sees 0 instead of whatever the heap held.
        data = std::calloc(1, request->dataSize);
        if (!data) return 0;
    }

    objects[slot] = Object{callback, data, request->flags, request->module};
    Message create{slot, data, kCreate, 0, 0, 0, 0, 0};
    callback(&create);
    return slot;
}

void unregisterObject(int object) {
    if (!inUse(object)) return;
    Object gone = objects[object];
    // The slot is free before the destroy message goes out, so a receiver that unregisters
    // itself again from its destroy handler does nothing twice.
    objects[object] = Object{};
    for (int n = 0; n <= highestNode && nodes; ++n)
        if (nodes[n].inUse && nodes[n].object == object) nodes[n].object = kOrphan;
    Message destroy{object, gone.data, kDestroy, 0, 0, 0, 0, 0};
    gone.callback(&destroy);
    std::free(gone.data);
}

int createEventType(uint32_t code) {
    if (!types) return 0;
    for (int i = 0; i < kEventTypes; ++i) {
        EventType& t = types[i];
        if (t.inUse && t.code == code) return 1;
        if (!t.inUse) {
            t = EventType{1, code, 0, -1};
            if (i > highestType) highestType = i;
            return 1;
        }
    }
    return 0;
}

int subscribe(uint32_t code, int object) {
    int type = findType(code);
    if (type < 0) return 0;
    // Only registered objects: a subscription for a free slot would otherwise be inherited by
    // whichever object registers there next.
    if (!inUse(object)) return 0;
    for (int n = 0; n < kNodes; ++n) {
        if (nodes[n].inUse) continue;
        nodes[n] = Node{object, 0, types[type].first, 1};
        types[type].first = n;
        ++types[type].subscribers;
        if (n > highestNode) highestNode = n;
        return 1;
    }
    return 0;
}

int32_t send(int object, uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4) {
    if (!inUse(object)) return 0;
    Message record{object, objects[object].data, code, 0, a1, a2, a3, a4};
    return objects[object].callback(&record);
}

int32_t sendRecord(int object, Message* record) {
    if (!record || !inUse(object)) return 0;
    record->object = object;
    record->data = objects[object].data;
    return objects[object].callback(record);
}

void broadcast(uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4) {
    int type = findType(code);
    if (type < 0) return;
    Message record{0, nullptr, code, 0, a1, a2, a3, a4};
    deliver(types[type].first, &record);
}

void broadcastRecord(Message* record) {
    if (!record) return;
    int type = findType(record->code);
    if (type < 0) return;
    record->reserved = 0;
    deliver(types[type].first, record);
}

}  // namespace zode

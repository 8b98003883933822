// ZODE: the fixed object table, the event types and the shared subscription chains.
#include "base/zode.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace zode {
namespace {

struct Object {
    Callback callback;    // null: the slot is free
    void* data;           // private data block or null
    uint32_t flags;       // as registered; only bit 0 means anything here
    void* module;         // module handle the named callback came from
    uint32_t generation;  // how often the slot was taken before; part of the object's handle
};

struct EventType {
    int32_t inUse;
    uint32_t code;
    int32_t subscribers;  // subscriptions in the chain
    int32_t first;        // first node of the chain, -1 for none
};

struct Node {
    int32_t object;    // handle of the subscribed object; kGone once that object was unregistered
    int32_t reserved;  // always 0
    int32_t next;      // next node of the same event type, -1 at the end
    int32_t inUse;
};

// A node whose object was unregistered while a broadcast was walking the chains. It delivers
// nothing and is unlinked and freed as soon as the outermost broadcast is over, so that no walk
// ever follows a node that has moved to another chain.
constexpr int32_t kGone = -1;

constexpr int kSlotBits = 10;  // kObjects = 1 << kSlotBits
static_assert(kObjects == 1 << kSlotBits);
constexpr uint32_t kGenerationMask = (1u << (31 - kSlotBits)) - 1;  // handles stay positive

Object* objects = nullptr;
EventType* types = nullptr;
Node* nodes = nullptr;
int highestType = 0;
int highestNode = 0;
bool isStarted = false;
int deliveryDepth = 0;     // broadcasts under way (receivers may broadcast again)
bool sweepPending = false; // nodes marked kGone wait for the outermost broadcast to end

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

int slotOf(int handle) { return handle & (kObjects - 1); }
int handleOf(int slot) { return static_cast<int>((objects[slot].generation << kSlotBits) | uint32_t(slot)); }

// The slot of a live object's handle, or -1 (free slot, stale generation, out of range).
int liveSlot(int handle) {
    if (!objects || handle < 0) return -1;
    const int slot = slotOf(handle);
    const Object& o = objects[slot];
    if (!o.callback || handleOf(slot) != handle) return -1;
    return slot;
}

int findType(uint32_t code) {
    if (!types) return -1;
    for (int i = 0; i <= highestType; ++i)
        if (types[i].inUse && types[i].code == code) return i;
    return -1;
}

// Takes every node whose object is `handle` (or every kGone node when `handle` is kGone) out of
// its chain and frees it for the next subscription.
void unlinkNodes(int32_t handle) {
    for (int t = 0; t <= highestType; ++t) {
        EventType& type = types[t];
        if (!type.inUse) continue;
        int32_t* link = &type.first;
        // Bounded: a chain holds at most kNodes nodes.
        for (int steps = 0; *link >= 0 && *link < kNodes && steps < kNodes; ++steps) {
            Node& node = nodes[*link];
            if (node.object == handle) {
                *link = node.next;
                node = Node{};
                --type.subscribers;
            } else {
                link = &node.next;
            }
        }
    }
}

// Delivers `record` (code, reserved and arguments already set) to every live subscriber of the
// chain. A receiver may call any operation: new subscribers go to the head of the chain and so
// are not reached by this walk; nodes of objects unregistered meanwhile stay linked until the
// walk is over, so the saved `next` stays valid; a receiver that stops the bus ends the walk.
void deliver(int first, Message* record) {
    const Node* const table = nodes;  // a receiver that stops (and restarts) the bus ends the walk
    ++deliveryDepth;
    for (int n = first; n >= 0 && n < kNodes;) {
        const Node node = nodes[n];
        const int slot = liveSlot(node.object);
        if (slot >= 0) {
            record->object = node.object;
            record->data = objects[slot].data;
            objects[slot].callback(record);
        }
        if (nodes != table) return;
        n = node.next;
    }
    if (--deliveryDepth == 0 && sweepPending) {
        sweepPending = false;
        unlinkNodes(kGone);
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
    deliveryDepth = 0;
    sweepPending = false;
    isStarted = true;
    return 1;
}

void stop() {
    if (!isStarted) return;
    for (int i = 0; i < kObjects && objects; ++i)
        if (objects[i].callback) unregisterObject(handleOf(i));
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
            platform::moduleSymbol(request->module, static_cast<const char*>(request->callbackOrName)));
    }
    if (!callback) return 0;

    void* data = nullptr;
    if (request->dataSize != 0) {
        // Cleared, although nothing promises it: a receiver that reads a field before writing it
        // then sees 0 instead of whatever the heap held.
        data = std::calloc(1, request->dataSize);
        if (!data) return 0;
    }

    objects[slot] = Object{callback, data, request->flags, request->module, objects[slot].generation};
    const int handle = handleOf(slot);
    Message create{handle, data, kCreate, 0, 0, 0, 0, 0};
    callback(&create);
    return handle;
}

void unregisterObject(int object) {
    const int slot = liveSlot(object);
    if (slot < 0) return;
    Object gone = objects[slot];
    // The slot is free before the destroy message goes out, so a receiver that unregisters
    // itself again from its destroy handler does nothing twice. The next object in the slot has
    // another handle, so nothing meant for this one reaches it.
    objects[slot] = Object{};
    objects[slot].generation = (gone.generation + 1) & kGenerationMask;
    if (deliveryDepth == 0) {
        unlinkNodes(object);
    } else {
        for (int n = 0; n <= highestNode && nodes; ++n)
            if (nodes[n].inUse && nodes[n].object == object) nodes[n].object = kGone;
        sweepPending = true;
    }
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
    // Only live objects: a subscription for a free slot or a stale handle would otherwise be
    // inherited by whichever object registers there next.
    if (liveSlot(object) < 0) return 0;
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
    const int slot = liveSlot(object);
    if (slot < 0) return 0;
    Message record{object, objects[slot].data, code, 0, a1, a2, a3, a4};
    return objects[slot].callback(&record);
}

int32_t sendRecord(int object, Message* record) {
    const int slot = record ? liveSlot(object) : -1;
    if (slot < 0) return 0;
    record->object = object;
    record->data = objects[slot].data;
    return objects[slot].callback(record);
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

Usage usage() {
    Usage u;
    for (int i = 0; objects && i < kObjects; ++i) u.objects += objects[i].callback != nullptr;
    for (int i = 0; types && i < kEventTypes; ++i) u.eventTypes += types[i].inUse != 0;
    for (int i = 0; nodes && i < kNodes; ++i) u.subscriptions += nodes[i].inUse != 0;
    return u;
}

}  // namespace zode

// The window manager: the class table, the node table and its tree, geometry, the frame's drawing
// and hit test, the routing pass, activation, closing and destroying, and the help pick.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/input_state.h"
#include "base/timer.h"
#include "base/zode.h"
#include "video/video.h"
#include "zwindows/paint.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"
#include "zwindows/zwindows_internal.h"

namespace zwindows {
namespace {

constexpr int32_t kNone = -1;  // no slot

// Coordinates and sizes are kept within ±kCoordinateMax so that no sum of a node's position, its
// ancestors' and its size can overflow, however deep the tree.
constexpr int32_t kCoordinateMax = 1 << 20;

struct ClassRecord {
    char name[kClassNameMax + 1];  // empty: a free slot
    int32_t kind;                  // 0: an object per node from `request`; 1: the shared `object`
    zode::Request request;
    int32_t object;
};

// One node. The tree links are slots of the table.
struct NodeRecord {
    int32_t lastChild, parent, firstChild, next, previous;
    int32_t cls;                     // class index
    int32_t x, y;                    // relative to the parent's client area
    int32_t screenX, screenY;        // absolute, pixels
    int32_t width, height;           // outer size, pixels
    int32_t clientX, clientY, clientWidth, clientHeight;  // absolute, pixels
    uint32_t flags;
    int32_t handler;                 // the ZODE object of the node's messages
    uint32_t face, frame;            // pixel values
    char caption[kCaptionMax + 1];
    int32_t captionWidth;            // 6 × caption length + 32, pixels
    uint32_t helpTopic;
    // The table's own.
    uint32_t generation;             // how often the slot was taken before
    int32_t inUse;
    int32_t ownsObject;              // the handler was registered for this node
    int32_t doomed;                  // destroyed during a pass, freed when it is over
    void* data;                      // the widget's private data block
};

constexpr int kSlotBits = 10;
static_assert(kMaxNodes == 1 << kSlotBits);
constexpr uint32_t kGenerations = (1u << 20) - 1;  // handles stay positive and never 0

ClassRecord classes[kMaxClasses];
NodeRecord nodes[kMaxNodes];
bool running = false;
int rootSlot = kNone;
Colours standard{};
draw::BitmapPtr closeBox;

int activeSlot = kNone;
int underSlot = kNone;  // found by the last frame
int helpSlot = kNone;
struct Drag {
    int slot = kNone;
    int grabX = 0, grabY = 0;  // the grab point, pixels from the node's top left
    bool on = false;
} drag;
bool notifyOn = true;  // kChanged, kActivate and kDeactivate go out only while set
bool helpPick = false;
Node activeAtPick = kNoNode;  // the active node when the help pick began

int busy = 0;  // passes and messages under way: destruction waits for the outermost to end
bool sweepPending = false;

uint32_t presses = 0;
int lastLeftDown = 0;
bool pressOnWindow = false;  // the left button went down over a window, not the sky
double pressTime = 0, lastPassTime = 0;  // seconds of the program's running time

Node handleOf(int slot) {
    return Node((((nodes[slot].generation % kGenerations) + 1) << kSlotBits) | uint32_t(slot));
}

// The slot of a node's handle (doomed nodes included), or kNone.
int slotOf(Node node) {
    if (node <= 0) return kNone;
    const int slot = node & (kMaxNodes - 1);
    if (!nodes[slot].inUse || handleOf(slot) != node) return kNone;
    return slot;
}

int32_t clampCoordinate(int v) { return std::clamp<int32_t>(v, -kCoordinateMax, kCoordinateMax); }
int32_t clampSize(int v) { return std::clamp<int32_t>(v, 0, kCoordinateMax); }

void sweep();

// Holds destruction back while a pass or a message is under way (handlers may destroy nodes,
// including the one being visited), and frees what was destroyed once the outermost is over.
struct Busy {
    Busy() { ++busy; }
    ~Busy() {
        if (--busy == 0 && sweepPending) sweep();
    }
};

// Walks the subtree of `top` in drawing order and calls f(slot); f returns whether to visit the
// slot's children. Handlers called by f may relink nodes: the walk follows the links as they are
// then, and is bounded so that no change can make it run forever.
template <typename F>
void walk(int top, F f) {
    int n = top;
    for (int steps = 0; n != kNone && steps < 4 * kMaxNodes; ++steps) {
        const bool descend = f(n);
        if (descend && nodes[n].firstChild != kNone) {
            n = nodes[n].firstChild;
            continue;
        }
        while (n != kNone && n != top && nodes[n].next == kNone) n = nodes[n].parent;
        if (n == kNone || n == top) return;
        n = nodes[n].next;
    }
}

bool contains(int top, int slot) {
    for (int s = slot, steps = 0; s != kNone && steps < kMaxNodes; s = nodes[s].parent, ++steps)
        if (s == top) return true;
    return false;
}

// Screen position and client area from the parent's client area.
void place(int slot) {
    NodeRecord& n = nodes[slot];
    const int px = n.parent != kNone ? nodes[n.parent].clientX : 0;
    const int py = n.parent != kNone ? nodes[n.parent].clientY : 0;
    n.screenX = px + n.x;
    n.screenY = py + n.y;
    if (n.flags & kTitleBar) {
        n.clientX = n.screenX + 1;
        n.clientY = n.screenY + kTitleHeight;
        n.clientWidth = std::max(0, n.width - 2);
        n.clientHeight = std::max(0, n.height - 18);
    } else {
        n.clientX = n.screenX;
        n.clientY = n.screenY;
        n.clientWidth = n.width;
        n.clientHeight = n.height;
    }
}

void placeSubtree(int top) {
    walk(top, [](int s) {
        place(s);
        return true;
    });
}

void unlink(int slot) {
    NodeRecord& n = nodes[slot];
    if (n.parent == kNone) return;
    NodeRecord& p = nodes[n.parent];
    if (n.previous != kNone) nodes[n.previous].next = n.next;
    else p.firstChild = n.next;
    if (n.next != kNone) nodes[n.next].previous = n.previous;
    else p.lastChild = n.previous;
    n.next = n.previous = kNone;
}

void linkHead(int parent, int slot) {
    NodeRecord& p = nodes[parent];
    NodeRecord& n = nodes[slot];
    n.parent = parent;
    n.previous = kNone;
    n.next = p.firstChild;
    if (p.firstChild != kNone) nodes[p.firstChild].previous = slot;
    else p.lastChild = slot;
    p.firstChild = slot;
}

void linkTail(int parent, int slot) {
    NodeRecord& p = nodes[parent];
    NodeRecord& n = nodes[slot];
    n.parent = parent;
    n.next = kNone;
    n.previous = p.lastChild;
    if (p.lastChild != kNone) nodes[p.lastChild].next = slot;
    else p.firstChild = slot;
    p.lastChild = slot;
}

int32_t send(int slot, uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0) {
    return zode::send(nodes[slot].handler, code, a1, a2, a3, a4);
}

void setChainFlag(int slot, bool on) {
    for (int s = slot, steps = 0; s != kNone && steps < kMaxNodes; s = nodes[s].parent, ++steps) {
        if (on) nodes[s].flags |= kActiveChain;
        else nodes[s].flags &= ~kActiveChain;
    }
}

// The node and its ancestors go to the tails of their parents' child lists: on top.
void raise(int slot) {
    for (int s = slot, steps = 0; s != kNone && steps < kMaxNodes; s = nodes[s].parent, ++steps) {
        const int parent = nodes[s].parent;
        if (parent == kNone || nodes[parent].lastChild == s) continue;
        unlink(s);
        linkTail(parent, s);
    }
}

void activate(int slot) {
    Busy busyNow;
    const int previous = activeSlot;
    if (slot == previous) {
        raise(slot);
        setChainFlag(slot, true);
        return;
    }
    const Node node = handleOf(slot);
    const Node previousNode = previous != kNone ? handleOf(previous) : kNoNode;
    if (previous != kNone) {
        setChainFlag(previous, false);
        if (notifyOn) send(previous, kDeactivate, node, previousNode);
        // A handler that activated another node meanwhile has the last word.
        if (activeSlot != previous) return;
    }
    raise(slot);
    setChainFlag(slot, true);
    activeSlot = slot;
    if (notifyOn) send(slot, kActivate, node, previousNode);
}

// Frees the node and its subtree now: children first, each object of its own unregistered.
void destroyNow(int top) {
    Busy busyNow;
    const int parent = nodes[top].parent != kNone ? nodes[top].parent : rootSlot;
    if (activeSlot != kNone && contains(top, activeSlot)) {
        setChainFlag(activeSlot, false);
        activeSlot = parent != top ? parent : kNone;
        if (activeSlot != kNone) setChainFlag(activeSlot, true);
    }
    if (underSlot != kNone && contains(top, underSlot)) underSlot = parent != top ? parent : kNone;
    if (helpSlot != kNone && contains(top, helpSlot)) helpSlot = parent != top ? parent : kNone;
    if (drag.on && contains(top, drag.slot)) drag.on = false;

    static int order[kMaxNodes];  // the subtree in drawing order; freed from the end
    int count = 0;
    walk(top, [&count](int s) {
        if (count < kMaxNodes) order[count++] = s;
        return true;
    });
    unlink(top);
    for (int k = count - 1; k >= 0; --k) {
        NodeRecord& n = nodes[order[k]];
        const int object = n.ownsObject ? n.handler : -1;
        const uint32_t generation = n.generation + 1;
        n = NodeRecord{};
        n.generation = generation;
        n.lastChild = n.parent = n.firstChild = n.next = n.previous = kNone;
        // The object's destroy message comes after its node is gone, so that its handler finds
        // nothing half-freed.
        if (object >= 0) zode::unregisterObject(object);
    }
}

void sweep() {
    Busy busyNow;  // destroyNow's handlers may destroy more; they wait for the next round
    while (sweepPending) {
        sweepPending = false;
        for (int s = 0; s < kMaxNodes; ++s) {
            if (!nodes[s].inUse || !nodes[s].doomed) continue;
            const int parent = nodes[s].parent;
            if (parent != kNone && nodes[parent].doomed) continue;  // goes with its parent
            destroyNow(s);
        }
    }
}

int32_t rootProc(zode::Message*) { return 1; }

double now() { return timer::secondsSinceProgramStart(); }

// A rectangle that a child paints over whole later in the same frame, so its parent's fill can
// leave it out: a child that is shown and filled, and has either no title bar or a frame around
// it (the title bar, the frame and the fill then cover its outer rectangle). A dragged child moves
// at its own visit and is not counted. A handler that closes or moves such a child while the
// nodes before it paint leaves the parent's face out of the child's old place for that frame.
struct Cover {
    int left, top, right, bottom;
};
constexpr int kMaxCovers = 32;

int coversOf(int slot, Cover (&out)[kMaxCovers]) {
    int count = 0;
    for (int c = nodes[slot].firstChild, steps = 0; c != kNone && count < kMaxCovers && steps < kMaxNodes;
         c = nodes[c].next, ++steps) {
        const NodeRecord& k = nodes[c];
        if ((k.flags & (kVisible | kFilled | kClosed)) != (kVisible | kFilled) || k.doomed) continue;
        if ((k.flags & kTitleBar) && !(k.flags & kFramed)) continue;
        if (drag.on && drag.slot == c) continue;
        // Kept in order of their left edges, so that each row's gaps come out left to right.
        int at = count++;
        for (; at > 0 && out[at - 1].left > k.screenX; --at) out[at] = out[at - 1];
        out[at] = Cover{k.screenX, k.screenY, k.screenX + k.width, k.screenY + k.height};
    }
    return count;
}

// Fills a node's area but for its covering children: the first row by the drawing layer, each
// further row's uncovered spans copied from it. The windows' fills are most of what they cost a
// frame: a row copy runs at the speed of the memory where a store loop does not, and a list or a
// page filled over the window's own face would otherwise be filled twice.
void fillArea(draw::Surface& s, int left, int top, int right, int bottom, uint32_t colour,
              const Cover* covers = nullptr, int coverCount = 0) {
    const int x0 = std::max(left, 0), x1 = std::min(right, s.width);
    const int y0 = std::max(top, 0), y1 = std::min(bottom, s.height);
    if (x0 >= x1 || y0 >= y1) return;
    draw::setColour(s, colour);
    draw::fillRect(s, x0, y0, x1, y0 + 1);
    const uint32_t* row = s.pixels + size_t(y0) * s.pitch;
    for (int y = y0 + 1; y < y1; ++y) {
        uint32_t* line = s.pixels + size_t(y) * s.pitch;
        int from = x0;
        for (int k = 0; k < coverCount && from < x1; ++k) {
            const Cover& c = covers[k];
            if (y < c.top || y >= c.bottom || c.right <= from) continue;
            if (c.left > from) std::memcpy(line + from, row + from, sizeof(uint32_t) * size_t(std::min(c.left, x1) - from));
            from = std::max(from, c.right);
        }
        if (from < x1) std::memcpy(line + from, row + from, sizeof(uint32_t) * size_t(x1 - from));
    }
}

bool pointerInside(const NodeRecord& n, int px, int py) {
    return px > n.screenX && px < n.screenX + n.width && py > n.screenY && py < n.screenY + n.height;
}

// The frame's part for one node: the drag, the drawing, the hit test. Returns whether its
// children are visited.
bool visit(int slot, draw::Surface* surface) {
    NodeRecord& n = nodes[slot];
    const input::PointerState& p = input::pointer;
    if (drag.on && drag.slot == slot && n.parent != kNone) {
        const NodeRecord& parent = nodes[n.parent];
        moveNode(handleOf(slot), p.x - parent.clientX - drag.grabX, p.y - parent.clientY - drag.grabY);
    }
    if ((n.flags & (kVisible | kClosed)) == kVisible && surface) {
        draw::Surface& s = *surface;
        if (n.flags & kFilled) {
            Cover covers[kMaxCovers];
            const int coverCount = coversOf(slot, covers);
            // Under a title bar everything inside the frame is client: no row of scene between.
            if (n.flags & kTitleBar)
                fillArea(s, n.screenX + 1, n.screenY + kTitleHeight, n.screenX + n.width - 1, n.screenY + n.height - 1,
                         n.face, covers, coverCount);
            else
                fillArea(s, n.clientX, n.clientY, n.clientX + n.clientWidth, n.clientY + n.clientHeight, n.face, covers,
                         coverCount);
        }
        if (n.flags & kFramed) {
            draw::setColour(s, n.frame);
            draw::rect(s, n.screenX, n.screenY, n.screenX + n.width, n.screenY + n.height);
        }
        if (n.flags & kTitleBar) {
            const bool active = n.flags & kActiveChain;
            fillArea(s, n.screenX + 1, n.screenY + 1, n.screenX + n.width - 1, n.screenY + kTitleHeight,
                     active ? standard.activeTitle : standard.title);
            drawText(s, n.screenX + 12, n.screenY + 4, n.caption, kCaptionMax, active ? standard.light : standard.text,
                     n.screenX + 1, n.screenX + n.width - 14);
            if (closeBox) draw::drawBitmap(s, *closeBox, n.screenX + n.width - 14, n.screenY + 2);
        }
        draw::beginDraw(s);
        send(slot, kPaint, handleOf(slot), reinterpret_cast<intptr_t>(&s));
        draw::endDraw(s);
    }
    if (n.flags & kClosed) return false;
    if (!(n.flags & kTransparent) && pointerInside(n, p.x, p.y)) {
        input::pointerOverWindow = 1;
        underSlot = slot;
    }
    return true;
}

// The deepest, topmost node that is not closed and holds the point strictly inside, as the
// frame's hit test finds it; the root when there is none.
int hitTest(int px, int py) {
    int found = rootSlot;
    walk(rootSlot, [&found, px, py](int s) {
        const NodeRecord& n = nodes[s];
        if (n.flags & kClosed) return false;
        if (!(n.flags & kTransparent) && pointerInside(n, px, py)) found = s;
        return true;
    });
    return found;
}

// A node that is drawn: neither it nor an ancestor is closed.
bool open(int slot) {
    for (int s = slot, steps = 0; s != kNone && steps < kMaxNodes; s = nodes[s].parent, ++steps)
        if (nodes[s].flags & kClosed) return false;
    return true;
}

// Step 1 of a routing pass, on one node: the close box and the drag of a title bar, the help
// pick, and the pointer and button messages. A node that is not drawn gets none of them.
void routeTo(int slot) {
    NodeRecord& n = nodes[slot];
    input::PointerState& p = input::pointer;
    if (n.flags & kTransparent || !pointerInside(n, p.x, p.y) || !open(slot)) return;
    const Node node = handleOf(slot);
    const int px = p.x - n.screenX, py = p.y - n.screenY;
    if (n.flags & kTitleBar) {
        if (n.width - 14 < px && px < n.width - 2 && 3 <= py && py <= 13 && p.leftDown) {
            closeNode(node);
            return;
        }
        if (drag.on) {
            if (!p.leftDown) drag.on = false;
        } else if (p.leftDown && 1 < px && px < n.width && py < kTitleHeight) {
            drag = Drag{slot, px, py, true};
        }
    }
    if (helpPick) {
        if (!p.leftDown && p.leftClick) {
            input::takeLeftClick();
            endHelpPick(n.helpTopic);
        }
        return;
    }
    const int x = p.x - n.clientX, y = p.y - n.clientY;
    if (n.flags & kWantsMoves) send(slot, kPointerMove, node, x, y);
    if (p.leftDown) {
        send(slot, kLeftHeld, node, x, y);
    } else if (p.leftClick) {
        input::takeLeftClick();
        send(slot, kLeftClick, node, x, y);
    }
    if (p.rightDown) {
        send(slot, kRightHeld, node, x, y);
    } else if (p.rightClick) {
        p.rightClick = 0;  // consumed here, as the left click is
        send(slot, kRightClick, node, x, y);
    }
}

int freeClassSlot() {
    for (int i = 0; i < kMaxClasses; ++i)
        if (!classes[i].name[0]) return i;
    return -1;
}

int addClass(const char* name, int kind, const zode::Request* request, int object) {
    if (!name || !name[0] || std::strlen(name) > size_t(kClassNameMax) || findClass(name) >= 0) return 0;
    const int slot = freeClassSlot();
    if (slot < 0) return 0;
    ClassRecord& c = classes[slot];
    std::snprintf(c.name, sizeof c.name, "%s", name);
    c.kind = kind;
    c.request = request ? *request : zode::Request{};
    c.object = object;
    return slot;
}

void setCaptionText(NodeRecord& n, const char* text) {
    std::snprintf(n.caption, sizeof n.caption, "%s", text ? text : "");
    n.captionWidth = kCellWidth * int32_t(std::strlen(n.caption)) + 32;
}

void resetState() {
    for (ClassRecord& c : classes) c = ClassRecord{};
    for (NodeRecord& n : nodes) {
        const uint32_t generation = n.generation;
        n = NodeRecord{};
        n.generation = generation;
    }
    rootSlot = activeSlot = underSlot = helpSlot = kNone;
    drag = Drag{};
    notifyOn = true;
    helpPick = false;
    activeAtPick = kNoNode;
    busy = 0;
    sweepPending = false;
    lastLeftDown = 0;
    pressOnWindow = false;
}

}  // namespace

const Colours& colours() { return standard; }

Colours standardColours(const video::ColourTables& t) {
    return Colours{t.black,    t.white,   t.grey[6], t.grey[3], t.grey[2], t.grey[12],
                   t.grey[13], t.grey[9], t.blue[6], t.blue[8], t.blue[6], t.red[6]};
}

int start() {
    if (running) stop();
    resetState();
    running = false;
    standard = standardColours(video::colours);
    closeBox = video::loadDisplayBitmap("close.bmp");
    if (!closeBox) return 0;
    detail::loadFont();
    detail::loadWidgetBitmaps();

    // The root: the first object of the run. Its handle may be 0, which the bus also answers for
    // a failure, so the count of objects tells.
    const int before = zode::usage().objects;
    const zode::Request rootRequest{0, reinterpret_cast<const void*>(&rootProc), zode::kDirect, nullptr};
    const int rootObject = zode::registerObject(&rootRequest);
    if (zode::usage().objects != before + 1) return 0;
    rootSlot = 0;
    NodeRecord& root = nodes[rootSlot];
    root.lastChild = root.parent = root.firstChild = root.next = root.previous = kNone;
    root.cls = -1;
    root.width = clampSize(video::state.width + 1);
    root.height = clampSize(video::state.height + 1);
    root.flags = kTransparent;
    root.handler = rootObject;
    root.ownsObject = 1;
    root.inUse = 1;
    place(rootSlot);
    activeSlot = underSlot = helpSlot = rootSlot;

    static constexpr zode::Callback kProcs[kWidgetClassCount] = {
        detail::buttonProc, detail::checkProc, detail::scrollProc, detail::editProc,
        detail::groupProc,  detail::listProc,  detail::htmlProc};
    for (int i = 0; i < kWidgetClassCount; ++i) {
        const zode::Request r{kWidgetDataSizes[i], reinterpret_cast<const void*>(kProcs[i]), zode::kDirect, nullptr};
        addClass(kWidgetClasses[i], 0, &r, -1);
    }
    running = true;
    return 1;
}

void stop() {
    if (running) {
        // Children of the root first, then the root itself, each with its object.
        while (nodes[rootSlot].firstChild != kNone) destroyNow(nodes[rootSlot].firstChild);
        zode::unregisterObject(nodes[rootSlot].handler);
    }
    running = false;
    resetState();
    detail::releaseWidgetBitmaps();
    detail::forgetFont();
    closeBox.reset();
    input::editHasKeyboard = 0;
    input::pointerOverWindow = 0;
    video::state.pointerKind = video::kNormalPointer;
}

// ---- Classes -------------------------------------------------------------------------------------

int registerClass(const char* name, const zode::Request& request) { return addClass(name, 0, &request, -1); }

int registerSharedClass(const char* name, int object) { return addClass(name, 1, nullptr, object); }

void unregisterClass(int index) {
    if (index < 0 || index >= kMaxClasses || !classes[index].name[0]) return;
    for (int s = 0; s < kMaxNodes; ++s)
        if (nodes[s].inUse && !nodes[s].doomed && nodes[s].cls == index && s != rootSlot)
            destroyNode(handleOf(s));
    classes[index] = ClassRecord{};
}

int findClass(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < kMaxClasses; ++i)
        if (classes[i].name[0] && std::strcmp(classes[i].name, name) == 0) return i;
    return -1;
}

// ---- Nodes ---------------------------------------------------------------------------------------

Node createNode(Node parent, const char* className, const char* caption, int x, int y, int width,
                int height, uint32_t flags) {
    if (!running) return kNoNode;
    Busy busyNow;
    const int cls = findClass(className);
    const int parentSlot = parent == kNoNode ? rootSlot : slotOf(parent);
    if (cls < 0 || parentSlot == kNone || nodes[parentSlot].doomed) return kNoNode;
    int slot = kNone;
    for (int s = 0; s < kMaxNodes && slot == kNone; ++s)
        if (!nodes[s].inUse) slot = s;
    if (slot == kNone) return kNoNode;

    // The slot is taken before the object is made: a handler that makes nodes when its object
    // is registered must not be handed the same slot.
    NodeRecord& n = nodes[slot];
    const uint32_t generation = n.generation;
    n = NodeRecord{};
    n.generation = generation;
    n.lastChild = n.parent = n.firstChild = n.next = n.previous = kNone;
    n.inUse = 1;
    const ClassRecord& c = classes[cls];
    int handler = c.object;
    if (c.kind == 0) {
        // Index 0 went to the root, the run's first object: 0 can only mean a failure here.
        handler = zode::registerObject(&c.request);
        if (handler == 0) {
            n.inUse = 0;
            return kNoNode;
        }
    }
    n.cls = cls;
    n.x = clampCoordinate(x);
    n.y = clampCoordinate(y);
    n.width = clampSize(width);
    n.height = clampSize(height);
    n.flags = flags;
    n.handler = handler;
    n.ownsObject = c.kind == 0;
    n.face = standard.face;
    n.frame = standard.dark;
    setCaptionText(n, caption);
    const int needed = kCellWidth * int(std::strlen(n.caption)) + 40;
    if ((flags & kTitleBar) && n.width < needed) n.width = needed + 8;
    n.inUse = 1;
    linkHead(parentSlot, slot);
    place(slot);
    const Node node = handleOf(slot);
    send(slot, kCreate, node);
    return node;
}

void destroyNode(Node node) {
    const int slot = slotOf(node);
    if (slot == kNone || slot == rootSlot || nodes[slot].doomed) return;
    if (busy > 0) {
        // Hidden now, freed when the pass is over.
        walk(slot, [](int s) {
            nodes[s].doomed = 1;
            return true;
        });
        nodes[slot].flags |= kClosed;
        sweepPending = true;
        return;
    }
    destroyNow(slot);
}

bool nodeExists(Node node) {
    const int slot = slotOf(node);
    return slot != kNone && !nodes[slot].doomed;
}

Node rootNode() { return rootSlot != kNone ? handleOf(rootSlot) : kNoNode; }

int nodeCount() {
    int count = 0;
    for (const NodeRecord& n : nodes) count += n.inUse != 0;
    return count;
}

void setCaption(Node node, const char* text) {
    const int slot = slotOf(node);
    if (slot == kNone) return;
    Busy busyNow;
    setCaptionText(nodes[slot], text);
    if (notifyOn) send(slot, kChanged, node);
}

const char* nodeCaption(Node node) {
    const int slot = slotOf(node);
    return slot != kNone ? nodes[slot].caption : "";
}

void setFlags(Node node, uint32_t flags) {
    const int slot = slotOf(node);
    if (slot == kNone) return;
    Busy busyNow;
    const bool titleChanged = (nodes[slot].flags ^ flags) & kTitleBar;
    nodes[slot].flags = flags;
    // A title bar that comes or goes moves the client area and with it every child.
    if (titleChanged) placeSubtree(slot);
    if (notifyOn) send(slot, kChanged, node);
}

uint32_t nodeFlags(Node node) {
    const int slot = slotOf(node);
    return slot != kNone ? nodes[slot].flags : 0;
}

void setHelpTopic(Node node, uint32_t topic) {
    if (const int slot = slotOf(node); slot != kNone) nodes[slot].helpTopic = topic;
}

uint32_t helpTopic(Node node) {
    const int slot = slotOf(node);
    return slot != kNone ? nodes[slot].helpTopic : 0;
}

void setFaceColour(Node node, uint32_t colour) {
    if (const int slot = slotOf(node); slot != kNone) nodes[slot].face = colour;
}

void setFrameColour(Node node, uint32_t colour) {
    if (const int slot = slotOf(node); slot != kNone) nodes[slot].frame = colour;
}

int nodeHandler(Node node) {
    const int slot = slotOf(node);
    return slot != kNone ? nodes[slot].handler : -1;
}

Node nodeParent(Node node) {
    const int slot = slotOf(node);
    return slot != kNone && nodes[slot].parent != kNone ? handleOf(nodes[slot].parent) : kNoNode;
}

Node firstChild(Node node) {
    const int slot = slotOf(node);
    return slot != kNone && nodes[slot].firstChild != kNone ? handleOf(nodes[slot].firstChild) : kNoNode;
}

Node nextSibling(Node node) {
    const int slot = slotOf(node);
    return slot != kNone && nodes[slot].next != kNone ? handleOf(nodes[slot].next) : kNoNode;
}

Rect nodeRect(Node node) {
    const int slot = slotOf(node);
    if (slot == kNone) return Rect{0, 0, 0, 0};
    const NodeRecord& n = nodes[slot];
    return Rect{n.screenX, n.screenY, n.width, n.height};
}

Rect clientRect(Node node) {
    const int slot = slotOf(node);
    if (slot == kNone) return Rect{0, 0, 0, 0};
    const NodeRecord& n = nodes[slot];
    return Rect{n.clientX, n.clientY, n.clientWidth, n.clientHeight};
}

Node activeNode() { return activeSlot != kNone ? handleOf(activeSlot) : kNoNode; }

Node nodeUnderPointer() { return underSlot != kNone ? handleOf(underSlot) : kNoNode; }

void moveNode(Node node, int x, int y) {
    const int slot = slotOf(node);
    if (slot == kNone) return;
    nodes[slot].x = clampCoordinate(x);
    nodes[slot].y = clampCoordinate(y);
    placeSubtree(slot);
}

void closeNode(Node node) {
    const int slot = slotOf(node);
    if (slot == kNone) return;
    Busy busyNow;
    nodes[slot].flags |= kClosed;
    const int parent = nodes[slot].parent != kNone ? nodes[slot].parent : rootSlot;
    underSlot = parent;
    drag.on = false;
    if (activeSlot != kNone && slot != rootSlot && contains(slot, activeSlot)) activate(parent);
}

void showNode(Node node) {
    const int slot = slotOf(node);
    if (slot == kNone || nodes[slot].doomed) return;
    nodes[slot].flags &= ~kClosed;
    activate(slot);
}

void activateNode(Node node) {
    const int slot = slotOf(node);
    if (slot == kNone || nodes[slot].doomed) return;
    activate(slot);
}

// ---- Frame and routing ---------------------------------------------------------------------------

void drawFrame() {
    if (!running) return;
    Busy busyNow;
    // A button held still: the routing pass that no message brings.
    if (input::pointer.leftDown && lastLeftDown) {
        const double t = now();
        if (t - pressTime >= kRepeatDelay && t - lastPassTime >= kRepeatInterval) routePointer();
    }
    NodeRecord& root = nodes[rootSlot];
    root.width = clampSize(video::state.width + 1);
    root.height = clampSize(video::state.height + 1);
    place(rootSlot);
    input::pointerOverWindow = 0;
    underSlot = rootSlot;
    draw::Surface* surface = video::state.drawing && video::state.drawing->pixels ? video::state.drawing : nullptr;
    walk(rootSlot, [surface](int s) { return visit(s, surface); });
}

void hiddenFrame() {
    input::pointerOverWindow = 0;
    if (running) underSlot = rootSlot;
}

void routePointer() {
    if (!running) return;
    Busy busyNow;
    const input::PointerState& p = input::pointer;
    const double t = now();
    if (p.leftDown && !lastLeftDown) {
        ++presses;
        pressTime = t;
        pressOnWindow = !input::pointerOverToolbar && hitTest(p.x, p.y) != rootSlot;
    }
    lastLeftDown = p.leftDown;
    lastPassTime = t;
    // The toolbar lies over the windows: what the pointer does over it is the toolbar's, but for
    // the release that ends a drag.
    if (input::pointerOverToolbar) {
        if (!p.leftDown) {
            drag.on = false;
            pressOnWindow = false;
        }
        return;
    }
    if (activeSlot != kNone) routeTo(activeSlot);
    // The press goes to the node under the pointer where it is now: the last frame found it
    // where the pointer was then, and a pointer moved and pressed between two frames would
    // otherwise activate what it left.
    if (p.leftDown) underSlot = hitTest(p.x, p.y);
    if (p.leftDown && underSlot != kNone && underSlot != activeSlot && !nodes[underSlot].doomed) {
        activate(underSlot);
        // The press that activates a node reaches it in the same pass: one click on a scroll
        // arrow, a link or a close box acts, and a drag holds the point where it was pressed.
        if (activeSlot == underSlot) routeTo(activeSlot);
    }
    // A click that began or ended on a window is the windows' even when no node took it (a
    // closed window's close box, a press dragged off a button, a release over a window): left
    // for the scene it would lock the star behind.
    if (!p.leftDown && p.leftClick && (pressOnWindow || hitTest(p.x, p.y) != rootSlot)) input::takeLeftClick();
    if (!p.leftDown) pressOnWindow = false;
}

void sendCharacter(int character) {
    if (!running || activeSlot == kNone) return;
    Busy busyNow;
    send(activeSlot, kCharacter, handleOf(activeSlot), character);
}

// ---- Help pick -----------------------------------------------------------------------------------

void setHelpHandler(Node node) {
    const int slot = node == kNoNode ? rootSlot : slotOf(node);
    if (slot != kNone) helpSlot = slot;
}

Node helpHandler() { return helpSlot != kNone ? handleOf(helpSlot) : kNoNode; }

void startHelpPick() {
    if (!helpPick) activeAtPick = activeSlot != kNone ? handleOf(activeSlot) : kNoNode;
    helpPick = true;
    notifyOn = false;
    video::state.pointerKind = video::kHelpPointer;
}

int helpPickActive() { return helpPick ? 1 : 0; }

void endHelpPick(uint32_t topic) {
    sendToHelpHandler(kHelpPick, topic);
    helpPick = false;
    notifyOn = true;
    video::state.pointerKind = video::kNormalPointer;
    // The pick's click activated its node without a word; the node it took that from hears of it
    // now, or a field that held the keyboard would keep it with nothing left to give it back.
    const int before = slotOf(activeAtPick);
    activeAtPick = kNoNode;
    if (before != kNone && before != activeSlot && !nodes[before].doomed) {
        Busy busyNow;
        send(before, kDeactivate, activeSlot != kNone ? handleOf(activeSlot) : kNoNode, handleOf(before));
    }
}

int32_t sendToHelpHandler(uint32_t code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4) {
    const int slot = helpSlot != kNone && nodes[helpSlot].inUse ? helpSlot : rootSlot;
    if (slot == kNone) return 0;
    Busy busyNow;
    return send(slot, code, a1, a2, a3, a4);
}

// ---- Shared with the widgets ---------------------------------------------------------------------

namespace detail {

int32_t notifyParent(Node widget, intptr_t value, intptr_t extra) {
    const int slot = slotOf(widget);
    if (slot == kNone || nodes[slot].parent == kNone) return 0;
    return send(nodes[slot].parent, kNotify, widget, value, extra);
}

void initFlags(Node node, uint32_t flags) {
    if (const int slot = slotOf(node); slot != kNone) nodes[slot].flags = flags;
}

void setNodeData(Node node, void* data) {
    if (const int slot = slotOf(node); slot != kNone) nodes[slot].data = data;
}

void* nodeData(Node node) {
    const int slot = slotOf(node);
    return slot != kNone && !nodes[slot].doomed ? nodes[slot].data : nullptr;
}

int nodeClass(Node node) {
    const int slot = slotOf(node);
    return slot != kNone ? nodes[slot].cls : -1;
}

uint32_t pressNumber() { return presses; }

}  // namespace detail

}  // namespace zwindows

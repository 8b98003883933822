// The Z windows system: in-scene windows and widgets, drawn every frame over the scene while the
// GUI is shown, as nodes of one tree, each driven by a ZODE object that receives its messages.
//
// Contract.
// - start() empties the class table, makes the root (the first ZODE registration of the run,
//   flags kTransparent, covering the drawing surface) and registers the seven widget classes
//   (widgets.h) in the order BUTTON, CHECK, SCROLL, EDIT, GROUP, LIST, HTML. It returns 1, or 0
//   when "close.bmp" cannot be loaded. stop() destroys every node (their objects get ZODE's
//   destroy message), forgets the classes and gives the keyboard back.
// - Classes: kMaxClasses, filled at the first free slot. A class of kind 0 gives every node an
//   object of its own, made from the class's registration request; a shared class (kind 1) hands
//   all its nodes to one object. Registering returns the class index, 0 when the table is full,
//   the name is empty, longer than kClassNameMax or already registered (index 0 is BUTTON, taken
//   at start, so 0 never names a class registered later).
// - Nodes are named by handles (Node): a slot of the fixed node table and how often the slot was
//   taken before, so a handle kept after its node was destroyed names nothing; every operation
//   given such a handle, or kNoNode where a node is needed, does nothing and answers 0 or null.
//   createNode links the new node at the head of its parent's child list (the bottom of the
//   stacking order) and sends kCreate. Nodes live until destroyNode (which takes the node's
//   children with it) or stop; closing only hides them.
// - Geometry: x, y are relative to the parent's client area; the screen rectangle and the client
//   area are absolute drawing-surface pixels. With a title bar the client area is (screen x + 1,
//   screen y + 16, width − 2, height − 18) and a window narrower than its caption needs
//   (6 × length + 40) is widened to 6 × length + 48; without one it is the outer rectangle.
// - drawFrame(), once per frame while the GUI is shown, draws the tree (parents before children,
//   earlier siblings before later ones) and finds the node under the pointer: the deepest,
//   topmost node that is not closed and holds the pointer strictly inside its outer rectangle.
//   It sets input::pointerOverWindow when that is a window rather than the root, so the scene
//   neither hovers nor locks through a window. hiddenFrame() is the frame while the GUI is hidden:
//   the pointer is over no window.
// - routePointer(), the routing pass (once for every window message the window procedure does
//   not answer, while the GUI is shown), routes the pointer and buttons to the active node: the
//   close box, the drag by the title bar, the help pick, kPointerMove, kLeftHeld, kRightHeld,
//   kLeftClick, kRightClick (which consume the input's pending click), and then a left press
//   over another node (found where the pointer is now, not where the last frame saw it) makes
//   that node active, raises it and its ancestors and routes the same pass to it, so the press
//   that activates a node also reaches it. A click that began or ended over a window is taken
//   from the input even when no node took it, so the scene never locks the star behind a window
//   for it. A pass with the pointer over the toolbar (input::pointerOverToolbar, which the
//   toolbar sets before the windows route) routes nothing but the release that ends a drag: the
//   toolbar lies over the windows. While the left button is held still the frame runs a routing pass every
//   kRepeatInterval seconds once it has been held for kRepeatDelay, so a held scroll arrow keeps
//   stepping without messages.
// - sendCharacter(c) sends kCharacter to the active node; the window procedure calls it for typed
//   characters while input::editHasKeyboard is set (an EDIT holds the keyboard while it is
//   active).
// - Handlers may create, show, close and destroy nodes while handling any message: a node
//   destroyed during a frame or a routing pass is hidden at once and freed when the pass is over.
// - Main thread only. Nothing here allocates after start except making nodes; the frame and the
//   routing pass allocate nothing and format no strings.
#pragma once

#include <cstdint>

#include "base/zode.h"
#include "video/draw.h"

namespace zwindows {

using Node = int32_t;
constexpr Node kNoNode = 0;

constexpr int kMaxClasses = 128;
constexpr int kClassNameMax = 59;   // characters of a class name
constexpr int kMaxNodes = 1024;     // the root included; as many as the bus has objects
constexpr int kCaptionMax = 31;     // characters of a caption (longer ones are cut)
constexpr int kTitleHeight = 16;    // pixels of a title bar
constexpr int kCellWidth = 6;       // pixels per character of the bitmap font
constexpr int kCellHeight = 8;

// Holding the left button still repeats the routing pass (a scroll arrow steps on), seconds.
constexpr double kRepeatDelay = 0.4;
constexpr double kRepeatInterval = 0.025;

// Node flags.
enum : uint32_t {
    kActiveChain = 0x0001,  // in the active chain: the active node or one of its ancestors
    kVisible = 0x0002,      // drawn and given paint messages
    kClosed = 0x0004,       // not drawn, not hit-tested, children skipped
    kWantsMoves = 0x0008,   // gets kPointerMove on every routing pass while active
    kFilled = 0x0010,       // the client area is filled with the face colour
    kFramed = 0x0020,       // the outer rectangle is framed in the frame colour
    kTitleBar = 0x0040,     // a 16-pixel title bar with the caption and the close box
    kTransparent = 0x8000,  // never under the pointer (the root)
};

// Messages to a node's object. "node" is the receiving node; x, y are relative to its client
// area. Arguments in ZODE order.
enum : uint32_t {
    kCreate = 0x1000,       // node
    kChanged = 0x1001,      // node: its caption or flags were set
    kActivate = 0x1002,     // new active node (the receiver), previous active node
    kDeactivate = 0x1003,   // new active node, previous active node (the receiver)
    kPointerMove = 0x1004,  // node, x, y
    kLeftHeld = 0x1005,     // node, x, y: every routing pass while the left button is down
    kRightHeld = 0x1006,    // node, x, y
    kLeftClick = 0x1007,    // node, x, y: the left button was released over the node
    kRightClick = 0x1008,   // node, x, y
    kCharacter = 0x1009,    // node, character code
    kNotify = 0x1010,       // widget node, value, extra: to the parent's object
    kPaint = 0x1100,        // node, draw::Surface*: every frame while visible
    kHelpPick = 0xF000,     // help topic (0: the reference text in argument 2): to the help handler
};

// The standard colours, pixel values of the drawing surface's format, by role.
struct Colours {
    uint32_t text;         // black
    uint32_t light;        // white: raised edges, active title text, selected list text
    uint32_t face;         // grey 159: windows and buttons
    uint32_t listFace;     // grey 207
    uint32_t field;        // grey 223: edit and check box fill
    uint32_t dark;         // grey 63: sunken edges and frames
    uint32_t darkEdge;     // grey 47: check box edge
    uint32_t title;        // grey 111: title bar, pressed button
    uint32_t activeTitle;  // blue (0, 0, 159)
    uint32_t selection;    // blue (0, 0, 127): selected list item
    uint32_t link;         // blue (0, 0, 159): text inside a link
    uint32_t objectLink;   // red (159, 0, 0): text inside an object link
};
// Taken from the video layer's colour tables at start.
const Colours& colours();

struct Rect {
    int x, y, width, height;  // pixels
};

int start();
void stop();

// ---- Classes -----------------------------------------------------------------------------------

int registerClass(const char* name, const zode::Request& request);
int registerSharedClass(const char* name, int object);
// Destroys every node of the class and frees its slot (the plug-in loader takes out the classes
// of a plug-in that is unloaded); the class's name may be registered again afterwards.
void unregisterClass(int index);
// The index of a registered class, or −1.
int findClass(const char* name);

// ---- Nodes -------------------------------------------------------------------------------------

// Null parent: a child of the root. kNoNode when the class is unknown, the node table is full or
// the node's object could not be made.
Node createNode(Node parent, const char* className, const char* caption, int x, int y, int width,
                int height, uint32_t flags);
// Destroys the node and its descendants (the root cannot be destroyed): their own objects are
// unregistered, which frees their subscriptions; a shared object is left alone. The active node,
// the node under the pointer, the drag and the help handler move to the node's parent when they
// were inside it.
void destroyNode(Node node);
bool nodeExists(Node node);
Node rootNode();
int nodeCount();  // live nodes, the root included

void setCaption(Node node, const char* text);  // cut to kCaptionMax; sends kChanged
const char* nodeCaption(Node node);            // "" for no node
void setFlags(Node node, uint32_t flags);      // sends kChanged
uint32_t nodeFlags(Node node);
void setHelpTopic(Node node, uint32_t topic);
uint32_t helpTopic(Node node);
void setFaceColour(Node node, uint32_t colour);
void setFrameColour(Node node, uint32_t colour);
int nodeHandler(Node node);  // the ZODE object receiving the node's messages; −1 for no node
Node nodeParent(Node node);
Node firstChild(Node node);   // the bottom of the child list
Node nextSibling(Node node);  // the one above it
Rect nodeRect(Node node);     // screen x, y and the outer size
Rect clientRect(Node node);
Node activeNode();
Node nodeUnderPointer();  // found by the last frame

void moveNode(Node node, int x, int y);
// Hides the node; the node under the pointer becomes its parent and a drag ends. When the active
// node is the node or inside it, its parent becomes active, so that pointer and keyboard never
// go to a closed window.
void closeNode(Node node);
void showNode(Node node);      // clears kClosed and activates the node
void activateNode(Node node);  // the node becomes active; it and its ancestors go on top

// ---- Frame and routing -------------------------------------------------------------------------

void drawFrame();
void hiddenFrame();
void routePointer();
void sendCharacter(int character);

// ---- Help pick ---------------------------------------------------------------------------------

// The node whose object gets kHelpPick; kNoNode: the root.
void setHelpHandler(Node node);
Node helpHandler();
// In help-pick mode a click on a node gives its help topic to the help handler instead of the
// click; the activation messages are held back meanwhile and the help pointer is shown.
void startHelpPick();
int helpPickActive();
void endHelpPick(uint32_t topic);
int32_t sendToHelpHandler(uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0,
                          intptr_t a4 = 0);

// ---- Drawing helpers for the nodes' paint handlers ---------------------------------------------

// Text in the console's 6 × 8 bitmap font from (x, y), at most `length` characters (a zero
// ends it sooner), drawn only where whole glyph cells lie within [clipLeft, clipRight).
void drawText(draw::Surface& s, int x, int y, const char* text, int length, uint32_t colour,
              int clipLeft = INT32_MIN, int clipRight = INT32_MAX);
// Raised (light top and left, dark bottom and right) or sunken edges of a rectangle.
void drawEdges(draw::Surface& s, const Rect& r, uint32_t topLeft, uint32_t bottomRight);

}  // namespace zwindows

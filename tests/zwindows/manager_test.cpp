// The window manager driven as a user drives it: geometry, closing and showing, dragging,
// raising, the active chain and its messages, the help pick, the keyboard of an edit field, the
// pointer-over-window flag, tables that fill up, trees deeper than any walk, and windows made and
// destroyed for as long as the program runs.
#include <cstring>

#include "zwindows_fixture.h"

namespace {

using namespace zwindows;
using zwtest::count;
using zwtest::last;
using zwtest::seen;

class Manager : public zwtest::ZwindowsTest {};

TEST_F(Manager, ATitleBarWidensTheWindowToItsCaptionAndSetsTheClientArea) {
    const Node config = window("Config", 200, 10, 50, 180);
    ASSERT_NE(config, kNoNode);
    EXPECT_EQ(nodeRect(config).width, 6 * 6 + 48);  // 84
    const Rect client = clientRect(config);
    EXPECT_EQ(client.x, 201);
    EXPECT_EQ(client.y, 26);
    EXPECT_EQ(client.width, 82);
    EXPECT_EQ(client.height, 162);
    // Wide enough already: kept. Without a title bar a caption widens nothing.
    EXPECT_EQ(nodeRect(window("Config", 0, 0, 76, 50)).width, 76);
    EXPECT_EQ(nodeRect(window("Config", 0, 0, 50, 50, kVisible)).width, 50);

    // A child sits in its parent's client area; a caption longer than its field is cut.
    const std::string longCaption(60, 'x');
    const Node button = widget(config, "BUTTON", longCaption.c_str(), 4, 5, 40, 16);
    EXPECT_EQ(nodeRect(button).x, 205);
    EXPECT_EQ(nodeRect(button).y, 31);
    EXPECT_EQ(std::strlen(nodeCaption(button)), size_t(kCaptionMax));
    EXPECT_EQ(nodeParent(button), config);
    EXPECT_EQ(nodeParent(config), rootNode());

    // Moving the window moves the child with it.
    moveNode(config, 100, 100);
    EXPECT_EQ(nodeRect(button).x, 105);
    EXPECT_EQ(nodeRect(button).y, 121);
    // Unknown classes make nothing.
    EXPECT_EQ(createNode(kNoNode, "NOSUCHCLASS", "", 0, 0, 10, 10, kVisible), kNoNode);
}

TEST_F(Manager, TheCloseBoxHidesTheWindowAndShowBringsItBackInPlace) {
    const Node w = window("Stars", 100, 100, 200, 150);
    frame();
    // The close box: 12 pixels from the right, rows 3 to 13.
    click(100 + 200 - 8, 100 + 8);
    EXPECT_TRUE(nodeFlags(w) & kClosed);
    EXPECT_EQ(nodeUnderPointer(), rootNode());
    EXPECT_NE(activeNode(), w);  // pointer and keys no longer go to it
    // Nothing of it is drawn, and the pointer is over no window there.
    surface.pixels[0] = 0;
    draw::clear(surface, 0);
    frame();
    EXPECT_EQ(pixel(150, 150), 0u);
    EXPECT_EQ(input::pointerOverWindow, 0);

    showNode(w);
    EXPECT_FALSE(nodeFlags(w) & kClosed);
    EXPECT_EQ(activeNode(), w);
    EXPECT_EQ(nodeRect(w).x, 100);
    EXPECT_EQ(nodeRect(w).y, 100);
    frame();
    EXPECT_EQ(pixel(150, 150), colours().face);
    EXPECT_EQ(input::pointerOverWindow, 1);
}

TEST_F(Manager, DraggingByTheTitleBarKeepsTheGrabPointUnderThePointer) {
    const Node w = window("Drag me", 100, 100, 200, 150);
    frame();
    moveTo(130, 105);  // 30 in, 5 down the title bar
    press();
    for (int step = 1; step <= 10; ++step) {
        moveTo(130 + 17 * step, 105 + 9 * step);
        EXPECT_EQ(nodeRect(w).x, 100 + 17 * step) << step;
        EXPECT_EQ(nodeRect(w).y, 100 + 9 * step) << step;
    }
    // The first pass after the release ends the drag: the window stays where it was let go.
    release();
    moveTo(400, 400);
    EXPECT_EQ(nodeRect(w).x, 270);
    EXPECT_EQ(nodeRect(w).y, 190);

    // A press in the client area drags nothing.
    moveTo(300, 300);
    press();
    moveTo(350, 350);
    release();
    EXPECT_EQ(nodeRect(w).x, 270);
}

TEST_F(Manager, ClickingTheLowerOfTwoWindowsRaisesItAndItsAncestors) {
    const Node lower = window("Lower", 100, 100, 200, 150);
    const Node upper = window("Upper", 150, 150, 200, 150);
    // Both made without a parent: the later one at the head of the root's list, the bottom.
    EXPECT_EQ(firstChild(rootNode()), upper);
    setFaceColour(lower, 0x00FF0000u);
    setFaceColour(upper, 0x000000FFu);
    activateNode(upper);
    frame();
    EXPECT_EQ(pixel(200, 200), 0x000000FFu);  // the overlap shows the upper one

    // A click inside the lower window's child raises the child, the window and so the chain.
    const Node inner = widget(lower, "GROUP", "Inner", 10, 40, 60, 40);
    frame();
    click(nodeRect(inner).x + 5, nodeRect(inner).y + 20);
    EXPECT_EQ(activeNode(), inner);
    EXPECT_EQ(nextSibling(upper), lower);  // lower is the tail now: drawn last
    EXPECT_TRUE(nodeFlags(lower) & kActiveChain);
    EXPECT_TRUE(nodeFlags(inner) & kActiveChain);
    EXPECT_FALSE(nodeFlags(upper) & kActiveChain);
    frame();
    EXPECT_EQ(pixel(200, 200), 0x00FF0000u);
    // The active title bar is blue, the other grey.
    EXPECT_EQ(pixel(110, 105), colours().activeTitle);
    EXPECT_EQ(pixel(320, 155), colours().title);

    // The messages of the change: deactivate (new, previous) to the previous, activate to the new.
    seen().clear();
    click(320, 250);  // inside upper only
    const zwtest::Seen* off = last(kDeactivate);
    const zwtest::Seen* on = last(kActivate);
    ASSERT_TRUE(on);
    EXPECT_EQ(on->a1, upper);
    EXPECT_EQ(on->a2, inner);
    // The group is a widget of its own object: its deactivation did not reach the window class.
    EXPECT_EQ(off, nullptr);
}

TEST_F(Manager, ThePressThatActivatesANodeAlsoReachesIt) {
    // One click on the close box of a window that is not active closes it.
    const Node a = window("First", 50, 50, 150, 100);
    const Node b = window("Second", 300, 50, 150, 100);
    activateNode(a);
    frame();
    click(300 + 150 - 8, 58);
    EXPECT_TRUE(nodeFlags(b) & kClosed);

    // A press on a window's title bar starts the drag at once: the grab point is where it was.
    showNode(b);
    activateNode(a);
    frame();
    moveTo(320, 55);
    press();
    moveTo(330, 65);
    EXPECT_EQ(nodeRect(b).x, 310);
    EXPECT_EQ(nodeRect(b).y, 60);
    release();
}

TEST_F(Manager, APressRightAfterAMoveGoesWhereThePointerIsNow) {
    const Node w = window("Quick", 100, 100, 200, 150);
    const Node check = widget(w, "CHECK", "Fast", 10, 10, 80, 12);
    moveTo(50, 50);
    // Moved and clicked between two frames: the last frame saw the pointer elsewhere.
    int x, y;
    clientPoint(check, 5, 6, x, y);
    headless::setPointer(x, y);
    press();
    release();
    EXPECT_EQ(activeNode(), check);
    EXPECT_EQ(sendTo(check, kCheckGet), 1);
}

TEST_F(Manager, ButtonMessagesGoToTheActiveNodeInItsClientCoordinates) {
    const Node w = window("Messages", 100, 100, 200, 150, kTitleBar | kVisible | kFilled | kWantsMoves);
    frame();
    click(150, 160);
    ASSERT_TRUE(last(kLeftClick));
    EXPECT_EQ(last(kLeftClick)->a1, w);
    EXPECT_EQ(last(kLeftClick)->a2, 150 - 101);
    EXPECT_EQ(last(kLeftClick)->a3, 160 - 116);
    EXPECT_GE(count(kLeftHeld), 1);
    EXPECT_GE(count(kPointerMove), 2);  // it asked for them
    // The click was taken: the scene finds none pending.
    EXPECT_EQ(input::pointer.leftClick, 0);

    pass(platform::WM_RBUTTONDOWN);
    pass(platform::WM_RBUTTONUP);
    EXPECT_EQ(count(kRightHeld), 1);
    EXPECT_EQ(count(kRightClick), 1);

    // A press on the window released outside it clicks nothing, and nothing is left for the
    // scene; a click on the sky is the scene's.
    press();
    moveTo(500, 400);
    const int clicks = count(kLeftClick);
    release();
    EXPECT_EQ(count(kLeftClick), clicks);
    EXPECT_EQ(input::pointer.leftClick, 0);
    press();
    release();
    EXPECT_EQ(input::pointer.leftClick, 1);
}

TEST_F(Manager, AWindowsFillLeavesOutOnlyWhatItsChildrenPaintOver) {
    const Node w = window("Covers", 50, 50, 300, 200);
    setFaceColour(w, 0x00112233u);
    const Node list = widget(w, "LIST", "", 10, 10, 80, 60);             // filled: paints its own
    const Node hidden = widget(w, "LIST", "", 100, 10, 80, 60);          // closed: the window's face
    closeNode(hidden);
    const Node bare = createNode(w, "TESTWINDOW", "Bare", 10, 80, 100, 60, kVisible | kFilled | kTitleBar);
    const Node empty = createNode(w, "TESTWINDOW", "", 190, 10, 80, 60, kVisible);  // not filled
    activateNode(w);
    draw::clear(surface, 0x00FF00FFu);
    frame();
    auto inside = [](Node n, int dx, int dy) {
        const Rect r = nodeRect(n);
        return std::pair<int, int>{r.x + dx, r.y + dy};
    };
    auto at = [&](std::pair<int, int> p) { return pixel(p.first, p.second); };
    EXPECT_EQ(at(inside(list, 20, 30)), colours().listFace);
    EXPECT_EQ(at(inside(hidden, 20, 30)), 0x00112233u);
    EXPECT_EQ(at(inside(empty, 20, 30)), 0x00112233u);
    // A title bar without a frame leaves the outer ring to the window's fill.
    EXPECT_EQ(at(inside(bare, 0, 30)), 0x00112233u);
    EXPECT_EQ(at(inside(bare, 20, 30)), colours().face);
    // Nothing of what lay there before the frame shows inside the window.
    const Rect c = clientRect(w);
    for (int y = c.y; y < c.y + c.height; ++y)
        for (int x = c.x; x < c.x + c.width; ++x) ASSERT_NE(pixel(x, y), 0x00FF00FFu) << x << "," << y;
}

TEST_F(Manager, ThePointerOverAWindowIsSetByTheFrameAndClearedWhileTheGuiIsHidden) {
    window("Over", 100, 100, 200, 150);
    moveTo(50, 50);
    EXPECT_EQ(input::pointerOverWindow, 0);
    moveTo(101, 101);
    EXPECT_EQ(input::pointerOverWindow, 1);
    // The edges themselves are outside: the test is strict.
    moveTo(100, 150);
    EXPECT_EQ(input::pointerOverWindow, 0);
    moveTo(299, 249);
    EXPECT_EQ(input::pointerOverWindow, 1);
    zwindows::hiddenFrame();
    EXPECT_EQ(input::pointerOverWindow, 0);
}

// The help handler of the tests: the topics it got.
std::vector<intptr_t> topics;
int32_t helpProc(zode::Message* m) {
    if (m->code == kHelpPick) topics.push_back(m->a1);
    return 1;
}

TEST_F(Manager, AHelpPickGivesTheClickedWidgetsTopicToTheHelpHandler) {
    const zode::Request r{0, reinterpret_cast<const void*>(&helpProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("HELPWINDOW", r), 0);
    const Node help = createNode(kNoNode, "HELPWINDOW", "Help", 400, 300, 100, 80, kVisible);
    setHelpHandler(help);
    topics.clear();

    const Node w = window("Panel", 100, 100, 200, 150);
    const Node check = widget(w, "CHECK", "Show stars", 4, 4, 100, 12);
    setHelpTopic(check, 0x1101);
    setHelpTopic(w, 0x1700);
    frame();

    startHelpPick();
    EXPECT_EQ(helpPickActive(), 1);
    EXPECT_EQ(video::state.pointerKind, video::kHelpPointer);
    seen().clear();
    int x, y;
    clientPoint(check, 6, 6, x, y);
    click(x, y);
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_EQ(topics[0], 0x1101);
    EXPECT_EQ(sendTo(check, kCheckGet), 0);  // the click did not reach it
    EXPECT_EQ(count(kActivate), 0);          // nor did the activation messages
    EXPECT_EQ(helpPickActive(), 0);
    EXPECT_EQ(video::state.pointerKind, video::kNormalPointer);
    // Out of the mode the click acts again.
    click(x, y);
    EXPECT_EQ(sendTo(check, kCheckGet), 1);
    EXPECT_EQ(topics.size(), 1u);

    // A pick ended elsewhere hands over what it is given (the main loop: 0xFFFF).
    startHelpPick();
    endHelpPick(0xFFFF);
    EXPECT_EQ(topics.back(), 0xFFFF);
}

TEST_F(Manager, TypedCharactersGoToTheEditThatHasTheKeyboard) {
    const Node w = window("Search", 100, 100, 200, 100);
    const Node edit = widget(w, "EDIT", "", 4, 4, 150, 16);
    frame();
    int x, y;
    clientPoint(edit, 20, 8, x, y);
    click(x, y);
    EXPECT_EQ(input::editHasKeyboard, 1);
    // Keys do not reach the program meanwhile: no camera moves, no quit.
    const CameraRecord before = *camera::activeCamera();
    pass(platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
    pass(platform::WM_KEYDOWN, platform::VK_UP, 1);
    EXPECT_EQ(app::quit, 0);
    EXPECT_EQ(std::memcmp(&before, camera::activeCamera(), sizeof before), 0);
    type("Sirius");
    char text[kEditMax + 1];
    EXPECT_EQ(sendTo(edit, kEditGetText, reinterpret_cast<intptr_t>(text), sizeof text), 6);
    EXPECT_STREQ(text, "Sirius");

    // A click elsewhere commits the field and gives the keyboard back.
    click(50, 50);
    EXPECT_EQ(input::editHasKeyboard, 0);
    ASSERT_FALSE(notes(edit).empty());
    EXPECT_STREQ(reinterpret_cast<const char*>(notes(edit).back().first), "Sirius");
    EXPECT_EQ(notes(edit).back().second, 6);

    // Closing the window of a field that holds the keyboard gives it back too.
    click(x, y);
    ASSERT_EQ(input::editHasKeyboard, 1);
    closeNode(w);
    EXPECT_EQ(input::editHasKeyboard, 0);
    type("x");
    EXPECT_EQ(sendTo(edit, kEditGetText, reinterpret_cast<intptr_t>(text), sizeof text), 6);
    // As does destroying it.
    showNode(w);
    click(x, y);
    ASSERT_EQ(input::editHasKeyboard, 1);
    destroyNode(w);
    EXPECT_EQ(input::editHasKeyboard, 0);
    EXPECT_EQ(activeNode(), rootNode());
}

TEST_F(Manager, AFieldThatHeldTheKeyboardGetsItBackAfterAHelpPickElsewhere) {
    const zode::Request r{0, reinterpret_cast<const void*>(&helpProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("HELPWINDOW", r), 0);
    setHelpHandler(createNode(kNoNode, "HELPWINDOW", "Help", 400, 300, 100, 80, kVisible));
    const Node w = window("Search", 100, 100, 200, 100);
    const Node edit = widget(w, "EDIT", "", 4, 4, 150, 16);
    const Node check = widget(w, "CHECK", "Stars", 4, 40, 100, 12);
    frame();
    int ex, ey, cx, cy;
    clientPoint(edit, 20, 8, ex, ey);
    clientPoint(check, 6, 6, cx, cy);
    click(ex, ey);
    type("Vega");
    ASSERT_EQ(input::editHasKeyboard, 1);

    // The pick's click moves the activation to the check without a word; the field is told
    // when the pick ends, commits what was typed and gives the keyboard back.
    startHelpPick();
    click(cx, cy);
    EXPECT_EQ(helpPickActive(), 0);
    EXPECT_EQ(input::editHasKeyboard, 0);
    ASSERT_FALSE(notes(edit).empty());
    EXPECT_STREQ(reinterpret_cast<const char*>(notes(edit).back().first), "Vega");
    pass(platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
    EXPECT_EQ(app::quit, 1);  // keys reach the program again
    app::quit = 0;

    // A pick that ends where it began changes nothing.
    click(ex, ey);
    ASSERT_EQ(input::editHasKeyboard, 1);
    startHelpPick();
    endHelpPick(0xFFFF);
    EXPECT_EQ(input::editHasKeyboard, 1);
}

TEST_F(Manager, FullTablesRefuseAndChangeNothing) {
    // Classes: the seven widgets and the tests' window are in; names are unique and bounded.
    const zode::Request r{0, reinterpret_cast<const void*>(&zwtest::recordProc), zode::kDirect, nullptr};
    EXPECT_EQ(registerClass("TESTWINDOW", r), 0);
    EXPECT_EQ(registerClass("", r), 0);
    EXPECT_EQ(registerClass(std::string(kClassNameMax + 1, 'A').c_str(), r), 0);
    EXPECT_EQ(findClass("BUTTON"), 0);
    EXPECT_EQ(findClass("HTML"), 6);
    int added = 0;
    for (int i = 0; i < kMaxClasses + 5; ++i) added += registerClass(("CLASS" + std::to_string(i)).c_str(), r) > 0;
    EXPECT_EQ(added, kMaxClasses - 8);
    EXPECT_EQ(findClass(("CLASS" + std::to_string(kMaxClasses - 8)).c_str()), -1);

    // Nodes: as many as the table holds, then none; the bus keeps its objects for the rest.
    int made = 0;
    while (window("n", 0, 0, 10, 10, kVisible) != kNoNode) ++made;
    EXPECT_EQ(nodeCount(), kMaxNodes);
    EXPECT_EQ(made, kMaxNodes - 1);  // the root has the first slot
    frame();                          // and a full tree draws
}

TEST_F(Manager, ATreeDeeperThanAnyWalkIsDrawnMovedRoutedAndDestroyed) {
    Node top = window("Top", 10, 10, 300, 300, kVisible | kFilled);
    Node node = top;
    for (int i = 0; i < 900; ++i) {
        node = createNode(node, "TESTWINDOW", "", 0, 0, 300, 300, kVisible | kFilled);
        ASSERT_NE(node, kNoNode) << i;
    }
    frame();
    EXPECT_EQ(nodeUnderPointer(), rootNode());
    moveTo(50, 50);
    EXPECT_EQ(nodeUnderPointer(), node);  // the deepest
    click(50, 50);
    EXPECT_EQ(activeNode(), node);
    moveNode(top, 20, 20);
    EXPECT_EQ(nodeRect(node).x, 20);
    const int before = nodeCount();
    destroyNode(top);
    EXPECT_EQ(nodeCount(), before - 901);
    EXPECT_FALSE(nodeExists(node));
    EXPECT_EQ(activeNode(), rootNode());
}

// A window class whose object subscribes to the camera events, as the panels' groups do.
int32_t panelProc(zode::Message* m) {
    if (m->code == zode::kCreate) {
        zode::subscribe(zode::kEventCameraChanged, m->object);
        zode::subscribe(zode::kEventCameraMoved, m->object);
    }
    return 1;
}

TEST_F(Manager, WindowsMadeAndDestroyedTenThousandTimesLeaveNothingBehind) {
    const zode::Request r{16, reinterpret_cast<const void*>(&panelProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("ZPANEL", r), 0);
    frame();
    const zode::Usage before = zode::usage();
    const int nodesBefore = nodeCount();
    Node previous = kNoNode;
    for (int i = 0; i < 10000; ++i) {
        const Node w = createNode(kNoNode, "ZPANEL", "Panel", 10, 10, 300, 300, kTitleBar | kVisible | kFilled);
        ASSERT_NE(w, kNoNode) << i;
        widget(w, "BUTTON", "Load", 4, 4, 48, 16);
        widget(w, "EDIT", "mag", 4, 24, 100, 12);
        const Node list = widget(w, "LIST", "", 4, 40, 136, 100);
        sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>("orion-family.map"), 1);
        const Node html = widget(w, "HTML", "", 150, 40, 140, 200);
        sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("?7200"));
        if (i % 1000 == 0) {
            showNode(w);
            frame();
        }
        destroyNode(w);
        // A handle kept past its node names nothing, not the node that takes the slot next.
        if (previous != kNoNode) {
            EXPECT_FALSE(nodeExists(previous));
            EXPECT_EQ(nodeHandler(previous), -1);
            setCaption(previous, "stale");
            closeNode(previous);
        }
        previous = w;
    }
    const zode::Usage after = zode::usage();
    EXPECT_EQ(after.objects, before.objects);
    EXPECT_EQ(after.subscriptions, before.subscriptions);
    EXPECT_EQ(nodeCount(), nodesBefore);
    // And the event still reaches a new panel: its subscriptions were freed, not used up.
    EXPECT_NE(createNode(kNoNode, "ZPANEL", "Panel", 10, 10, 300, 300, kVisible), kNoNode);
    EXPECT_EQ(zode::usage().subscriptions, before.subscriptions + 2);
}

// A class whose node destroys itself while it paints, and its sibling on a click.
Node victim = kNoNode;
int32_t selfDestroyProc(zode::Message* m) {
    if (m->code == kPaint) destroyNode(static_cast<Node>(m->a1));
    if (m->code == kLeftClick && victim != kNoNode) destroyNode(victim);
    return 1;
}

TEST_F(Manager, NodesDestroyedByTheirHandlersDuringAPassAreFreedWhenItIsOver) {
    const zode::Request r{0, reinterpret_cast<const void*>(&selfDestroyProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("FLEETING", r), 0);
    const int before = nodeCount();
    const Node w = createNode(kNoNode, "FLEETING", "Gone", 10, 10, 100, 100, kVisible);
    widget(w, "BUTTON", "In it", 4, 4, 40, 16);
    frame();
    EXPECT_FALSE(nodeExists(w));
    EXPECT_EQ(nodeCount(), before);

    // A click whose handler destroys another window, made after it and so below it.
    victim = window("Victim", 210, 210, 80, 80);
    const Node clicker = createNode(kNoNode, "FLEETING", "", 200, 200, 100, 100, 0);
    frame();
    click(205, 205);
    EXPECT_EQ(activeNode(), clicker);
    EXPECT_FALSE(nodeExists(victim));
    EXPECT_TRUE(nodeExists(clicker));
    frame();
    victim = kNoNode;
}

// A class whose object makes another node as soon as it is registered.
Node madeInside = kNoNode;
int32_t nestingProc(zode::Message* m) {
    if (m->code == zode::kCreate && madeInside == kNoNode)
        madeInside = createNode(kNoNode, "TESTWINDOW", "Inner", 0, 0, 10, 10, kVisible);
    return 1;
}

TEST_F(Manager, ANodeMadeWhileAnotherNodesObjectIsRegisteredTakesASlotOfItsOwn) {
    const zode::Request r{0, reinterpret_cast<const void*>(&nestingProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("NESTING", r), 0);
    madeInside = kNoNode;
    const Node outer = createNode(kNoNode, "NESTING", "Outer", 0, 0, 10, 10, kVisible);
    ASSERT_NE(outer, kNoNode);
    ASSERT_NE(madeInside, kNoNode);
    EXPECT_NE(outer & (kMaxNodes - 1), madeInside & (kMaxNodes - 1));
    EXPECT_STREQ(nodeCaption(outer), "Outer");
    EXPECT_STREQ(nodeCaption(madeInside), "Inner");
    // A node made active inside a closed window gets no pointer messages.
    const Node w = window("Shut", 100, 100, 200, 150);
    const Node inner = createNode(w, "TESTWINDOW", "", 10, 10, 80, 40, kVisible | kWantsMoves);
    frame();
    closeNode(w);
    activateNode(inner);
    seen().clear();
    int x, y;
    clientPoint(inner, 5, 6, x, y);
    moveTo(x, y);
    moveTo(x + 1, y);
    EXPECT_EQ(zwtest::count(kPointerMove), 0);
}

TEST_F(Manager, HoldingTheButtonStillRepeatsTheRoutingPass) {
    const Node w = window("Held", 100, 100, 200, 150);
    frame();
    moveTo(150, 150);
    press();
    const int held = count(kLeftHeld);
    // No message arrives while the button is held still: frames alone.
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_EQ(count(kLeftHeld), held);  // the clock has not moved: no repeat yet
    clock() += 399;
    frame();
    EXPECT_EQ(count(kLeftHeld), held);
    clock() += 2;
    frame();
    EXPECT_EQ(count(kLeftHeld), held + 1);
    frame();  // within the interval
    EXPECT_EQ(count(kLeftHeld), held + 1);
    for (int i = 0; i < 4; ++i) {
        clock() += 26;
        frame();
    }
    EXPECT_EQ(count(kLeftHeld), held + 5);
    release();
    clock() += 1000;
    frame();
    EXPECT_EQ(count(kLeftHeld), held + 5);
    (void)w;
}

}  // namespace

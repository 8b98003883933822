// The toolbar: its slide, the buttons and the menu as a user presses them, the help pick on the
// bar, the bar's left part, and the bar lying over the sky and the windows.
#include <cmath>
#include <vector>

#include "panels_fixture.h"

namespace {

using ptest::PanelsTest;
using namespace zwindows;

const ToolbarAction& button(uint32_t topic) {
    for (int i = 0; i < kToolbarButtonCount; ++i)
        if (kToolbarButtons[i].helpTopic == topic) return kToolbarButtons[i];
    return kToolbarButtons[0];
}
const ToolbarAction& entry(uint32_t topic) {
    for (int i = 0; i < kToolbarMenuCount; ++i)
        if (kToolbarMenu[i].helpTopic == topic) return kToolbarMenu[i];
    return kToolbarMenu[0];
}

std::vector<intptr_t> journeyEnds;
int32_t journeyProc(zode::Message* m) {
    if (m->code == zode::kEventJourneyEnd) journeyEnds.push_back(m->a1);
    return 1;
}

class Toolbar : public PanelsTest {};

TEST_F(Toolbar, TheMenuSlidesUpInSevenFramesAndDownAgain) {
    EXPECT_EQ(toolbarTop(), H() - 28);
    EXPECT_EQ(toolbarIsOpen(), 0);
    EXPECT_EQ(toolbarOpen(), 0);
    EXPECT_EQ(toolbarIsOpen(), 1);  // at once, so that the menu slides up with the bar
    std::vector<int> tops;
    for (int i = 0; i < 9; ++i) {
        frame();
        tops.push_back(toolbarTop());
    }
    // 16 pixels a frame, stopping at the first place at or above H − 128.
    EXPECT_EQ(tops, (std::vector<int>{H() - 44, H() - 60, H() - 76, H() - 92, H() - 108, H() - 124, H() - 140,
                                      H() - 140, H() - 140}));
    EXPECT_EQ(toolbarOpen(), 1);
    EXPECT_EQ(toolbarClose(), 1);
    int frames = 0;
    while (toolbarIsOpen() && frames < 20) {
        frame();
        ++frames;
    }
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(toolbarTop(), H() - 28);
}

TEST_F(Toolbar, TheOpenButtonSlidesOnItsReleaseAndItsNeighboursDoNothing) {
    const int T = toolbarTop();
    const CameraRecord before = cam();
    // Just outside the open button, and just outside the zoom-out button's other end.
    for (int c : {203, 226, 176, 201}) click(R() + c, T + 12);
    EXPECT_EQ(toolbarIsOpen(), 0);
    EXPECT_EQ(cam().zoom, before.zoom);
    EXPECT_EQ(helpPickActive(), 0);

    moveTo(R() + 215, T + 12);
    press();
    frame();
    EXPECT_EQ(toolbarTop(), T);  // held: nothing moves yet
    release();
    EXPECT_EQ(toolbarIsOpen(), 1);
    EXPECT_LT(toolbarTop(), T);
}

TEST_F(Toolbar, TheButtonsActOnTheCameraAsTheKeysDo) {
    const int T = toolbarTop();
    camera::takeRebuild();
    const double zoom = cam().zoom, zclip = cam().zclip;
    clickAction(button(0x8002));
    EXPECT_DOUBLE_EQ(cam().zoom, zoom + 0.1);
    EXPECT_DOUBLE_EQ(cam().zclip, zclip + 1e8);
    EXPECT_EQ(camera::rebuildSky, 0);
    clickAction(button(0x8003));
    EXPECT_DOUBLE_EQ(cam().zoom, zoom);

    // Roll: the view's right axis turns about the viewing axis, which stays.
    const Matrix4 m = cam().Cam;
    clickAction(button(0x8005));
    EXPECT_NEAR(cam().Cam.m[2][0], m.m[2][0], 1e-12);
    const double turned = std::acos(cam().Cam.m[0][0] * m.m[0][0] + cam().Cam.m[0][1] * m.m[0][1] +
                                    cam().Cam.m[0][2] * m.m[0][2]);
    EXPECT_NEAR(turned, 0.03, 1e-4);  // the default camera's rows are given to six places
    clickAction(button(0x8004));
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(cam().Cam.m[0][k], m.m[0][k], 1e-12);

    // The information form, and its mark under the buttons.
    EXPECT_EQ(infoFormDetails(), 1);
    frame();
    EXPECT_EQ(draw::getPixel(surface, W() - 170, T + 22), video::colours.green[0]);
    clickAction(button(0x8006));
    EXPECT_EQ(infoFormDetails(), 0);
    EXPECT_EQ(draw::getPixel(surface, W() - 170, T + 22), video::colours.green[8]);
    key('I');
    EXPECT_EQ(infoFormDetails(), 1);

    // Travel to the lock and stop: the journey ends with event 513 and 0.
    journeyEnds.clear();
    const zode::Request r{0, reinterpret_cast<const void*>(&journeyProc), zode::kDirect, nullptr};
    zode::subscribe(zode::kEventJourneyEnd, zode::registerObject(&r));
    camera::setMode(camera::kModeInterstellar);
    camera::lockObject(0x128CE);
    clickAction(button(0x8008));
    EXPECT_EQ(cam().travelling, 1);
    clickAction(button(0x8007));
    EXPECT_EQ(cam().travelling, 0);
    EXPECT_EQ(journeyEnds, (std::vector<intptr_t>{0}));
}

TEST_F(Toolbar, TogglesActOncePerPressAndZoomRepeatsWhileHeld) {
    const int T = toolbarTop();
    const ToolbarAction& form = button(0x8006);
    moveTo(R() + form.from + 2, T + 12);
    press();
    for (int i = 0; i < 4; ++i) moveTo(R() + form.from + 3 + i, T + 12);
    release();
    EXPECT_EQ(infoFormDetails(), 0);

    const double zoom = cam().zoom;
    const ToolbarAction& in = button(0x8002);
    moveTo(R() + in.from + 2, T + 12);
    press();
    for (int i = 0; i < 3; ++i) moveTo(R() + in.from + 3 + i, T + 12);
    EXPECT_NEAR(cam().zoom, zoom + 0.4, 1e-9);  // the press and three moves
    // Held still, it zooms on at the scroll arrows' pace once the repeat delay has passed.
    clock() += 500;
    frame();
    EXPECT_NEAR(cam().zoom, zoom + 0.5, 1e-9);
    frame();
    EXPECT_NEAR(cam().zoom, zoom + 0.5, 1e-9);  // no time has passed
    clock() += 30;
    frame();
    EXPECT_NEAR(cam().zoom, zoom + 0.6, 1e-9);
    release();
    clock() += 500;
    frame();
    EXPECT_NEAR(cam().zoom, zoom + 0.6, 1e-9);
}

TEST_F(Toolbar, AHelpPickOnAButtonGivesItsTopicAndLeavesItUndone) {
    const Node help = panelWindow(kHelpPanel);
    ASSERT_NE(help, kNoNode);
    EXPECT_NE(nodeFlags(help) & kClosed, 0u);
    const double zoom = cam().zoom;
    key('H');
    EXPECT_EQ(helpPickActive(), 1);
    moveTo(R() + 140, toolbarTop() + 12);
    press();
    EXPECT_EQ(helpPickActive(), 1);  // the topic is kept for the release
    release();
    EXPECT_EQ(helpPickActive(), 0);
    EXPECT_EQ(cam().zoom, zoom);
    // The Help window came up with the zoom-in page.
    EXPECT_EQ(nodeFlags(help) & kClosed, 0u);
    const Viewer* v = htmlViewer(find(help, "HTML"));
    ASSERT_NE(v, nullptr);
    ASSERT_GT(v->itemCount, 0);
    EXPECT_EQ(std::string(v->text + v->items[0].text, v->items[0].length), "Zoom in");
    ASSERT_GT(v->historyCount, 0);
    EXPECT_STREQ(v->history[v->historyCurrent], "?8002");

    // The bar's left part and the area below it have topics of their own.
    key('H');
    click(100, toolbarTop() + 10);
    EXPECT_STREQ(v->history[v->historyCurrent], "?8020");
    EXPECT_EQ(infoShowsLock(), 0);  // not toggled
    openToolbar();
    key('H');
    click(100, toolbarTop() + 60);
    EXPECT_STREQ(v->history[v->historyCurrent], "?8030");
    // A menu entry's topic.
    key('H');
    clickAction(entry(0x8015));
    EXPECT_STREQ(v->history[v->historyCurrent], "?8015");
    EXPECT_NE(nodeFlags(panelWindow(kSearchPanel)) & kClosed, 0u);  // the panel did not come up
}

TEST_F(Toolbar, TheMenuSwitchesViewsShowsPanelsAndExits) {
    openToolbar();
    camera::lockObject(0x128CE);
    clickAction(entry(0x8010));
    EXPECT_EQ(cam().mode, camera::kModeInterstellar);
    clickAction(entry(0x8012));
    EXPECT_EQ(cam().mode, camera::kModeLocalSpace);
    clickAction(entry(0x8011));
    EXPECT_EQ(cam().mode, camera::kModeSystem);
    EXPECT_EQ(cam().system, 0x128CE);

    const std::pair<uint32_t, const char*> panels[] = {{0x8013, kCameraPanel},  {0x8014, kLocationPanel},
                                                       {0x8015, kSearchPanel},  {0x8016, kMarkersPanel},
                                                       {0x8017, kPluginsPanel}, {0x8018, kConfigPanel}};
    for (auto [topic, cls] : panels) {
        const Node w = panelWindow(cls);
        ASSERT_NE(w, kNoNode) << cls;
        EXPECT_NE(nodeFlags(w) & kClosed, 0u) << cls;
        clickAction(entry(topic));
        EXPECT_EQ(nodeFlags(w) & kClosed, 0u) << cls;
        EXPECT_EQ(activeNode(), w) << cls;
        closeNode(w);
    }
    EXPECT_EQ(app::quit, 0);
    // Exit acts as Escape: the loop ends after the release.
    clickAction(entry(0x8000));
    EXPECT_EQ(app::quit, 1);
    EXPECT_EQ(app::active, 0);
}

TEST_F(Toolbar, TheBarTogglesTheSelectionModeAndTheCameraMarksFollowTheActiveCamera) {
    click(100, toolbarTop() + 10);
    EXPECT_EQ(infoShowsLock(), 1);
    key(platform::VK_F11);
    EXPECT_EQ(infoShowsLock(), 0);

    const int T = toolbarTop();
    for (int n : {0, 3, 7}) {
        camera::selectCamera(n);
        frame();
        for (int i = 0; i < camera::kCameras; ++i)
            for (int dx : {0, 1})
                EXPECT_EQ(draw::getPixel(surface, W() - 224 + 4 * i + dx, T + 24),
                          i == n ? video::colours.green[0] : video::colours.green[8])
                    << "camera " << n << " mark " << i;
    }
}

TEST_F(Toolbar, TheBarTakesItsClicksFromTheSkyAndTheWindowsBehindIt) {
    const int T = toolbarTop();
    // A check box of a window that lies under the bar.
    const zode::Request r{0, reinterpret_cast<const void*>(+[](zode::Message*) { return 1; }), zode::kDirect,
                          nullptr};
    registerClass("UNDERBAR", r);
    const Node w = createNode(kNoNode, "UNDERBAR", "Under", 10, T - 40, 200, 80, kTitleBar | kFramed | kFilled | kVisible);
    const Node check = createNode(w, "CHECK", "Behind", 4, 30, 120, 12, kVisible | kFilled);
    const Rect c = clientRect(check);
    ASSERT_GT(c.y + 6, T);
    moveTo(c.x + 5, c.y + 6);
    EXPECT_EQ(input::pointerOverToolbar, 1);
    press();
    EXPECT_EQ(input::pointer.leftDown, 1);
    release();
    EXPECT_EQ(input::pointer.leftClick, 0);  // taken: neither the sky nor the check gets it
    EXPECT_EQ(checked(check), 0);
    EXPECT_EQ(infoShowsLock(), 1);  // the bar's own click
    // Above the bar the same window takes its clicks again.
    const Rect title = nodeRect(w);
    moveTo(title.x + 30, title.y + 30);
    EXPECT_EQ(input::pointerOverToolbar, 0);
}

}  // namespace

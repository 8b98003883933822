// The pointer poll, mouse-look, buttons and clicks, the wheel and the GUI routing of messages.
#include <cmath>

#include "input_fixture.h"
#include "base/vecmath.h"

namespace {

using namespace platform;
using itest::InputTest;
using itest::seen;

double maxDifference(const Matrix4& a, const Matrix4& b) {
    double d = 0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) d = std::fmax(d, std::fabs(a.m[r][c] - b.m[r][c]));
    return d;
}

void poll(int x, int y) {
    headless::setPointer(x, y);
    input::pollInput();
}

TEST_F(InputTest, EveryPollBroadcastsThePointerAndItsMotion) {
    poll(100, 50);
    poll(100, 50);
    poll(130, 40);
    ASSERT_EQ(seen().size(), 3u) << "257 is sent in every poll, moved or not";
    for (const itest::Seen& s : seen()) EXPECT_EQ(s.code, zode::kEventPointer);
    EXPECT_EQ(seen()[1].a1, 100);
    EXPECT_EQ(seen()[1].a2, 50);
    EXPECT_EQ(seen()[2].a1, 130);
    EXPECT_EQ(seen()[2].a2, 40);
    EXPECT_EQ(input::pointer.dx, 30);
    EXPECT_EQ(input::pointer.dy, -10);

    // The video layer's pointer and the scene's pick position are the polled one, not the
    // platform's cursor of the moment.
    headless::setPointer(5, 6);
    EXPECT_EQ(input::pointer.x, 130);
    EXPECT_EQ(input::pointer.y, 40);
}

TEST_F(InputTest, MouseLookTurnsOneRadianPer120PixelsWhileTheRightButtonIsHeld) {
    poll(200, 200);
    const Matrix4 start = cam().Cam;
    poll(260, 200);  // no button: the pointer just moves
    EXPECT_EQ(maxDifference(cam().Cam, start), 0.0);

    message(WM_RBUTTONDOWN);
    poll(300, 200);
    poll(330, 200);
    poll(380, 200);  // 120 pixels to the right over three frames
    message(WM_RBUTTONUP);
    poll(500, 200);
    Matrix4 expected = start;
    vmath::rotateCamera(expected, 0, -1.0, 0);
    EXPECT_LT(maxDifference(cam().Cam, expected), 1e-12) << "yaw −1 rad in total";

    // Down is pitch +dy/120.
    message(WM_RBUTTONDOWN);
    poll(500, 260);
    Matrix4 pitched = expected;
    vmath::rotateCamera(pitched, 0.5, 0, 0);
    EXPECT_LT(maxDifference(cam().Cam, pitched), 1e-12);
    EXPECT_EQ(count(zode::kEventCameraTurned), 4);
}

TEST_F(InputTest, ButtonsRecordDownAndClickStates) {
    message(WM_LBUTTONDOWN);
    EXPECT_EQ(input::pointer.leftDown, 1);
    EXPECT_EQ(input::pointer.leftClick, 0) << "a press is not a click";
    EXPECT_EQ(input::takeLeftClick(), 0);
    message(WM_LBUTTONUP);
    EXPECT_EQ(input::pointer.leftDown, 0);
    EXPECT_EQ(input::pointer.leftClick, 1);
    EXPECT_EQ(input::takeLeftClick(), 1);
    EXPECT_EQ(input::takeLeftClick(), 0) << "a click is taken once";

    // A release without a press (the press went elsewhere) is no click.
    message(WM_MBUTTONUP);
    EXPECT_EQ(input::pointer.middleClick, 0);
    // A press while the button is already down (its release was lost) keeps the state before it.
    message(WM_RBUTTONDOWN);
    message(WM_RBUTTONDOWN);
    EXPECT_EQ(input::pointer.rightClick, 1);
    EXPECT_EQ(input::pointer.rightDown, 1);

    // The program switched away: whatever is held is released there.
    message(WM_MBUTTONDOWN);
    message(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(input::pointer.rightDown, 0);
    EXPECT_EQ(input::pointer.middleDown, 0);
    const Matrix4 start = cam().Cam;
    poll(50, 50);
    poll(90, 70);
    EXPECT_EQ(maxDifference(cam().Cam, start), 0.0) << "no mouse-look after focus came back";
    message(WM_ACTIVATEAPP, 1);
}

TEST_F(InputTest, WheelMovesOneStepAndWithTheMiddleButtonChangesTheSpeed) {
    const Vector3 f{cam().Cam.m[2][0], cam().Cam.m[2][1], cam().Cam.m[2][2]};
    cam().mode = camera::kModeInterstellar;
    // The wheel moves `speed` steps of `speed` light years: 4 ly at speed 2.
    cam().speed = 2.0;
    EXPECT_EQ(message(WM_MOUSEWHEEL, static_cast<uintptr_t>(120) << 16), 0);
    EXPECT_NEAR(cam().IPos.x, 4 * f.x, 1e-12);
    EXPECT_NEAR(cam().IPos.z, 4 * f.z, 1e-12);
    EXPECT_EQ(camera::rebuildSky, 1);
    wheel(-120);
    wheel(-240);  // one move per message, whatever the delta
    EXPECT_NEAR(cam().IPos.x, -4 * f.x, 1e-12);
    EXPECT_NEAR(cam().IPos.y, -4 * f.y, 1e-12);

    message(WM_MBUTTONDOWN);
    const Vector3 at = cam().IPos;
    camera::rebuildSky = 0;
    wheel(120);
    EXPECT_EQ(cam().speed, 2.5);
    EXPECT_EQ(camera::rebuildSky, 1);
    wheel(-120);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(cam().speed, 1.0);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(cam().speed, 0.5) << "the speed never reaches zero";
    EXPECT_EQ(cam().IPos.x, at.x);
    message(WM_MBUTTONUP);
}

TEST_F(InputTest, ButtonsCountWhetherOrNotTheGuiIsShownAndCloseReachesTheDefault) {
    message(WM_LBUTTONDOWN);
    app::guiVisible = 0;
    message(WM_LBUTTONUP);
    EXPECT_EQ(input::pointer.leftClick, 1) << "buttons count with the GUI hidden too";

    // A close request reaches the default handling, which destroys the window.
    app::guiVisible = 1;
    ASSERT_TRUE(createMainWindow("t", app::mainWindowProc));
    message(WM_CLOSE);
    EXPECT_TRUE(headless::windowClosed());
    destroyMainWindow();
}

}  // namespace

// Keys, characters and their events: the key table, modifiers, keyboard focus and the order of
// the program's handling and event 258.
#include <cmath>
#include <cstring>
#include <string>

#include "input_fixture.h"
#include "base/vecmath.h"
#include "support/synthcatalog.h"

namespace {

using namespace platform;
using itest::InputTest;
using itest::seen;

bool sameCam(const Matrix4& a, const Matrix4& b, double eps = 1e-12) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(a.m[r][c] - b.m[r][c]) > eps) return false;
    return true;
}

TEST_F(InputTest, EscapeEndsTheProgramBeforeObserversHearTheKey) {
    key(VK_ESCAPE);
    EXPECT_EQ(app::quit, 1);
    EXPECT_EQ(app::active, 0);
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].code, zode::kEventKey);
    EXPECT_EQ(seen()[0].a1, VK_ESCAPE);
    EXPECT_EQ(seen()[0].quitAtThatTime, 1) << "event 258 follows the program's own handling";
}

TEST_F(InputTest, KeysWithoutActionStillReachObservers) {
    key('Q');
    key(VK_F10);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{zode::kEventKey, zode::kEventKey}));
    EXPECT_EQ(seen()[0].a1, 'Q');
    EXPECT_EQ(seen()[1].a1, VK_F10);
}

TEST_F(InputTest, FunctionKeysSelectSaveAndLoadCameras) {
    key(VK_F3);
    EXPECT_EQ(camera::activeCameraIndex(), 2);

    // Ctrl saves the camera of the key (here the active one, changed), without switching.
    cam().speed = 42.0;
    key(VK_F3, false, true);
    EXPECT_EQ(camera::activeCameraIndex(), 2);

    // F1 goes to camera 0; Shift+F3 reads camera 2 back from the store and selects it.
    key(VK_F1);
    camera::editCamera(2)->speed = 1.0;
    key(VK_F3, true, false);
    EXPECT_EQ(camera::activeCameraIndex(), 2);
    EXPECT_EQ(cam().speed, 42.0);

    // Shift is tested before Ctrl: both held loads, it does not save.
    cam().speed = 7.0;
    key(VK_F3, true, true);
    EXPECT_EQ(cam().speed, 42.0);
}

TEST_F(InputTest, CtrlKeysTakeScreenshotsAndGoToMacrosOnly) {
    key(VK_F9, false, true);
    EXPECT_EQ(video::state.screenshotPending, 1);
    EXPECT_EQ(app::guiVisible, 1) << "Ctrl+F9 is not F9";

    // Without the macro code a Ctrl combination does nothing but the key event.
    const uint32_t flags = cam().flags;
    key('A', false, true);
    EXPECT_EQ(cam().flags, flags) << "Ctrl+A is a macro key, not the label toggle";

    static std::vector<std::string> commands;
    commands.clear();
    console::setCommandRunner([](const char* command) { commands.push_back(command); });
    console::defineMacro('A', "first");
    console::defineMacro(VK_ESCAPE, "second");
    console::defineMacro(VK_F2, "never");
    key('A', false, true);
    key(VK_ESCAPE, false, true);
    key(VK_F2, false, true);  // a camera save, not a macro
    EXPECT_EQ(commands, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(app::quit, 0);
    EXPECT_EQ(cam().flags, flags);
    EXPECT_EQ(count(zode::kEventKey), 5);
}

TEST_F(InputTest, EveryKeyHasItsTargetAndThePanelKeysWithoutWindowsLeaveTheCamera) {
    int count = 0;
    const input::KeyAction* keys = input::keyTable(count);
    std::string absent;
    for (int i = 0; i < count; ++i)
        if (!keys[i].run) absent += static_cast<char>(keys[i].vk);
    EXPECT_EQ(absent, "");

    // Without the windows running the panel keys show nothing and change nothing.
    const CameraRecord before = cam();
    for (int vk : {int('H'), int('C'), int('L'), int('K'), int('P'), int('S'), int('X')}) key(vk);
    EXPECT_EQ(std::memcmp(&before, &cam(), sizeof before), 0);
    EXPECT_EQ(codes(), std::vector<uint32_t>(7, zode::kEventKey)) << "each still tells the bus";
}

TEST_F(InputTest, DisplayTogglesAskForTheRightRebuild) {
    struct Case {
        int vk;
        uint32_t bit;
        int rebuild;
    };
    for (const Case c : {Case{'A', camera::kFlagLabels, 1}, Case{'D', camera::kFlagDeepSky, 1},
                         Case{'G', camera::kFlagGalaxy, 1}, Case{'F', camera::kFlagFlare, 0},
                         Case{'O', camera::kFlagOrbits, 0}}) {
        const uint32_t before = cam().flags;
        camera::rebuildSky = 1 - c.rebuild;  // a toggle without rebuild also clears a pending one
        seen().clear();
        key(c.vk);
        EXPECT_EQ(cam().flags, before ^ c.bit) << char(c.vk);
        EXPECT_EQ(camera::rebuildSky, c.rebuild) << char(c.vk);
        EXPECT_EQ(codes(), (std::vector<uint32_t>{zode::kEventCameraChanged, zode::kEventKey})) << char(c.vk);
        key(c.vk);
        EXPECT_EQ(cam().flags, before) << char(c.vk);
    }

    camera::rebuildSky = 0;
    key('B');
    EXPECT_EQ(settings::LSmagDiam, 0);
    EXPECT_EQ(camera::rebuildSky, 1);
    camera::rebuildSky = 0;
    key('M');
    EXPECT_EQ(markers::markersShown, 1);
    EXPECT_EQ(camera::rebuildSky, 1);
    key('M');
    key('B');
    EXPECT_EQ(markers::markersShown, 0);
    EXPECT_EQ(settings::LSmagDiam, 1);

    key(VK_F9);
    EXPECT_EQ(app::guiVisible, 0);
    key(VK_F9);
    EXPECT_EQ(app::guiVisible, 1);
}

TEST_F(InputTest, MotionKeysMoveAndTurnTheCamera) {
    cam().mode = camera::kModeInterstellar;
    const Matrix4 start = cam().Cam;
    key(VK_RETURN);
    key(VK_RETURN);
    key(VK_SHIFT, true);
    key(VK_END);
    const Vector3 forward{start.m[2][0], start.m[2][1], start.m[2][2]};
    const Vector3 right{start.m[0][0], start.m[0][1], start.m[0][2]};
    EXPECT_NEAR(cam().IPos.x, forward.x + right.x, 1e-12);
    EXPECT_NEAR(cam().IPos.y, forward.y + right.y, 1e-12);
    EXPECT_NEAR(cam().IPos.z, forward.z + right.z, 1e-12);
    EXPECT_EQ(camera::rebuildSky, 1);

    // Each turn key against what the camera operation does with the documented amounts.
    struct Turn {
        int vk;
        double a, b, c;
    };
    for (const Turn t : {Turn{VK_UP, 0.03, 0, 0}, Turn{VK_DOWN, -0.03, 0, 0}, Turn{VK_LEFT, 0, 0.03, 0},
                         Turn{VK_RIGHT, 0, -0.03, 0}, Turn{VK_PRIOR, 0, 0, 0.03},
                         Turn{VK_NEXT, 0, 0, -0.03}, Turn{VK_BACK, vmath::kPi, 0, vmath::kPi}}) {
        Matrix4 expected = cam().Cam;
        vmath::rotateCamera(expected, t.a, t.b, t.c);
        key(t.vk);
        EXPECT_TRUE(sameCam(cam().Cam, expected)) << t.vk;
    }
}

TEST_F(InputTest, ZoomKeysChangeZoomAndNearLimitTogetherAndStopBeforeZero) {
    const double zclip = cam().zclip;
    camera::rebuildSky = 1;
    key(VK_INSERT);
    EXPECT_DOUBLE_EQ(cam().zoom, 1.6);
    EXPECT_DOUBLE_EQ(cam().zclip, zclip + 1e8);
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(count(zode::kEventCameraChanged), 1);
    key(VK_HOME);
    key(VK_HOME);
    EXPECT_NEAR(cam().zoom, 1.4, 1e-12);
    EXPECT_DOUBLE_EQ(cam().zclip, zclip - 1e8);

    for (int i = 0; i < 40; ++i) key(VK_HOME);
    EXPECT_GE(cam().zoom, camera::kMinZoom - 1e-12);
    EXPECT_LT(cam().zoom, camera::kMinZoom + 0.1);
    cam().zclip = 5e7;
    cam().zoom = 1.0;
    key(VK_HOME);
    EXPECT_EQ(cam().zclip, 0.0) << "the near limit never goes behind the camera";
}

TEST_F(InputTest, TargetKeysUseTheHoveredAndLockedObjects) {
    cam().hover = 1234;
    key(VK_TAB);
    EXPECT_EQ(cam().vLock, 1234);
    EXPECT_EQ(camera::lockChanged, 0) << "Tab does not re-aim a journey";

    cam().lock = -1;
    key('1');
    EXPECT_EQ(cam().mode, camera::kModeInterstellar);
    key('3');
    EXPECT_EQ(cam().mode, camera::kModeLocalSpace);
    key('2');  // refused: nothing locked
    EXPECT_EQ(cam().mode, camera::kModeLocalSpace);

    const double r = cam().vradius;
    key(VK_ADD);
    key(VK_ADD);
    key(VK_SUBTRACT);
    EXPECT_EQ(cam().vradius, r + 1);

    synth::SynthCatalog sky;
    sky.addStar({10, 0, 0}, 1.0, 0.6, 0, synth::hipCode(1));
    sky.attach();
    seen().clear();
    cam().lock = 0;
    key(VK_SPACE);
    EXPECT_EQ(cam().travelling, 1);
    EXPECT_EQ(cam().travelSteps, 10);
    ASSERT_FALSE(seen().empty());
    EXPECT_EQ(seen()[0].code, zode::kEventJourneyStart);
    EXPECT_EQ(seen()[0].a1, 0);
}

TEST_F(InputTest, KeyboardFocusKeepsKeysAwayAndRoutesCharacters) {
    const CameraRecord before = cam();

    console::consoleOpen();
    ASSERT_EQ(input::consoleHasKeyboard, 1);
    const int typed = console::inputLength();
    key(VK_ESCAPE);
    key(VK_RETURN);
    key('A');
    message(WM_CHAR, 'x', 0x11);
    EXPECT_EQ(console::inputLength(), typed + 1) << "the console took the character";
    console::consoleClose();
    input::editHasKeyboard = 1;
    key(VK_F2);
    key(VK_ESCAPE);
    message(WM_CHAR, 'y', 0x22);
    input::editHasKeyboard = 0;

    EXPECT_EQ(app::quit, 0);
    EXPECT_EQ(camera::activeCameraIndex(), 0);
    EXPECT_EQ(std::memcmp(&before, &cam(), sizeof before), 0);
    EXPECT_TRUE(seen().empty()) << "neither 258 nor 259 while another part has the keyboard";
    EXPECT_EQ(console::inputLength(), typed + 1) << "the edit field's character is not the console's";

    // F12 opens the console from the program's keys and is the one key that acts while the
    // console has the keyboard: it closes it. (The panel slid away meanwhile.)
    console::consoleStop();
    key(VK_F12);
    EXPECT_EQ(console::panel().direction, +1);
    EXPECT_EQ(input::consoleHasKeyboard, 1);
    key(VK_F12);
    EXPECT_EQ(console::panel().direction, -1);
    EXPECT_EQ(input::consoleHasKeyboard, 0);
    ASSERT_EQ(seen().size(), 1u) << "258 for the opening F12 only";
    seen().clear();

    // Back to the program: characters become event 259 with the key data.
    message(WM_CHAR, 'z', 0x33);
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].code, zode::kEventChar);
    EXPECT_EQ(seen()[0].a1, 'z');
    EXPECT_EQ(seen()[0].a2, 0x33);
}

TEST_F(InputTest, StartClearsTheFocusFlagsAndCreatesTheEventTypes) {
    input::consoleHasKeyboard = input::editHasKeyboard = 1;
    zode::stop();
    ASSERT_EQ(zode::start(), 1);
    EXPECT_EQ(zode::subscribe(zode::kEventKey, 0), 0) << "no object yet";
    zode::Request request{0, reinterpret_cast<const void*>(&itest::observe), zode::kDirect, nullptr};
    const int object = zode::registerObject(&request);
    EXPECT_EQ(zode::subscribe(zode::kEventKey, object), 0) << "no event types before input starts";
    ASSERT_EQ(input::startInput(), 1);
    EXPECT_EQ(input::consoleHasKeyboard, 0);
    EXPECT_EQ(input::editHasKeyboard, 0);
    for (uint32_t code : {256u, 257u, 258u, 259u, 512u, 513u, 514u, 515u, 516u, 517u, 518u, 519u})
        EXPECT_EQ(zode::subscribe(code, object), 1) << code;
}

}  // namespace

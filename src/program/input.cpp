// Input: pointer poll, mouse-look, keys, characters, buttons and the wheel.
#include "program/input.h"

#include "base/app.h"
#include "base/zode.h"
#include "console/console.h"
#include "console/macros.h"
#include "extensions/markers.h"
#include "navigation/camera.h"
#include "render/render.h"
#include "video/video.h"
#include "zwindows/info.h"
#include "zwindows/panels.h"
#include "zwindows/toolbar.h"
#include "zwindows/zwindows.h"

namespace input {

namespace {

using namespace platform;

constexpr double kTurn = 0.03;          // radians per arrow or page key
constexpr double kLookPixels = 120.0;   // pointer pixels per radian of mouse-look
constexpr double kZoomStep = 0.1;
constexpr double kZclipStep = 1e8;      // km on the sky-sphere scale
constexpr double kSpeedStep = 0.5;      // light years per frame, per wheel notch
constexpr double kPi = 3.14159265358979323846;

constexpr uint32_t kEventTypes[] = {
    zode::kEventFrame,          zode::kEventPointer,        zode::kEventKey,
    zode::kEventChar,           zode::kEventJourneyStart,   zode::kEventJourneyEnd,
    zode::kEventCameraMoved,    zode::kEventCameraTurned,   zode::kEventCameraSwitched,
    zode::kEventCameraChanged,  zode::kEventHover,          zode::kEventSelect,
};

// A press records the state before it as the click (0 for an ordinary press); a release records
// whether the button had been down, which makes it a click.
void press(int& down, int& click) {
    click = down;
    down = 1;
}
void release(int& down, int& click) {
    click = down;
    down = 0;
}

const CameraRecord& cam() { return *camera::activeCamera(); }

// ---- What the keys do ---------------------------------------------------------------------------

void turnRound() { camera::rotate(kPi, 0, kPi); }
void viewLockHover() { camera::setViewLock(cam().hover); }
void forward() { camera::move(+1, 0, 0); }
void backward() { camera::move(-1, 0, 0); }
void right() { camera::move(0, 0, +1); }
void left() { camera::move(0, 0, -1); }
void pitchUp() { camera::rotate(+kTurn, 0, 0); }
void pitchDown() { camera::rotate(-kTurn, 0, 0); }
void yawLeft() { camera::rotate(0, +kTurn, 0); }
void yawRight() { camera::rotate(0, -kTurn, 0); }
void rollLeft() { camera::rotate(0, 0, +kTurn); }
void rollRight() { camera::rotate(0, 0, -kTurn); }
void zoomOut() { camera::zoomBy(-kZoomStep, -kZclipStep); }
void zoomIn() { camera::zoomBy(+kZoomStep, +kZclipStep); }
void widerSpace() { camera::adjustRadius(+1); }
void narrowerSpace() { camera::adjustRadius(-1); }
void travel() { camera::startJourney(cam().lock); }
void interstellar() { camera::setMode(camera::kModeInterstellar); }
void starSystem() { camera::setMode(camera::kModeSystem); }
void localSpace() { camera::setMode(camera::kModeLocalSpace); }
void rideWithHover() { camera::setCentral(cam().hover); }
void quit() {
    app::active = 0;
    app::quit = 1;
}
void toggleGui() { app::guiVisible = app::guiVisible ? 0 : 1; }
void openConsole() { console::consoleOpen(); }
void toggleLabels() { camera::toggleFlag(camera::kFlagLabels); }
void toggleDeepSky() { camera::toggleFlag(camera::kFlagDeepSky); }
void toggleFlare() { camera::toggleFlag(camera::kFlagFlare); }
void toggleGalaxy() { camera::toggleFlag(camera::kFlagGalaxy); }
void toggleOrbits() { camera::toggleFlag(camera::kFlagOrbits); }
void toggleDiscs() { render::toggleLocalDiscMode(); }
void toggleMarkers() { markers::showMarkers(markers::markersShown ? 0 : 1); }
void toggleSelectionMode() { zwindows::toggleInfoShowsLock(); }
void toggleInformationForm() { zwindows::toggleInfoForm(); }
void helpPick() { zwindows::startHelpPick(); }
void cameraPanel() { zwindows::showPanel(zwindows::kCameraPanel); }
void locationPanel() { zwindows::showPanel(zwindows::kLocationPanel); }
void markersPanel() { zwindows::showPanel(zwindows::kMarkersPanel); }
void pluginsPanel() { zwindows::showPanel(zwindows::kPluginsPanel); }
void searchPanel() { zwindows::showPanel(zwindows::kSearchPanel); }
void configPanel() { zwindows::showPanel(zwindows::kConfigPanel); }

// Keys without Ctrl, after F1 to F8. Keys not in the table do nothing.
constexpr KeyAction kKeys[] = {
    {VK_BACK, "turn round", turnRound},
    {VK_TAB, "keep the view on the object under the pointer", viewLockHover},
    {VK_RETURN, "one step forward", forward},
    {VK_SHIFT, "one step back", backward},
    {VK_END, "one step right", right},
    {VK_DELETE, "one step left", left},
    {VK_UP, "pitch up", pitchUp},
    {VK_DOWN, "pitch down", pitchDown},
    {VK_LEFT, "yaw left", yawLeft},
    {VK_RIGHT, "yaw right", yawRight},
    {VK_PRIOR, "roll left", rollLeft},
    {VK_NEXT, "roll right", rollRight},
    {VK_HOME, "zoom out", zoomOut},
    {VK_INSERT, "zoom in", zoomIn},
    {VK_ADD, "widen local space by a light year", widerSpace},
    {VK_SUBTRACT, "narrow local space by a light year", narrowerSpace},
    {VK_SPACE, "travel to the locked object", travel},
    {'1', "interstellar view", interstellar},
    {'2', "star-system view of the locked star", starSystem},
    {'3', "local-space view", localSpace},
    {'N', "ride along with the body under the pointer", rideWithHover},
    {VK_ESCAPE, "quit", quit},
    {VK_F9, "show or hide the in-scene windows and the toolbar", toggleGui},
    {VK_F11, "selection mode of the toolbar: mouse over or lock", toggleSelectionMode},
    {VK_F12, "open the console", openConsole},
    {'A', "star labels", toggleLabels},
    {'D', "deep-sky objects", toggleDeepSky},
    {'F', "the local star's flare", toggleFlare},
    {'G', "the galaxy", toggleGalaxy},
    {'O', "orbit paths", toggleOrbits},
    {'B', "local-space discs by diameter or by magnitude", toggleDiscs},
    {'I', "the toolbar's object information: details or note", toggleInformationForm},
    {'M', "markers", toggleMarkers},
    {'H', "help pick: click a window or button for its help page", helpPick},
    {'C', "the Camera panel", cameraPanel},
    {'L', "the Location panel", locationPanel},
    {'K', "the Markers panel", markersPanel},
    {'P', "the Plugins panel", pluginsPanel},
    {'S', "the Search panel", searchPanel},
    {'X', "the Config panel", configPanel},
};

// Function keys F1 to F8: Shift loads and selects, Ctrl saves, alone they select.
void cameraKey(int n, bool shift, bool ctrl) {
    if (shift) {
        camera::loadCamera(n);
        camera::selectCamera(n);
    } else if (ctrl) {
        camera::saveCamera(n);
    } else {
        camera::selectCamera(n);
    }
}

void handleKey(int vk) {
    const bool shift = keyHeld(VK_SHIFT);
    const bool ctrl = keyHeld(VK_CONTROL);
    if (vk >= VK_F1 && vk <= VK_F8) {
        cameraKey(vk - VK_F1, shift, ctrl);
        return;
    }
    if (ctrl) {
        if (vk == VK_F9) video::requestScreenshot();
        else console::runMacro(vk);
        return;
    }
    for (const KeyAction& key : kKeys) {
        if (key.vk != vk) continue;
        if (key.run) key.run();
        return;
    }
}

void wheel(int delta) {
    if (pointer.middleDown) {
        camera::changeSpeed(delta > 0 ? kSpeedStep : -kSpeedStep);
    } else {
        const double speed = cam().speed;
        camera::move(delta > 0 ? speed : -speed, 0, 0);
    }
}

// Signed delta in the high word of wParam.
int wheelDelta(uintptr_t wParam) { return static_cast<int16_t>(static_cast<uint16_t>(wParam >> 16)); }

// While the GUI is shown, the toolbar and then the in-scene windows route the pointer and the
// buttons before the default handling; the windows leave to the toolbar what happens over it.
intptr_t routeAndDefault(const Message& msg) {
    if (app::guiVisible) {
        zwindows::toolbarPointer();
        zwindows::routePointer();
    }
    return defaultWindowProc(msg);
}

}  // namespace

const KeyAction* keyTable(int& count) {
    count = static_cast<int>(sizeof kKeys / sizeof kKeys[0]);
    return kKeys;
}

int startInput() {
    int created = 1;
    for (uint32_t code : kEventTypes)
        if (zode::createEventType(code) != 1) created = 0;
    pointer = PointerState{};
    resetInputState();
    cursorPosition(pointer.x, pointer.y);
    // The wheel arrives as WM_MOUSEWHEEL from every backend; there is no separate wheel message.
    return created;
}

void stopInput() {}

void pollInput() {
    int x = 0, y = 0;
    cursorPosition(x, y);
    pointer.dx = x - pointer.x;
    pointer.dy = y - pointer.y;
    pointer.x = x;
    pointer.y = y;
    zode::broadcast(zode::kEventPointer, x, y);
    if (pointer.rightDown && (pointer.dx != 0 || pointer.dy != 0))
        camera::rotate(pointer.dy / kLookPixels, -pointer.dx / kLookPixels, 0);
}

intptr_t windowMessage(const Message& msg) {
    switch (msg.message) {
        case WM_MOUSEWHEEL:
            wheel(wheelDelta(msg.wParam));
            return 0;
        case WM_KEYDOWN: {
            const int vk = static_cast<int>(msg.wParam);
            if (consoleHasKeyboard) {
                if (vk == VK_F12) console::consoleClose();
                return 0;
            }
            if (editHasKeyboard) return 0;
            handleKey(vk);
            zode::broadcast(zode::kEventKey, vk);
            return 0;
        }
        case WM_CHAR: {
            const int ch = static_cast<int>(msg.wParam);
            if (consoleHasKeyboard) console::consoleKey(ch);
            else if (editHasKeyboard) zwindows::sendCharacter(ch);
            else zode::broadcast(zode::kEventChar, ch, msg.lParam);
            return 0;
        }
        case WM_LBUTTONDOWN: press(pointer.leftDown, pointer.leftClick); break;
        case WM_LBUTTONUP: release(pointer.leftDown, pointer.leftClick); break;
        case WM_RBUTTONDOWN: press(pointer.rightDown, pointer.rightClick); break;
        case WM_RBUTTONUP: release(pointer.rightDown, pointer.rightClick); break;
        case WM_MBUTTONDOWN: press(pointer.middleDown, pointer.middleClick); break;
        case WM_MBUTTONUP: release(pointer.middleDown, pointer.middleClick); break;
        default: break;
    }
    return routeAndDefault(msg);
}

}  // namespace input

// Input: pointer poll, mouse-look, keys, characters, buttons and the wheel.
#include "core/input.h"

#include "core/app.h"
#include "core/settings.h"
#include "core/zode.h"
#include "extensions/markers.h"
#include "navigation/camera.h"
#include "render/render.h"
#include "video/video.h"

namespace input {

PointerState pointer;
int consoleHasKeyboard = 0;
int editHasKeyboard = 0;

MacroHook macroHook = nullptr;
ConsoleKeyHook consoleOpenHook = nullptr;
ConsoleKeyHook consoleCloseHook = nullptr;
CharacterHook consoleCharacterHook = nullptr;
CharacterHook editCharacterHook = nullptr;
ToolbarRouteHook toolbarRouteHook = nullptr;
WindowsRouteHook windowsRouteHook = nullptr;

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

void toggleFlag(uint32_t bit, int rebuild) {
    camera::activeCamera()->flags ^= bit;
    camera::settingsChanged(rebuild);
}

int toggled(int value) { return value ? 0 : 1; }

void zoomBy(double zoomStep, double zclipStep) {
    CameraRecord& c = *camera::activeCamera();
    if (c.zoom + zoomStep < kMinZoom) return;
    c.zoom += zoomStep;
    c.zclip = c.zclip + zclipStep < 0.0 ? 0.0 : c.zclip + zclipStep;
    camera::settingsChanged(0);
}

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
        else if (macroHook) macroHook(vk);
        return;
    }
    CameraRecord& c = *camera::activeCamera();
    switch (vk) {
        case VK_BACK: camera::rotate(kPi, 0, kPi); break;
        case VK_TAB: camera::setViewLock(c.hover); break;
        case VK_RETURN: camera::move(+1, 0, 0); break;
        case VK_SHIFT: camera::move(-1, 0, 0); break;
        case VK_END: camera::move(0, 0, +1); break;
        case VK_DELETE: camera::move(0, 0, -1); break;
        case VK_UP: camera::rotate(+kTurn, 0, 0); break;
        case VK_DOWN: camera::rotate(-kTurn, 0, 0); break;
        case VK_LEFT: camera::rotate(0, +kTurn, 0); break;
        case VK_RIGHT: camera::rotate(0, -kTurn, 0); break;
        case VK_PRIOR: camera::rotate(0, 0, +kTurn); break;
        case VK_NEXT: camera::rotate(0, 0, -kTurn); break;
        case VK_HOME: zoomBy(-kZoomStep, -kZclipStep); break;
        case VK_INSERT: zoomBy(+kZoomStep, +kZclipStep); break;
        case VK_ADD: camera::adjustRadius(+1); break;
        case VK_SUBTRACT: camera::adjustRadius(-1); break;
        case VK_SPACE: camera::startJourney(c.lock); break;
        case '1': camera::setMode(camera::kModeInterstellar); break;
        case '2': camera::setMode(camera::kModeSystem); break;
        case '3': camera::setMode(camera::kModeLocalSpace); break;
        case 'N': camera::setCentral(c.hover); break;
        case VK_ESCAPE:
            app::active = 0;
            app::quit = 1;
            break;
        case VK_F9: app::guiVisible = toggled(app::guiVisible); break;
        case VK_F12:
            if (consoleOpenHook) consoleOpenHook();
            break;
        case 'A': toggleFlag(camera::kFlagLabels, 1); break;
        case 'D': toggleFlag(camera::kFlagDeepSky, 1); break;
        case 'F': toggleFlag(camera::kFlagFlare, 0); break;
        case 'G': toggleFlag(camera::kFlagGalaxy, 1); break;
        case 'O': toggleFlag(camera::kFlagOrbits, 0); break;
        case 'B':
            settings::LSmagDiam = toggled(settings::LSmagDiam);
            camera::settingsChanged(1);
            break;
        case 'M':
            markers::markersShown = toggled(markers::markersShown);
            camera::settingsChanged(1);
            break;
        default: break;
    }
}

void wheel(int delta) {
    CameraRecord& c = *camera::activeCamera();
    if (pointer.middleDown) {
        const double speed = c.speed + (delta > 0 ? kSpeedStep : -kSpeedStep);
        if (speed > 0.0) c.speed = speed;
        camera::rebuildSky = 1;
    } else {
        camera::move(delta > 0 ? c.speed : -c.speed, 0, 0);
    }
}

// Signed delta in the high word of wParam.
int wheelDelta(uintptr_t wParam) { return static_cast<int16_t>(static_cast<uint16_t>(wParam >> 16)); }

// The toolbar, then the Z windows system, while the GUI is shown; then the default handling.
intptr_t routeAndDefault(const Message& msg) {
    if (app::guiVisible) {
        const int overToolbar = toolbarRouteHook ? toolbarRouteHook(msg) : 0;
        if (windowsRouteHook) windowsRouteHook(msg, overToolbar);
    }
    return defaultWindowProc(msg);
}

}  // namespace

int startInput() {
    int created = 1;
    for (uint32_t code : kEventTypes)
        if (zode::createEventType(code) != 1) created = 0;
    pointer = PointerState{};
    cursorPosition(pointer.x, pointer.y);
    // The wheel arrives as WM_MOUSEWHEEL from every backend; there is no separate wheel message.
    consoleHasKeyboard = 0;
    editHasKeyboard = 0;
    video::setPointerSource(pointerPosition);
    render::setPickInput(pointerPosition, takeLeftClick);
    return created;
}

void stopInput() {
    video::setPointerSource(nullptr);
    render::setPickInput(nullptr, nullptr);
}

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
                if (vk == VK_F12 && consoleCloseHook) consoleCloseHook();
                return 0;
            }
            if (editHasKeyboard) return 0;
            handleKey(vk);
            zode::broadcast(zode::kEventKey, vk);
            return 0;
        }
        case WM_CHAR: {
            const int ch = static_cast<int>(msg.wParam);
            if (consoleHasKeyboard) {
                if (consoleCharacterHook) consoleCharacterHook(ch, msg.lParam);
            } else if (editHasKeyboard) {
                if (editCharacterHook) editCharacterHook(ch, msg.lParam);
            } else {
                zode::broadcast(zode::kEventChar, ch, msg.lParam);
            }
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

void releaseButtons() {
    pointer.leftDown = pointer.rightDown = pointer.middleDown = 0;
}

void pointerPosition(int& x, int& y) {
    x = pointer.x;
    y = pointer.y;
}

int takeLeftClick() {
    if (!pointer.leftClick) return 0;
    pointer.leftClick = 0;
    return 1;
}

}  // namespace input

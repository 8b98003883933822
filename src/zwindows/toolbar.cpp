// The toolbar: its slide, the button row, the menu, the left part with the selection mode, the
// note slider and the note's links, the help pick on the bar, and its drawing.
#include "zwindows/toolbar.h"

#include "base/app.h"
#include "base/input_state.h"
#include "base/timer.h"
#include "navigation/camera.h"
#include "video/video.h"
#include "zwindows/info.h"
#include "zwindows/panels.h"
#include "zwindows/zwindows.h"

namespace zwindows {
namespace {

constexpr int kBitmapWidth = 231;  // R = W − 231
constexpr int kClosedLift = 28;    // pixels from the bar's top to H, closed
constexpr int kOpenLift = 128;     // the slide stops at the first place at least this high
constexpr int kSlideStep = 16;     // pixels per frame
constexpr int kRowHeight = 32;     // the bar's own row
constexpr int kMenuFirstRow = 29;
constexpr int kSliderFromRight = 248;  // the note slider's left edge, pixels from W

constexpr double kZoomStep = 0.1;
constexpr double kZclipStep = 1e8;  // km on the sky-sphere scale
constexpr double kRollStep = 0.03;  // radians

draw::BitmapPtr buttons, menu;
bool running = false;
int lift = kClosedLift;  // H − T
int open = 0;
int direction = 0;       // −1 opening, +1 closing, 0 still
bool toggleRequested = false;
int formDetails = 1;
int64_t pendingTopic = -1;  // a help pick's topic waiting for the release, −1 none
bool wasDown = false;
void (*held)() = nullptr;   // a repeating action under the held button
double pressTime = 0, lastRepeat = 0;  // seconds of the program's running time

const CameraRecord& cam() { return *camera::activeCamera(); }

void requestSlide() { toggleRequested = true; }
void helpPick() { startHelpPick(); }
void zoomOut() { camera::zoomBy(-kZoomStep, -kZclipStep); }
void zoomIn() { camera::zoomBy(+kZoomStep, +kZclipStep); }
void rollRight() { camera::rotate(0, 0, -kRollStep); }
void rollLeft() { camera::rotate(0, 0, +kRollStep); }
void travel() { camera::startJourney(cam().lock); }
void stopTravel() { camera::stopJourney(); }
void interstellar() { camera::setMode(camera::kModeInterstellar); }
void starSystem() { camera::setMode(camera::kModeSystem); }
void localSpace() { camera::setMode(camera::kModeLocalSpace); }
void cameraPanel() { showPanel(kCameraPanel); }
void locationPanel() { showPanel(kLocationPanel); }
void searchPanel() { showPanel(kSearchPanel); }
void markersPanel() { showPanel(kMarkersPanel); }
void pluginsPanel() { showPanel(kPluginsPanel); }
void configPanel() { showPanel(kConfigPanel); }
void exitProgram() {
    // As Escape: the loop waits for the button's release and then ends.
    app::active = 0;
    app::quit = 1;
}
void sliderUp() { infoSliderStep(-1); }
void sliderDown() { infoSliderStep(+1); }

double now() { return timer::secondsSinceProgramStart(); }

int barTop() { return video::state.height - lift; }

const ToolbarAction* find(const ToolbarAction* table, int count, int c, int r) {
    for (int i = 0; i < count; ++i)
        if (c >= table[i].from && c <= table[i].to && r >= table[i].top && r <= table[i].bottom) return &table[i];
    return nullptr;
}

// A repeating action acts on every message while its button is held, and on held still at the
// repeat pace of the windows' scroll arrows; the others once per press.
void act(void (*action)(), bool repeats, bool press) {
    if (repeats) {
        action();
        held = action;
        if (press) pressTime = lastRepeat = now();
    } else if (press) {
        action();
    }
}

void onAction(const ToolbarAction& a, bool press) {
    if (helpPickActive()) {
        if (press) pendingTopic = a.helpTopic;
        return;
    }
    act(a.act, a.repeats, press);
}

// Left of the buttons: the bar toggles the selection mode; below it, the note's slider at the
// right end and its links elsewhere.
void onLeftPart(int x, int r, bool press) {
    if (helpPickActive()) {
        if (press) pendingTopic = r < kRowHeight ? kSelectionModeTopic : kInformationAreaTopic;
        return;
    }
    if (r < kRowHeight) {
        if (press) toggleInfoShowsLock();
        return;
    }
    if (!open || formDetails) return;
    const int W = video::state.width;
    if (x > W - kSliderFromRight) {
        if (!infoNoteScrolls()) return;
        if (r >= 33 && r <= 47) act(sliderUp, true, press);
        else if (r >= 125 && r <= 139) act(sliderDown, true, press);
        else if (r >= 49 && r <= 115) infoSliderSet(r - 56);
        return;
    }
    // A link is followed once per press: the page it opens may have another under the pointer.
    if (press) infoNoteClick(x - 4, input::pointer.y - (barTop() + kRowHeight));
}

void slide() {
    if (toggleRequested && !input::pointer.leftDown) {
        toggleRequested = false;
        direction = open ? +1 : -1;
        open = 1;
    }
    if (direction < 0) {
        lift += kSlideStep;
        if (lift >= kOpenLift) direction = 0;
    } else if (direction > 0) {
        lift -= kSlideStep;
        if (lift <= kClosedLift) {
            lift = kClosedLift;
            direction = 0;
            open = 0;
        }
    }
}

void cameraMarks(draw::Surface& s, int W, int T) {
    const int active = camera::activeCameraIndex();
    for (int i = 0; i < camera::kCameras; ++i) {
        draw::setColour(s, i == active ? video::colours.green[0] : video::colours.green[8]);
        const int x = W - 224 + 4 * i;
        draw::fillRect(s, x, T + 22, x + 2, T + 27);
    }
    draw::setColour(s, formDetails ? video::colours.green[0] : video::colours.green[8]);
    draw::fillRect(s, W - 176, T + 22, W - 155, T + 24);
}

}  // namespace

const ToolbarAction kToolbarButtons[] = {
    {204, 225, 1, 31, 0x8000, requestSlide, false},
    {179, 200, 1, 31, kHelpStartTopic, helpPick, false},
    {154, 175, 1, 31, 0x8003, zoomOut, true},
    {129, 150, 1, 31, 0x8002, zoomIn, true},
    {104, 125, 1, 31, 0x8004, rollRight, true},
    {79, 100, 1, 31, 0x8005, rollLeft, true},
    {54, 75, 1, 31, 0x8006, toggleInfoForm, false},
    {29, 50, 1, 31, 0x8007, stopTravel, false},
    {4, 25, 1, 31, 0x8008, travel, false},
};
const int kToolbarButtonCount = sizeof kToolbarButtons / sizeof kToolbarButtons[0];

const ToolbarAction kToolbarMenu[] = {
    {4, 66, 29, 47, 0x8010, interstellar, false},
    {71, 157, 29, 47, 0x8011, starSystem, false},
    {162, 224, 29, 47, 0x8012, localSpace, false},
    {4, 66, 52, 68, 0x8013, cameraPanel, false},
    {71, 157, 52, 68, 0x8014, locationPanel, false},
    {162, 224, 52, 68, 0x8015, searchPanel, false},
    {4, 66, 73, 90, 0x8016, markersPanel, false},
    {71, 157, 73, 90, 0x8017, pluginsPanel, false},
    {162, 224, 73, 90, 0x8018, configPanel, false},
    // In a help pick, Exit shows the menu's page, which says what it does.
    {162, 224, 95, 112, 0x8000, exitProgram, false},
};
const int kToolbarMenuCount = sizeof kToolbarMenu / sizeof kToolbarMenu[0];

int toolbarStart() {
    toolbarStop();
    buttons = video::loadDisplayBitmap("buttons.bmp");
    menu = video::loadDisplayBitmap("menu.bmp");
    if (!buttons || !menu) return 0;
    infoStart();
    running = true;
    return 1;
}

void toolbarStop() {
    running = false;
    buttons.reset();
    menu.reset();
    lift = kClosedLift;
    open = direction = 0;
    toggleRequested = false;
    formDetails = 1;
    pendingTopic = -1;
    wasDown = false;
    held = nullptr;
    input::pointerOverToolbar = 0;
    infoStop();
}

int toolbarOpen() {
    const int was = open;
    if (!open) {
        open = 1;
        direction = -1;
    }
    return was;
}

int toolbarClose() {
    const int was = open;
    if (open) direction = +1;
    return was;
}

int toolbarIsOpen() { return open; }
int toolbarTop() { return barTop(); }

int infoFormDetails() { return formDetails; }
void toggleInfoForm() { formDetails = formDetails ? 0 : 1; }

int toolbarPointer() {
    if (!running) return 0;
    const input::PointerState& p = input::pointer;
    const int T = barTop(), R = video::state.width - kBitmapWidth;
    const bool over = T < p.y;
    input::pointerOverToolbar = over ? 1 : 0;
    const bool press = p.leftDown && !wasDown;
    wasDown = p.leftDown != 0;
    held = nullptr;  // set again below while the pointer stays on a repeating button
    if (p.leftDown) {
        const int r = p.y - T;
        if (p.x >= R && r > 0) {
            const int c = p.x - R;
            const ToolbarAction* a = nullptr;
            // The menu's first row reaches into the button row's last three; the menu wins.
            if (open && r >= kMenuFirstRow) a = find(kToolbarMenu, kToolbarMenuCount, c, r);
            if (!a && r < kRowHeight) a = find(kToolbarButtons, kToolbarButtonCount, c, r);
            if (a) onAction(*a, press);
        } else if (p.x < R && r > 0) {
            onLeftPart(p.x, r, press);
        }
    }
    if (over && !p.leftDown && p.leftClick) input::takeLeftClick();
    return over ? 1 : 0;
}

void toolbarDraw() {
    if (!running) return;
    draw::Surface* surface = video::state.drawing;
    const input::PointerState& p = input::pointer;
    slide();
    const int W = video::state.width, H = video::state.height, T = barTop();
    input::pointerOverToolbar = T < p.y ? 1 : 0;

    if (held && p.leftDown) {
        const double t = now();
        if (t - pressTime >= kRepeatDelay && t - lastRepeat >= kRepeatInterval) {
            held();
            lastRepeat = t;
        }
    }
    if (pendingTopic >= 0 && !p.leftDown) {
        // A help pick pressed on the bar ends where it is released: on the bar with the topic.
        if (T < p.y && helpPickActive()) endHelpPick(static_cast<uint32_t>(pendingTopic));
        pendingTopic = -1;
    }

    if (!surface || !surface->pixels) return;
    draw::Surface& s = *surface;
    draw::beginDraw(s);
    draw::setColour(s, colours().face);
    draw::fillRect(s, 0, T, W + 1, H + 1);
    draw::setColour(s, video::colours.grey[0]);
    draw::line(s, 0, T, W, T);
    const int R = W - kBitmapWidth;
    draw::drawBitmapKeyed(s, *buttons, R, T - 4, video::colours.transparent);
    infoSummary(s, T);
    cameraMarks(s, W, T);
    if (open) {
        draw::drawBitmapKeyed(s, *menu, R, T + kRowHeight, video::colours.transparent);
        if (formDetails) infoDetails(s, T);
        else infoNote(s, T);
    }
    draw::endDraw(s);
}

void toolbarHidden() { input::pointerOverToolbar = 0; }

}  // namespace zwindows

// The Location panel ("ZLOCATION"): the camera's interstellar and star-system positions, turns
// by typed angles, the star-system clock's step and buttons, and the speed slider.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "navigation/camera.h"
#include "systems/system.h"
#include "video/video.h"
#include "zwindows/forms.h"
#include "zwindows/panels_internal.h"

namespace zwindows {
namespace {

constexpr double kPi = 3.14159265359;
constexpr double kKmPerAu = 1.496e8;
constexpr int kMarkX = 230;  // the frame mark's place in a position group, pixels

const CameraRecord& cam() { return *camera::activeCamera(); }

// The mark that says which of the two positions the camera moves in now.
void paintFrameMark(const FormState& f, draw::Surface& s, bool lit) {
    const Rect r = clientRect(f.node);
    draw::setColour(s, lit ? video::colours.green[3] : video::colours.green[10]);
    draw::fillRect(s, r.x + kMarkX, r.y, r.x + kMarkX + 3, r.y + 12);
}

constexpr FormEntry kInterstellarEntries[] = {
    {kFormSelf, "EDIT", "X:", 4, 0, 68, 12, 0x2000},
    {kFormSelf, "EDIT", "Y:", 76, 0, 68, 12, 0x2000},
    {kFormSelf, "EDIT", "Z:", 148, 0, 68, 12, 0x2000},
};
constexpr FormEntry kSystemEntries[] = {
    {kFormSelf, "EDIT", "X:", 4, 0, 68, 12, 0x2100},
    {kFormSelf, "EDIT", "Y:", 76, 0, 68, 12, 0x2100},
    {kFormSelf, "EDIT", "Z:", 148, 0, 68, 12, 0x2100},
};

double axis(const Vector3& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }
Vector3 withAxis(Vector3 v, int i, double value) {
    (i == 0 ? v.x : i == 1 ? v.y : v.z) = value;
    return v;
}

// ---- Interstellar position, light years ---------------------------------------------------------

void refreshInterstellar(FormState& f) {
    for (int i = 0; i < 3; ++i) showNumber(f, i, "%6.2lf", axis(cam().IPos, i));
}

void notifyInterstellar(FormState& f, int entry, intptr_t value, intptr_t) {
    double v = 0;
    if (entry < 0 || entry > 2) return;
    if (!numberEdited(f, entry, "%6.2lf", value)) return;
    if (!readNumber(value, v)) return refuseNumber(f, entry, refreshInterstellar);
    const Vector3 p = withAxis(cam().IPos, entry, v);
    camera::setIPos(p.x, p.y, p.z);
}

int32_t interstellarMessage(FormState& f, const zode::Message& m) {
    if (m.code != kPaint) return 0;
    paintFrameMark(f, *reinterpret_cast<draw::Surface*>(m.a2), cam().mode != camera::kModeSystem);
    return 1;
}

constexpr FormClass kInterstellar{"ZLOCINT",          kInterstellarEntries, 3, kFormOnCameraChanged | kFormOnCameraMoved,
                                  0,                  refreshInterstellar,  notifyInterstellar,
                                  interstellarMessage};

// ---- Star-system position, shown in AU, kept in kilometres -------------------------------------

void refreshSystem(FormState& f) {
    for (int i = 0; i < 3; ++i) showNumber(f, i, "%4.2lf", axis(cam().SPos, i) / kKmPerAu);
}

void notifySystem(FormState& f, int entry, intptr_t value, intptr_t) {
    double v = 0;
    if (entry < 0 || entry > 2) return;
    if (!numberEdited(f, entry, "%4.2lf", value)) return;
    if (!readNumber(value, v)) return refuseNumber(f, entry, refreshSystem);
    const Vector3 p = withAxis(cam().SPos, entry, v * kKmPerAu);
    camera::setSPos(p.x, p.y, p.z);
}

int32_t systemMessage(FormState& f, const zode::Message& m) {
    if (m.code != kPaint) return 0;
    paintFrameMark(f, *reinterpret_cast<draw::Surface*>(m.a2), cam().mode == camera::kModeSystem);
    return 1;
}

constexpr FormClass kSystem{"ZLOCSSYS", kSystemEntries, 3, kFormOnCameraChanged | kFormOnCameraMoved,
                            0,          refreshSystem,  notifySystem, systemMessage};

// ---- Turns by typed angles, degrees -------------------------------------------------------------

constexpr FormEntry kAttitudeEntries[] = {
    {kFormSelf, "EDIT", "Roll:", 4, 0, 70, 12, 0x2200},
    {kFormSelf, "EDIT", "Yaw:", 78, 0, 70, 12, 0x2200},
    {kFormSelf, "EDIT", "Pitch:", 152, 0, 70, 12, 0x2200},
};

// The text each field turned the camera by last: a turn is made by Enter, every time, and by
// leaving a field only when its text is new, so that Enter and then a click elsewhere turn once.
struct Attitude {
    char applied[3][16];
};

void createdAttitude(FormState& f) {
    Attitude& a = formExtra<Attitude>(f);
    for (int i = 0; i < 3; ++i) {
        showText(f, i, "+0.0");
        std::snprintf(a.applied[i], sizeof a.applied[i], "+0.0");
    }
}

void notifyAttitude(FormState& f, int entry, intptr_t value, intptr_t) {
    if (entry < 0 || entry > 2) return;
    Attitude& a = formExtra<Attitude>(f);
    const char* text = reinterpret_cast<const char*>(value);
    if (!committedByEnter(f, entry) && text && std::strncmp(text, a.applied[entry], sizeof a.applied[entry]) == 0)
        return;
    std::snprintf(a.applied[entry], sizeof a.applied[entry], "%s", text ? text : "");
    double degrees = 0;
    if (!readNumber(value, degrees)) return;
    const double angle = degrees * kPi / 180.0;
    if (entry == 0) camera::rotate(0, 0, angle);
    else if (entry == 1) camera::rotate(0, angle, 0);
    else camera::rotate(angle, 0, 0);
}

// The fields are never refreshed from the camera: they hold the turn to make, not a state.
void refreshAttitudeOnce(FormState& f) {
    if (f.shownValid) return;
    createdAttitude(f);
    f.shownValid = 1;
}

constexpr FormClass kAttitude{"ZLOCATT",          kAttitudeEntries, 3, 0, sizeof(Attitude), refreshAttitudeOnce,
                              notifyAttitude,     nullptr};

// ---- The star-system clock ----------------------------------------------------------------------

constexpr FormEntry kTimeEntries[] = {
    {kFormSelf, "EDIT", "Time step:", 4, 0, 120, 12, 0x2300},
    {kFormSelf, "BUTTON", "+", 128, 0, 48, 12, 0x2301},
    {kFormSelf, "BUTTON", "-", 180, 0, 48, 12, 0x2302},
};

void refreshTime(FormState& f) { showNumber(f, 0, "%4.2lf", cam().timeStep); }

void notifyTime(FormState& f, int entry, intptr_t value, intptr_t) {
    if (entry == 1) {
        systems::advance(cam().timeStep);
    } else if (entry == 2) {
        systems::advance(-cam().timeStep);
    } else if (entry == 0) {
        double v = 0;
        if (!numberEdited(f, entry, "%4.2lf", value)) return;
        if (!readNumber(value, v)) return refuseNumber(f, entry, refreshTime);
        camera::set(camera::Setting::kTimeStep, v);
    }
}

constexpr FormClass kTime{"ZLOCTIME", kTimeEntries, 3, kFormOnCameraChanged, 0, refreshTime, notifyTime, nullptr};

// ---- The speed slider ---------------------------------------------------------------------------

// A logarithmic scale from 1 at the bottom to the top speed: 1000 light years a frame between the
// stars, 7.48e8 km (5 AU) a frame in a star system.
constexpr double kTopSpeedLy = 1000.0;
constexpr double kTopSpeedKm = 7.48e8;
constexpr int kScaleTop = 6, kScaleSpan = 114;

struct Slider {
    int32_t cursor;  // pixels from the slider's top
};

draw::BitmapPtr scale, cursor;

double topSpeed() { return cam().mode == camera::kModeSystem ? kTopSpeedKm : kTopSpeedLy; }
double speedNow() { return cam().mode == camera::kModeSystem ? cam().sspeed : cam().speed; }

void refreshSlider(FormState& f) {
    const double value = speedNow();
    double c = kScaleTop + kScaleSpan;  // a speed of 0 or below (the console can set one) at the bottom
    if (value > 0 && std::isfinite(value))
        c = kScaleTop + std::trunc(kScaleSpan * (1.0 - std::log(value) / std::log(topSpeed())));
    if (c < 0) c = 0;
    if (c > kScaleTop + kScaleSpan) c = kScaleTop + kScaleSpan;
    formExtra<Slider>(f).cursor = static_cast<int32_t>(c);
}

int32_t sliderMessage(FormState& f, const zode::Message& m) {
    Slider& slider = formExtra<Slider>(f);
    switch (m.code) {
        case kLeftHeld: {
            // Held above or below the scale, the slider stays at its end.
            int y = static_cast<int>(m.a3);
            if (y < kScaleTop) y = kScaleTop;
            if (y > kScaleTop + kScaleSpan) y = kScaleTop + kScaleSpan;
            slider.cursor = y;
            const double value = std::pow(topSpeed(), 1.0 - double(y - kScaleTop) / kScaleSpan);
            camera::set(cam().mode == camera::kModeSystem ? camera::Setting::kSystemSpeed : camera::Setting::kSpeed,
                        value);
            return 1;
        }
        case kPaint: {
            draw::Surface& s = *reinterpret_cast<draw::Surface*>(m.a2);
            const Rect r = clientRect(f.node);
            if (scale) draw::drawBitmapKeyed(s, *scale, r.x + 4, r.y, video::colours.transparent);
            if (cursor) draw::drawBitmapKeyed(s, *cursor, r.x + 2, r.y + slider.cursor - 6, video::colours.transparent);
            return 1;
        }
        default: return 0;
    }
}

constexpr FormClass kSpeed{"ZLOCSPEED", nullptr, 0, kFormOnCameraChanged, sizeof(Slider), refreshSlider, nullptr,
                           sliderMessage};

// ---- The window ---------------------------------------------------------------------------------

constexpr FormEntry kWindowEntries[] = {
    {kFormSelf, "GROUP", "Interstellar", 4, 4, 240, 30, 0},
    {0, "ZLOCINT", "", 4, 10, 235, 20, 0},
    {kFormSelf, "GROUP", "Star system", 4, 38, 240, 30, 0},
    {2, "ZLOCSSYS", "", 4, 10, 235, 20, 0},
    {kFormSelf, "GROUP", "Attitude", 4, 72, 240, 30, 0},
    {4, "ZLOCATT", "", 4, 10, 235, 20, 0},
    {kFormSelf, "GROUP", "Time", 4, 106, 240, 30, 0},
    {6, "ZLOCTIME", "", 4, 10, 235, 20, 0},
    {kFormSelf, "ZLOCSPEED", "", 248, 8, 24, 126, 0x2400},
};

// The caption names the active camera, "Location [3]" for camera 3.
struct Caption {
    int32_t camera;  // the number shown, 0 before the first
};

void refreshWindow(FormState& f) {
    Caption& c = formExtra<Caption>(f);
    const int number = camera::activeCameraIndex() + 1;
    if (c.camera == number) return;
    c.camera = number;
    char caption[32];
    std::snprintf(caption, sizeof caption, "Location [%d]", number);
    setCaption(f.node, caption);
}

constexpr FormClass kWindow{"ZLOCATION", kWindowEntries, int(std::size(kWindowEntries)), kFormOnCameraChanged,
                            sizeof(Caption), refreshWindow, nullptr, nullptr};

}  // namespace

int detail::registerLocationPanel() {
    scale = video::loadDisplayBitmap("speed.bmp");
    cursor = video::loadDisplayBitmap("speedcur.bmp");
    return registerForm<kInterstellar>() && registerForm<kSystem>() && registerForm<kAttitude>() &&
           registerForm<kTime>() && registerForm<kSpeed>() && registerForm<kWindow>();
}

void detail::releaseLocationPanel() {
    scale.reset();
    cursor.reset();
}

}  // namespace zwindows

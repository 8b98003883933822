// The Camera panel ("ZCAMPREF"): the camera choice with loading and saving, and the display
// switches and limits of the active camera, grouped as the sky's parts.
#include <iterator>

#include "navigation/camera.h"
#include "zwindows/forms.h"
#include "zwindows/panels_internal.h"
#include "zwindows/widgets.h"

namespace zwindows {
namespace {

// What one widget of a group edits in the active camera.
struct Binding {
    enum Kind : uint8_t { kNothing, kFlag, kDeepSkyType, kNumber } kind;
    uint32_t bit;                 // kFlag: the display switch; kDeepSkyType: the type filter bit
    double CameraRecord::*field;  // kNumber: the field shown
    camera::Setting setting;      // kNumber: the setting written
    const char* format;           // kNumber
    bool reaims;                  // kNumber: the local-space radius also re-aims a journey
};

constexpr Binding flag(uint32_t bit) { return {Binding::kFlag, bit, nullptr, camera::Setting::kZoom, "", false}; }
constexpr Binding type(uint32_t bit) {
    return {Binding::kDeepSkyType, bit, nullptr, camera::Setting::kZoom, "", false};
}
constexpr Binding number(double CameraRecord::*field, camera::Setting setting, const char* format,
                         bool reaims = false) {
    return {Binding::kNumber, 0, field, setting, format, reaims};
}
constexpr Binding kNone{Binding::kNothing, 0, nullptr, camera::Setting::kZoom, "", false};

template <const auto& B>
void refreshBound(FormState& f) {
    const CameraRecord& c = *camera::activeCamera();
    for (int i = 0; i < int(std::size(B)); ++i) {
        const Binding& b = B[i];
        switch (b.kind) {
            case Binding::kFlag: showCheck(f, i, (c.flags & b.bit) != 0); break;
            case Binding::kDeepSkyType: showCheck(f, i, (c.deepSkyTypes & b.bit) != 0); break;
            case Binding::kNumber: showNumber(f, i, b.format, c.*b.field); break;
            default: break;
        }
    }
}

template <const auto& B>
void notifyBound(FormState& f, int entry, intptr_t value, intptr_t) {
    if (entry < 0 || entry >= int(std::size(B))) return;
    const Binding& b = B[entry];
    switch (b.kind) {
        case Binding::kFlag: camera::setFlag(b.bit, value != 0); break;
        case Binding::kDeepSkyType: {
            const uint32_t types = camera::activeCamera()->deepSkyTypes;
            camera::setDeepSkyTypes(value ? (types | b.bit) : (types & ~b.bit));
            break;
        }
        case Binding::kNumber: {
            double v = 0;
            if (!numberEdited(f, entry, b.format, value)) return;
            if (!readNumber(value, v)) {
                refuseNumber(f, entry, refreshBound<B>);
                return;
            }
            camera::set(b.setting, v);
            if (b.reaims) camera::markLockChanged();
            break;
        }
        default: break;
    }
}

template <const auto& Entries, const auto& B>
constexpr FormClass boundForm(const char* name) {
    static_assert(std::size(Entries) == std::size(B), "one binding per entry");
    return FormClass{name, Entries, int(std::size(Entries)), kFormOnCameraChanged, 0, refreshBound<B>,
                     notifyBound<B>, nullptr};
}

using camera::Setting;

// ---- Groups ------------------------------------------------------------------------------------

constexpr FormEntry kStarsEntries[] = {
    {kFormSelf, "CHECK", "Show stars", 4, 0, 80, 12, 0x1101},
    {kFormSelf, "EDIT", "mag brighter then", 92, 0, 138, 12, 0x1102},
};
constexpr Binding kStarsBindings[] = {flag(camera::kFlagStars),
                                      number(&CameraRecord::starMagLimit, Setting::kStarMagLimit, "%3.2lf")};
constexpr FormClass kStars = boundForm<kStarsEntries, kStarsBindings>("ZCPSTARS");

constexpr FormEntry kDeepSkyEntries[] = {
    {kFormSelf, "CHECK", "Show deep sky objects", 4, 0, 164, 12, 0x1202},
    {kFormSelf, "EDIT", "mag. brighter then", 24, 12, 144, 12, 0x1203},
    {kFormSelf, "CHECK", "Use textures", 4, 24, 128, 12, 0x1204},
    {kFormSelf, "GROUP", "Type Filter", 4, 40, 220, 40, 0x1201},
    {3, "ZCPDSTYPE", "", 4, 10, 215, 30, 0x1201},
};
constexpr Binding kDeepSkyBindings[] = {
    flag(camera::kFlagDeepSky), number(&CameraRecord::deepSkyMagLimit, Setting::kDeepSkyMagLimit, "%3.2lf"),
    flag(camera::kFlagDeepSkyTexture), kNone, kNone};
constexpr FormClass kDeepSky = boundForm<kDeepSkyEntries, kDeepSkyBindings>("ZCPDEEPSKY");

// The left column is wide enough for "Globular Clusters" to be read whole.
constexpr FormEntry kDeepSkyTypeEntries[] = {
    {kFormSelf, "CHECK", "Open Clusters", 4, 0, 124, 12, 0x1201},
    {kFormSelf, "CHECK", "Globular Clusters", 4, 12, 124, 12, 0x1201},
    {kFormSelf, "CHECK", "Pulsars", 130, 0, 80, 12, 0x1201},
    {kFormSelf, "CHECK", "Nebulas", 130, 12, 80, 12, 0x1201},
};
constexpr Binding kDeepSkyTypeBindings[] = {type(camera::kTypeOpenCluster), type(camera::kTypeGlobularCluster),
                                            type(camera::kTypePulsar), type(camera::kTypeNebula)};
constexpr FormClass kDeepSkyTypes = boundForm<kDeepSkyTypeEntries, kDeepSkyTypeBindings>("ZCPDSTYPE");

constexpr FormEntry kGalaxyEntries[] = {
    {kFormSelf, "CHECK", "Show galaxy", 4, 0, 100, 12, 0x1301},
    {kFormSelf, "CHECK", "Use texture", 128, 0, 100, 12, 0x1302},
};
constexpr Binding kGalaxyBindings[] = {flag(camera::kFlagGalaxy), flag(camera::kFlagGalaxyTexture)};
constexpr FormClass kGalaxy = boundForm<kGalaxyEntries, kGalaxyBindings>("ZCPGAL");

constexpr FormEntry kSystemEntries[] = {
    {kFormSelf, "CHECK", "Show orbital path", 4, 0, 124, 12, 0x1401},
    {kFormSelf, "CHECK", "Use texture", 128, 0, 100, 12, 0x1402},
    {kFormSelf, "CHECK", "Local star flare", 4, 16, 128, 12, 0x1403},
};
constexpr Binding kSystemBindings[] = {flag(camera::kFlagOrbits), flag(camera::kFlagBodyTexture),
                                       flag(camera::kFlagFlare)};
constexpr FormClass kSystem = boundForm<kSystemEntries, kSystemBindings>("ZCPSSYS");

constexpr FormEntry kLabelEntries[] = {
    {kFormSelf, "CHECK", "Show labels", 4, 0, 128, 12, 0x1501},
    {kFormSelf, "EDIT", "star labels brighter then", 4, 14, 200, 12, 0x1502},
};
constexpr Binding kLabelBindings[] = {flag(camera::kFlagLabels),
                                      number(&CameraRecord::labelMagLimit, Setting::kLabelMagLimit, "%3.2lf")};
constexpr FormClass kLabels = boundForm<kLabelEntries, kLabelBindings>("ZCPLABLES");

constexpr FormEntry kMiscEntries[] = {
    {kFormSelf, "EDIT", "Zoom:", 4, 0, 72, 12, 0x1600},
    {kFormSelf, "EDIT", "Local Space Radius", 4, 18, 150, 12, 0x1601},
};
constexpr Binding kMiscBindings[] = {number(&CameraRecord::zoom, Setting::kZoom, "%3.2lf"),
                                     number(&CameraRecord::vradius, Setting::kViewRadius, "%4.2lf", true)};
constexpr FormClass kMisc = boundForm<kMiscEntries, kMiscBindings>("ZCPMISC");

// ---- The camera choice -------------------------------------------------------------------------

// Eight checks that act as radio buttons, then Load and Save of the active camera.
constexpr int kLoad = camera::kCameras, kSave = camera::kCameras + 1;
constexpr FormEntry kSelectEntries[] = {
    {kFormSelf, "CHECK", "1", 4, 0, 32, 12, 0x1000},    {kFormSelf, "CHECK", "2", 36, 0, 32, 12, 0x1000},
    {kFormSelf, "CHECK", "3", 68, 0, 32, 12, 0x1000},   {kFormSelf, "CHECK", "4", 100, 0, 32, 12, 0x1000},
    {kFormSelf, "CHECK", "5", 4, 12, 32, 12, 0x1000},   {kFormSelf, "CHECK", "6", 36, 12, 32, 12, 0x1000},
    {kFormSelf, "CHECK", "7", 68, 12, 32, 12, 0x1000},  {kFormSelf, "CHECK", "8", 100, 12, 32, 12, 0x1000},
    {kFormSelf, "BUTTON", "Load", 140, 5, 48, 16, 0x1001}, {kFormSelf, "BUTTON", "Save", 192, 5, 48, 16, 0x1002},
};

void refreshSelect(FormState& f) {
    const int active = camera::activeCameraIndex();
    for (int i = 0; i < camera::kCameras; ++i) showCheck(f, i, i == active);
}

// The camera operations raise the camera events, and the refresh they bring sets the checks:
// a click on the checked camera's box leaves it checked.
void notifySelect(FormState&, int entry, intptr_t, intptr_t) {
    if (entry < camera::kCameras) camera::selectCamera(entry);
    else if (entry == kLoad) camera::loadCamera(camera::activeCameraIndex());
    else if (entry == kSave) camera::saveCamera(camera::activeCameraIndex());
}

constexpr FormClass kSelect{"ZCPSELECT", kSelectEntries, int(std::size(kSelectEntries)), kFormOnCameraChanged, 0,
                            refreshSelect, notifySelect, nullptr};

// ---- The window --------------------------------------------------------------------------------

constexpr FormEntry kWindowEntries[] = {
    {kFormSelf, "GROUP", "Active camera", 4, 4, 250, 335, 0},
    {0, "ZCPSELECT", "", 4, 10, 240, 24, 0},
    {0, "GROUP", "Stars", 4, 40, 240, 30, 0},
    {2, "ZCPSTARS", "", 4, 10, 235, 20, 0x1100},
    {0, "GROUP", "Deep-Sky", 4, 75, 240, 95, 0},
    {4, "ZCPDEEPSKY", "", 4, 10, 235, 85, 0x1200},
    {0, "GROUP", "Galaxy", 4, 175, 240, 25, 0},
    {6, "ZCPGAL", "", 4, 10, 235, 15, 0x1300},
    {0, "GROUP", "Star systems", 4, 205, 240, 40, 0},
    {8, "ZCPSSYS", "", 4, 10, 235, 30, 0x1400},
    {0, "GROUP", "Lables", 4, 250, 240, 42, 0},
    {10, "ZCPLABLES", "", 4, 10, 235, 32, 0x1500},
    {0, "ZCPMISC", "", 4, 300, 240, 30, 0},
};
constexpr FormClass kWindow{"ZCAMPREF", kWindowEntries, int(std::size(kWindowEntries)), 0, 0, nullptr, nullptr,
                            nullptr};

}  // namespace

int detail::registerCameraPanel() {
    return registerForm<kSelect>() && registerForm<kStars>() && registerForm<kDeepSky>() &&
           registerForm<kDeepSkyTypes>() && registerForm<kGalaxy>() && registerForm<kSystem>() &&
           registerForm<kLabels>() && registerForm<kMisc>() && registerForm<kWindow>();
}

}  // namespace zwindows

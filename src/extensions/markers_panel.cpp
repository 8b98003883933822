// The Markers panel ("ZMARKER"): the display switch, the marker files of the marker folder
// with a dot on those loaded, and the buttons that load the chosen file and clear every marker.
#include <iterator>
#include <string>
#include <vector>

#include "extensions/markers.h"
#include "navigation/camera.h"
#include "zwindows/forms.h"
#include "zwindows/panels.h"
#include "zwindows/widgets.h"

namespace markers {
namespace {

using namespace zwindows;

enum Entry { kShow, kFiles, kLoad, kClear };
constexpr FormEntry kEntries[] = {
    {kFormSelf, "CHECK", "Show Markers", 4, 4, 128, 16, 0x3000},
    {kFormSelf, "LIST", "", 4, 40, 136, 136, 0x3100},
    {kFormSelf, "BUTTON", "Load", 144, 40, 48, 16, 0x3200},
    {kFormSelf, "BUTTON", "Clear", 144, 60, 48, 16, 0x3300},
};

int listHandler(const FormState& f) { return nodeHandler(formEntry(f, kFiles)); }

void fill(FormState& f) {
    const int list = listHandler(f);
    zode::send(list, kListSetMarks, 1);
    for (const std::string& name : markerFiles())
        zode::send(list, kListAdd, -1, reinterpret_cast<intptr_t>(name.c_str()), 0);
}

// The check follows the display, whoever switched it (the M key, the console's words).
void refresh(FormState& f) {
    if (!f.shownValid) {
        fill(f);
        f.shownValid = 1;
    }
    showCheck(f, kShow, markersShown != 0);
}

void load(FormState& f) {
    const int list = listHandler(f);
    const int item = zode::send(list, kListSelected);
    if (item < 0) return;
    char name[kListTextMax + 1];
    zode::send(list, kListText, item, reinterpret_cast<intptr_t>(name), sizeof name);
    if (markerLoad(name) < 0) return;
    zode::send(list, kListSetValue, item, 1);
    // Markers loaded to be looked at are shown.
    if (!markersShown) showMarkers(1);
}

void notify(FormState& f, int entry, intptr_t value, intptr_t) {
    switch (entry) {
        case kShow: showMarkers(value ? 1 : 0); break;
        case kLoad: load(f); break;
        case kClear:
            markerClear();
            zode::send(listHandler(f), kListSetAllValues, 0);
            break;
        default: return;
    }
    camera::requestRebuild();
}

int32_t message(FormState& f, const zode::Message& m) {
    if (m.code != kPaint) return 0;
    const Rect r = clientRect(f.node);
    drawText(*reinterpret_cast<draw::Surface*>(m.a2), r.x + 8, r.y + 28, "Select markers", 14, colours().text);
    return 1;
}

constexpr FormClass kWindow{kMarkersPanel, kEntries, int(std::size(kEntries)), kFormOnCameraChanged, 0, refresh,
                            notify, message};

}  // namespace

int markersPanelStart() {
    registerForm<kWindow>();
    const Node window =
        createNode(kNoNode, kMarkersPanel, "Markers", 200, 200, 200, 200, kTitleBar | kFramed | kFilled | kVisible);
    if (window == kNoNode) return 0;
    setHelpTopic(window, 0x3400);
    closeNode(window);
    return 1;
}

// The window goes with the window manager's stop; the panel keeps nothing of its own.
void markersPanelStop() {}

}  // namespace markers

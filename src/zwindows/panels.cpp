// The panels' start and stop: their classes, their windows made closed in order, and the
// lookup that the keys and the toolbar's menu show them by.
#include "zwindows/panels.h"

#include <cstring>

#include "zwindows/panels_internal.h"
#include "zwindows/zwindows_internal.h"

namespace zwindows {
namespace {

constexpr uint32_t kPanelFlags = kTitleBar | kFramed | kFilled | kVisible;  // 0x72

struct PanelWindow {
    const char* windowClass;
    const char* caption;
    int x, y, width, height;  // pixels
    uint32_t helpTopic;       // 0: none
    int (*registerClasses)();
};

// In the order they are made; the Markers panel between Search and Location is the markers'.
constexpr PanelWindow kPanels[] = {
    {kCameraPanel, "Camera", 10, 10, 260, 365, 0x1700, detail::registerCameraPanel},
    {kSearchPanel, "Search", 120, 120, 256, 256, 0x5500, detail::registerSearchPanel},
    {kLocationPanel, "Location", 300, 120, 280, 160, 0, detail::registerLocationPanel},
    {kPluginsPanel, "Plugins", 200, 100, 140, 164, 0, detail::registerPluginsPanel},
    {kHelpPanel, "Help", 200, 100, 252, 256, 0, detail::registerHelpPanel},
    {kConfigPanel, "Config", 200, 10, 232, 180, 0x6000, detail::registerConfigPanel},
};

}  // namespace

int panelsStart() {
    for (const PanelWindow& p : kPanels) {
        // A panel whose classes cannot all be registered (the Help panel without its text) has
        // no window.
        if (!p.registerClasses()) continue;
        const Node w = createNode(kNoNode, p.windowClass, p.caption, p.x, p.y, p.width, p.height, kPanelFlags);
        if (w == kNoNode) continue;
        setHelpTopic(w, p.helpTopic);
        closeNode(w);
        if (std::strcmp(p.windowClass, kHelpPanel) == 0) detail::helpWindowMade(w);
    }
    return 1;
}

void panelsStop() {
    detail::releaseHelpPanel();
    detail::releaseLocationPanel();
    detail::releasePluginsPanel();
}

Node panelWindow(const char* windowClass) {
    const int cls = findClass(windowClass);
    if (cls < 0) return kNoNode;
    for (Node n = firstChild(rootNode()); n != kNoNode; n = nextSibling(n))
        if (detail::nodeClass(n) == cls) return n;
    return kNoNode;
}

int showPanel(const char* windowClass) {
    const Node w = panelWindow(windowClass);
    if (w == kNoNode) return 0;
    showNode(w);
    return 1;
}

}  // namespace zwindows

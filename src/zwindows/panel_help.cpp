// The Help panel ("ZHELP"): the help pages of "help.html" in a viewer, with back, forward and
// home buttons on its bar; it receives every help pick and opens the picked topic's page.
#include <cstdio>
#include <iterator>

#include "vfs/vfs.h"
#include "video/video.h"
#include "zwindows/forms.h"
#include "zwindows/panels.h"
#include "zwindows/panels_internal.h"
#include "zwindows/widgets.h"

namespace zwindows {
namespace {

constexpr FormEntry kEntries[] = {
    {kFormSelf, "HTML", "", 4, 28, 244, 208, 0x7300},
};

draw::BitmapPtr bar;
Node window = kNoNode;

int sendViewer(const FormState& f, uint32_t code, const char* reference = nullptr) {
    return zode::send(nodeHandler(formEntry(f, 0)), code, reinterpret_cast<intptr_t>(reference));
}

void openStart(const FormState& f) {
    char start[16];
    std::snprintf(start, sizeof start, "?%X", kHelpStartTopic);
    sendViewer(f, kHtmlOpen, start);
}

void created(FormState& f) {
    if (f.shownValid) return;
    f.shownValid = 1;
    // The viewer's face is a pale green, so that help reads apart from the panels.
    setFaceColour(formEntry(f, 0), draw::packColour(video::state.format, 168, 255, 211));
    openStart(f);
}

int32_t message(FormState& f, const zode::Message& m) {
    switch (m.code) {
        case kPaint: {
            draw::Surface& s = *reinterpret_cast<draw::Surface*>(m.a2);
            const Rect r = clientRect(f.node);
            if (bar) draw::drawBitmap(s, *bar, r.x, r.y);
            return 1;
        }
        case kLeftClick: {
            const int x = static_cast<int>(m.a2), y = static_cast<int>(m.a3);
            if (y <= 3 || y >= 20) return 1;
            if (x > 7 && x < 24) sendViewer(f, kHtmlBack);
            else if (x > 28 && x < 45) sendViewer(f, kHtmlForward);
            else if (x >= 50 && x < 66) openStart(f);
            return 1;
        }
        case kHelpPick: {
            // A topic's page, or the reference a link of another viewer handed on; a pick that
            // ended off every window brings the window up as it was.
            char reference[24];
            const char* open = nullptr;
            if (m.a1 != 0) {
                std::snprintf(reference, sizeof reference, "?%lx", static_cast<unsigned long>(m.a1));
                open = reference;
            } else {
                open = reinterpret_cast<const char*>(m.a2);
            }
            if (open) sendViewer(f, kHtmlOpen, open);
            showNode(f.node);
            return 1;
        }
        default: return 0;
    }
}

constexpr FormClass kWindow{"ZHELP", kEntries, int(std::size(kEntries)), 0, 0, created, nullptr, message};

}  // namespace

int detail::registerHelpPanel() {
    size_t size = 0;
    if (!vfs::loadFile("help.html", &size)) return 0;
    bar = video::loadDisplayBitmap("helpBar.bmp");
    if (!bar) return 0;
    return registerForm<kWindow>();
}

void detail::helpWindowMade(Node node) {
    window = node;
    setHelpHandler(node);
}

void detail::releaseHelpPanel() {
    setHelpHandler(kNoNode);
    window = kNoNode;
    bar.reset();
}

}  // namespace zwindows

// The HTML widget: a hypertext viewer with its scroll bar, inside a node.
#include <new>

#include "zwindows/viewer.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows_internal.h"

namespace zwindows {
namespace {

constexpr int kScrollBarWidth = 16;  // pixels; the text wraps short of it
constexpr int kPageTop = 2;          // pixels from the client area's top to the page's

Node nodeOf(const zode::Message* m) { return static_cast<Node>(m->a1); }

void sendScroll(const HtmlData& d, uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0) {
    zode::send(nodeHandler(d.scroll), code, a1, a2, a3, a4);
}

// The viewer's size follows the node's; a new width lays the page out again.
void fitViewer(Node node, Viewer& v) {
    const Rect r = clientRect(node);
    v.clientHeight = r.height;
    v.visibleBottom = v.scrollOffset + v.clientHeight;
    const int wrap = r.width - kScrollBarWidth;
    if (wrap != v.wrapWidth) {
        v.wrapWidth = wrap;
        if (v.page.text) layoutPage(v, v.page);
    }
}

void paintHtml(Node node, HtmlData& d, draw::Surface& s) {
    Viewer& v = *d.viewer;
    fitViewer(node, v);
    if (v.layoutChanged) {
        if (v.documentHeight > v.clientHeight) {
            sendScroll(d, kScrollShowThumb, 1);
            sendScroll(d, kScrollSetRange, 0, v.documentHeight, 1, 0);
        } else {
            sendScroll(d, kScrollShowThumb, 0);
        }
        v.layoutChanged = 0;
    }
    const Rect r = clientRect(node);
    drawPage(v, s, Rect{r.x, r.y + kPageTop, r.width, r.height - kPageTop});
}

}  // namespace

Viewer* htmlViewer(Node node) {
    if (detail::nodeClass(node) != findClass("HTML")) return nullptr;
    const auto* d = static_cast<const HtmlData*>(detail::nodeData(node));
    return d ? d->viewer : nullptr;
}

namespace detail {

int32_t htmlProc(zode::Message* m) {
    auto* d = static_cast<HtmlData*>(m->data);
    if (!d) return 0;
    if (m->code == zode::kDestroy) {
        delete d->viewer;
        d->viewer = nullptr;
        return 1;
    }
    if (m->code == kCreate) {
        const Node node = nodeOf(m);
        initFlags(node, kVisible | kFilled | (nodeFlags(node) & kClosed));
        setNodeData(node, d);
        // One allocation for the widget's life: the layout tables are fixed from here on.
        d->viewer = new (std::nothrow) Viewer();
        const Rect r = clientRect(node);
        d->scroll = createNode(node, "SCROLL", "", r.width - kScrollBarWidth, 1, kScrollBarWidth, r.height - 1,
                               kVisible | kFilled);
        sendScroll(*d, kScrollShowThumb, 0);
        if (d->viewer) fitViewer(node, *d->viewer);
        return 1;
    }
    if (!d->viewer) return 0;
    Viewer& v = *d->viewer;
    switch (m->code) {
        case kLeftHeld:
            // A link is followed once per press: the held message comes on every routing pass,
            // and the page it opens may have another link under the pointer.
            if (d->linkPress == pressNumber()) return 1;
            if (clickLink(v, int(m->a2), int(m->a3) - kPageTop)) d->linkPress = pressNumber();
            return 1;
        case kNotify:
            if (static_cast<Node>(m->a1) == d->scroll) scrollPage(v, int(m->a2));
            return 1;
        case kHtmlOpen: {
            const char* reference = reinterpret_cast<const char*>(m->a1);
            if (!reference) {
                clearPage(v);
                return 1;
            }
            return openReference(v, reference);
        }
        case kHtmlBack: return historyBack(v);
        case kHtmlForward: return historyForward(v);
        case kPaint: paintHtml(nodeOf(m), *d, *reinterpret_cast<draw::Surface*>(m->a2)); return 1;
        default: return 0;
    }
}

}  // namespace detail

}  // namespace zwindows

// The frames and routing passes of a screen full of windows allocate nothing: every C++
// allocation of this test program is counted while ten windows with all their widgets are drawn,
// clicked, typed into, scrolled, and their help page follows a link.
#include <cstdlib>
#include <new>

#include "zwindows_fixture.h"

namespace {

long allocations = 0;
bool counting = false;

}  // namespace

// The replacements hand malloc's blocks to free: GCC cannot see that new and delete are replaced
// together.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using namespace zwindows;

int32_t quietProc(zode::Message*) { return 1; }

class Frames : public zwtest::ZwindowsTest {};

TEST_F(Frames, TenWindowsOfWidgetsAreDrawnAndWorkedWithoutAllocating) {
    const zode::Request r{0, reinterpret_cast<const void*>(&quietProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("QUIET", r), 0);
    Node check = kNoNode, edit = kNoNode, list = kNoNode, html = kNoNode;
    for (int i = 0; i < 10; ++i) {
        const Node w = createNode(kNoNode, "QUIET", "Panel", 10 + 20 * i, 10 + 15 * i, 300, 260,
                                  kTitleBar | kFramed | kFilled | kVisible);
        widget(w, "BUTTON", "Load", 4, 4, 48, 16);
        check = widget(w, "CHECK", "Show stars", 60, 6, 90, 12);
        const Node group = widget(w, "GROUP", "Stars", 4, 24, 140, 34);
        edit = widget(group, "EDIT", "mag:", 4, 14, 120, 12);
        list = widget(w, "LIST", "", 4, 62, 140, 100);
        for (int k = 0; k < 40; ++k) sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>("an item"), k);
        html = widget(w, "HTML", "", 150, 24, 144, 200);
        sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("?7200"));
        widget(w, "SCROLL", "", 4, 170, 16, 60);
    }
    frame();
    // The last window made is at the bottom of the stack; bring it up to work it.
    activateNode(nodeParent(check));
    frame();

    counting = true;
    for (int f = 0; f < 100; ++f) frame();
    int x, y;
    clientPoint(check, 4, 6, x, y);
    click(x, y);
    clientPoint(edit, 40, 6, x, y);
    click(x, y);
    type("6.5\r");
    const Rect bar = clientRect(firstChild(list));
    moveTo(bar.x + 8, bar.y + bar.height - 4);
    press();
    for (int i = 0; i < 10; ++i) moveTo(bar.x + 8 + (i & 1), bar.y + bar.height - 4);
    release();
    const Rect page = clientRect(html);
    click(page.x + 80, page.y + 2 + 4);  // "Second": lays out the second help page
    for (int f = 0; f < 100; ++f) frame();
    counting = false;

    EXPECT_EQ(allocations, 0);
    // And the work was done.
    EXPECT_EQ(sendTo(check, kCheckGet), 1);
    EXPECT_EQ(htmlViewer(html)->historyCount, 2);
}

}  // namespace

// The Plugins panel ("ZPLUGIN") and the table of windows that plug-ins announce to it: the list
// shows them by name, and a click on one brings that window up.
#include <cstdio>
#include <iterator>

#include "zwindows/forms.h"
#include "zwindows/panels.h"
#include "zwindows/panels_internal.h"
#include "zwindows/widgets.h"

namespace zwindows {
namespace {

struct Announcement {
    Node window;  // kNoNode: a free slot
    char name[kAnnouncedNameMax + 1];
};
Announcement announcements[kMaxAnnouncements];
int announced = 0;     // slots in use, from the first
uint32_t changes = 0;  // how often the table changed: the list is refilled when it has

constexpr FormEntry kEntries[] = {
    {kFormSelf, "LIST", "", 4, 4, 128, 128, 0x4000},
};

struct Listed {
    uint32_t changes;  // the table's changes when the list was filled
};

void fill(FormState& f) {
    const int list = nodeHandler(formEntry(f, 0));
    zode::send(list, kListClear);
    for (int i = 0; i < announced; ++i)
        if (nodeExists(announcements[i].window))
            zode::send(list, kListAdd, -1, reinterpret_cast<intptr_t>(announcements[i].name),
                       announcements[i].window);
    formExtra<Listed>(f).changes = changes;
}

void notify(FormState& f, int entry, intptr_t item, intptr_t) {
    if (entry != 0) return;
    showNode(static_cast<Node>(zode::send(nodeHandler(formEntry(f, 0)), kListValue, item)));
}

void dropDestroyed();

// The list is filled when the panel is made and again before it is drawn after a change of the
// table or after a window in it was destroyed, so that no item names a window that is gone.
int32_t message(FormState& f, const zode::Message& m) {
    if (m.code != kPaint) return 0;
    dropDestroyed();
    if (formExtra<Listed>(f).changes != changes) fill(f);
    return 1;
}

void created(FormState& f) {
    if (!f.shownValid) {
        fill(f);
        f.shownValid = 1;
    }
}

constexpr FormClass kWindow{"ZPLUGIN", kEntries, int(std::size(kEntries)), 0, sizeof(Listed), created, notify,
                            message};

// Windows destroyed since they were announced leave their slots.
void dropDestroyed() {
    int kept = 0;
    for (int i = 0; i < announced; ++i)
        if (nodeExists(announcements[i].window)) announcements[kept++] = announcements[i];
    for (int i = kept; i < announced; ++i) announcements[i] = Announcement{};
    if (kept != announced) ++changes;
    announced = kept;
}

}  // namespace

int detail::registerPluginsPanel() { return registerForm<kWindow>(); }

// A node number of this run must not name a window of the next: a start after a stop finds the
// table empty.
void detail::releasePluginsPanel() {
    for (Announcement& a : announcements) a = Announcement{};
    announced = 0;
    ++changes;
}

int announceWindow(Node window, const char* name) {
    if (!nodeExists(window)) return 0;
    for (int i = 0; i < announced; ++i)
        if (announcements[i].window == window) return 0;
    if (announced == kMaxAnnouncements) dropDestroyed();
    if (announced == kMaxAnnouncements) return 0;
    Announcement& a = announcements[announced++];
    a.window = window;
    std::snprintf(a.name, sizeof a.name, "%s", name ? name : "");
    closeNode(window);
    ++changes;
    return 1;
}

void withdrawWindow(Node window) {
    for (int i = 0; i < announced; ++i) {
        if (announcements[i].window != window) continue;
        for (int k = i + 1; k < announced; ++k) announcements[k - 1] = announcements[k];
        announcements[--announced] = Announcement{};
        ++changes;
        return;
    }
}

int announcementCount() { return announced; }

Node announcedWindow(int index) { return index >= 0 && index < announced ? announcements[index].window : kNoNode; }

const char* announcedName(int index) { return index >= 0 && index < announced ? announcements[index].name : ""; }

}  // namespace zwindows

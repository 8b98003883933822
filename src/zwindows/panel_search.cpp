// The Search panel ("ZSEARCH"): a wildcard pattern searched through the whole catalogue, the
// objects found listed by name, and the camera turned to or locked on the one chosen.
#include <iterator>

#include "base/timer.h"
#include "catalog/catalog.h"
#include "navigation/camera.h"
#include "zwindows/forms.h"
#include "zwindows/panels_internal.h"
#include "zwindows/widgets.h"

namespace zwindows {
namespace {

enum Entry { kPattern, kSearch, kResults, kLook, kLookAndLock };
constexpr FormEntry kEntries[] = {
    {kFormSelf, "EDIT", "", 4, 4, 180, 16, 0x5000},
    {kFormSelf, "BUTTON", "Search", 188, 4, 48, 16, 0x5100},
    {kFormSelf, "LIST", "", 4, 24, 245, 180, 0x5200},
    {kFormSelf, "BUTTON", "Look", 32, 210, 64, 16, 0x5300},
    {kFormSelf, "BUTTON", "Look & Lock", 128, 210, 72, 16, 0x5400},
};

// A search over the whole catalogue takes longer than a frame, so it runs in slices: the first,
// right after the button, until the list's first page is full; then one slice every frame until
// the catalogue is gone through or the list is full. Names match in either case.
constexpr double kFirstSliceSeconds = 0.015;
constexpr double kFrameSliceSeconds = 0.004;
constexpr uint32_t kObjectsPerCheck = 1024;  // objects looked at between two looks at the clock
constexpr int kFirstPage = (180 - 4) / kCellHeight;  // rows the list shows

struct Search {
    char pattern[kEditMax + 1];
    catalog::SearchCursor cursor;
    int32_t running;
    int32_t found;  // items listed
};

int send(const FormState& f, uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0) {
    return zode::send(nodeHandler(formEntry(f, kResults)), code, a1, a2, a3);
}

void list(FormState& f, catalog::ObjectId id) {
    Search& s = formExtra<Search>(f);
    char name[catalog::kNameSize] = "";
    const int form = catalog::longNames;
    catalog::longNames = 1;
    if (catalog::objectKind(id) == 0) catalog::starName(id, name);
    else if (catalog::objectKind(id) == 1) catalog::deepSkyName(id, name);
    catalog::longNames = form;
    if (send(f, kListAdd, -1, reinterpret_cast<intptr_t>(name), static_cast<intptr_t>(id)) >= 0) ++s.found;
}

void slice(FormState& f, double seconds, int enough) {
    Search& s = formExtra<Search>(f);
    const double start = timer::secondsSinceProgramStart();
    while (s.running) {
        const catalog::ObjectId id = catalog::searchSome(s.cursor, s.pattern, kObjectsPerCheck,
                                                         catalog::LetterCase::kIgnored);
        if (id != catalog::kNoObject) list(f, id);
        if (s.cursor.next == catalog::kNoObject || s.found >= kListMax) s.running = 0;
        if (s.found >= enough || timer::secondsSinceProgramStart() - start >= seconds) break;
    }
}

void startSearch(FormState& f) {
    Search& s = formExtra<Search>(f);
    zode::send(nodeHandler(formEntry(f, kPattern)), kEditGetText, reinterpret_cast<intptr_t>(s.pattern),
               sizeof s.pattern);
    send(f, kListClear);
    s.cursor = catalog::SearchCursor{};
    s.found = 0;
    // An empty pattern would match every empty name: it finds nothing.
    s.running = s.pattern[0] != 0;
    slice(f, kFirstSliceSeconds, kFirstPage);
}

catalog::ObjectId chosen(const FormState& f) {
    const int item = send(f, kListSelected);
    if (item < 0) return catalog::kNoObject;
    return static_cast<catalog::ObjectId>(send(f, kListValue, item));
}

void notify(FormState& f, int entry, intptr_t, intptr_t) {
    switch (entry) {
        case kPattern:
            if (committedByEnter(f, entry)) startSearch(f);
            break;
        case kSearch: startSearch(f); break;
        case kLook:
        case kLookAndLock: {
            const catalog::ObjectId id = chosen(f);
            if (id == catalog::kNoObject) return;
            if (entry == kLookAndLock) camera::lockObject(static_cast<int32_t>(id));
            camera::lookAt(static_cast<int32_t>(id));
            break;
        }
        default: break;
    }
}

int32_t message(FormState& f, const zode::Message& m) {
    if (m.code != zode::kEventFrame) return 0;
    if (formExtra<Search>(f).running) slice(f, kFrameSliceSeconds, kListMax);
    return 1;
}

constexpr FormClass kWindow{"ZSEARCH", kEntries, int(std::size(kEntries)), kFormOnFrame, sizeof(Search), nullptr,
                            notify, message};

}  // namespace

int detail::registerSearchPanel() { return registerForm<kWindow>(); }

}  // namespace zwindows

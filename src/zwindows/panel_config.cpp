// The Config panel ("ZCONFIG"): the toolbar's selection mode, the local-space chart's discs and
// the kinds of star systems loaded, the first two as pairs of checks that act as radio buttons.
#include <iterator>

#include "base/settings.h"
#include "render/render.h"
#include "systems/ssd.h"
#include "systems/systems.h"
#include "zwindows/forms.h"
#include "zwindows/info.h"
#include "zwindows/panels_internal.h"

namespace zwindows {
namespace {

// A pair of checks for one value of 0 or 1: the first shows 0, the second 1. A click on either
// sets its value, and the refresh the change brings checks it and clears the other, also when it
// was the checked one already.
template <int (*Get)(), void (*Set)(int)>
void refreshPair(FormState& f) {
    const int value = Get();
    showCheck(f, 0, value == 0);
    showCheck(f, 1, value != 0);
}

template <int (*Get)(), void (*Set)(int)>
void notifyPair(FormState& f, int entry, intptr_t, intptr_t) {
    if (entry != 0 && entry != 1) return;
    Set(entry);
    // A value that did not change raises no event: the pair is put right here.
    refreshPair<Get, Set>(f);
}

constexpr FormEntry kToolbarEntries[] = {
    {kFormSelf, "CHECK", "mouse over", 4, 0, 80, 12, 0x6100},
    {kFormSelf, "CHECK", "lock mode", 100, 0, 80, 12, 0x6100},
};
constexpr FormClass kToolbar{"ZCNFTB",
                             kToolbarEntries,
                             int(std::size(kToolbarEntries)),
                             kFormOnCameraChanged,
                             0,
                             refreshPair<infoShowsLock, setInfoShowsLock>,
                             notifyPair<infoShowsLock, setInfoShowsLock>,
                             nullptr};

int localDiscsByMagnitude() { return settings::LSmagDiam != 0; }

constexpr FormEntry kLocalEntries[] = {
    {kFormSelf, "CHECK", "Diameter", 4, 0, 80, 12, 0x6200},
    {kFormSelf, "CHECK", "Magnitude", 100, 0, 80, 12, 0x6200},
};
constexpr FormClass kLocal{"ZCNFLOCAL",
                           kLocalEntries,
                           int(std::size(kLocalEntries)),
                           kFormOnCameraChanged,
                           0,
                           refreshPair<localDiscsByMagnitude, render::setLocalDiscMode>,
                           notifyPair<localDiscsByMagnitude, render::setLocalDiscMode>,
                           nullptr};

// The load filter's bits in the order of the checks: the real systems, then the four of fiction.
// The left column is wide enough for its captions to be read whole.
constexpr uint32_t kFilterBits[] = {
    systems::kSectionSolar,  systems::kSectionCompleteSolar, systems::kSectionExtraSolar,
    systems::kSectionUnconfirmed, systems::kSectionSciFi1,   systems::kSectionSciFi2,
    systems::kSectionSciFi3, systems::kSectionSciFi4,
};
constexpr FormEntry kFilterEntries[] = {
    {kFormSelf, "CHECK", "Solar System", 4, 0, 136, 12, 0x6300},
    {kFormSelf, "CHECK", "Complete Solar", 4, 12, 136, 12, 0x6300},
    {kFormSelf, "CHECK", "Extra solar systems", 4, 24, 136, 12, 0x6300},
    {kFormSelf, "CHECK", "Unconfirmed Systems", 4, 36, 136, 12, 0x6300},
    {kFormSelf, "CHECK", "SciFi 1", 142, 0, 64, 12, 0x6300},
    {kFormSelf, "CHECK", "SciFi 2", 142, 12, 64, 12, 0x6300},
    {kFormSelf, "CHECK", "SciFi 3", 142, 24, 64, 12, 0x6300},
    {kFormSelf, "CHECK", "SciFi 4", 142, 36, 64, 12, 0x6300},
};
static_assert(std::size(kFilterBits) == std::size(kFilterEntries));

void refreshFilter(FormState& f) {
    for (int i = 0; i < int(std::size(kFilterBits)); ++i) showCheck(f, i, (settings::loadFilter & kFilterBits[i]) != 0);
}

void notifyFilter(FormState& f, int entry, intptr_t value, intptr_t) {
    if (entry < 0 || entry >= int(std::size(kFilterBits))) return;
    const uint32_t bit = kFilterBits[entry];
    systems::setLoadFilter(value ? (settings::loadFilter | bit) : (settings::loadFilter & ~bit));
    refreshFilter(f);
}

constexpr FormClass kFilter{"ZCNFSSYS", kFilterEntries, int(std::size(kFilterEntries)), kFormOnCameraChanged, 0,
                            refreshFilter, notifyFilter, nullptr};

constexpr FormEntry kWindowEntries[] = {
    {kFormSelf, "GROUP", "Toolbar", 4, 4, 220, 30, 0},
    {0, "ZCNFTB", "", 4, 10, 210, 20, 0x6000},
    {kFormSelf, "GROUP", "Local Space", 4, 40, 220, 30, 0},
    {2, "ZCNFLOCAL", "", 4, 10, 210, 20, 0x6000},
    {kFormSelf, "GROUP", "Star systems Filter", 4, 80, 220, 64, 0},
    {4, "ZCNFSSYS", "", 4, 10, 210, 54, 0x6000},
};
constexpr FormClass kWindow{"ZCONFIG", kWindowEntries, int(std::size(kWindowEntries)), 0, 0, nullptr, nullptr,
                            nullptr};

}  // namespace

int detail::registerConfigPanel() {
    return registerForm<kToolbar>() && registerForm<kLocal>() && registerForm<kFilter>() &&
           registerForm<kWindow>();
}

}  // namespace zwindows

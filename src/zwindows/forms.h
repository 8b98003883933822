// Forms: in-scene windows and the groups inside them, laid out from tables and tied to the
// camera record and the settings they edit. The panels are forms, and so is any window a layer
// above builds the same way.
//
// Contract.
// - A form class is a window class (registerForm<C>()) whose nodes make, when they are created,
//   the nodes of the class's layout table in table order: widgets, group frames and nodes of
//   other form classes (a group's contents), each inside the form's own node or inside an
//   earlier entry, with its help topic. Widgets are made kVisible | kFilled; nodes of form
//   classes kVisible only, so that the frame of the group around them stays drawn.
// - The form's object subscribes, when it is made, to the events its class names: 517 (camera
//   state changed), 514 (camera moved), 256 (frame). On 517 and 514, and once right after its
//   layout is made, refresh() writes the current values into the widgets. A kNotify from one of
//   its entries goes to notify() with the entry's index; every other message, 256 included, to
//   message().
// - showNumber writes a number into an EDIT only when it differs from what the field shows and
//   the field does not hold the keyboard, so that a field being typed into keeps what is typed
//   and a refresh that changes nothing formats nothing. readNumber reads a field's text as "%lf"
//   does and refuses what is not a finite number; refuseNumber puts the current value back.
// - Each form has FormState and then `extraSize` bytes of the class's own state, cleared when
//   the node is made (formExtra<T>()).
// Nothing here allocates; one thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/zode.h"
#include "zwindows/zwindows.h"

namespace zwindows {

constexpr int kMaxFormEntries = 24;
constexpr int kFormSelf = -1;  // FormEntry::parent: the form's own node

// One node of a form's layout.
struct FormEntry {
    int parent;             // an earlier entry's index, or kFormSelf
    const char* className;  // a widget class ("CHECK", "EDIT", ...) or a form class
    const char* caption;
    int x, y, width, height;  // pixels, relative to the parent's client area
    uint32_t helpTopic;       // 0: none
};

// The head of every form node's private data.
struct FormState {
    Node node;                             // the form's own node
    int32_t object;                        // its ZODE object
    Node entries[kMaxFormEntries];         // the layout's nodes, in table order
    uint64_t shown[kMaxFormEntries];       // the number an EDIT entry shows, as its bits
    uint32_t shownValid;                   // bit i: shown[i] holds what entry i shows
    int32_t reserved;
};
static_assert(sizeof(FormState) % 16 == 0, "the class's own state follows, aligned");

enum : uint32_t {
    kFormOnCameraChanged = 1u << 0,  // event 517
    kFormOnCameraMoved = 1u << 1,    // event 514
    kFormOnFrame = 1u << 2,          // event 256
};

struct FormClass {
    const char* name;
    const FormEntry* entries;
    int entryCount;
    uint32_t events;     // kFormOn* bits
    uint32_t extraSize;  // bytes of the class's own state after FormState
    void (*refresh)(FormState& f);  // writes the current values into the widgets; null: none
    // A widget of entry `entry` reported a change (kNotify value and extra); null: none.
    void (*notify)(FormState& f, int entry, intptr_t value, intptr_t extra);
    // Any other message (paint, clicks, events other than 517 and 514); null: none.
    int32_t (*message)(FormState& f, const zode::Message& m);
};

// The callback every form class runs, and the registration of a class with its callback.
int32_t runForm(const FormClass& form, zode::Message* m);
int registerFormClass(const FormClass& form, zode::Callback callback);
template <const FormClass& C>
int32_t formProc(zode::Message* m) {
    return runForm(C, m);
}
// The class index, 0 when the class table is full or the name is taken.
template <const FormClass& C>
int registerForm() {
    return registerFormClass(C, &formProc<C>);
}

// The class's own state after the head.
template <typename T>
T& formExtra(FormState& f) {
    return *reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(&f) + sizeof(FormState));
}

// The node of entry `entry`, kNoNode outside the table.
Node formEntry(const FormState& f, int entry);
// The entry whose node is `node`, −1 for none.
int formEntryOf(const FormState& f, Node node);

void showCheck(const FormState& f, int entry, bool on);
void showNumber(FormState& f, int entry, const char* format, double value);
// A refused number: the field shows the current value again at the next refresh (at once when
// it no longer holds the keyboard).
void refuseNumber(FormState& f, int entry, void (*refresh)(FormState& f));
// Sets an EDIT's text whatever it showed.
void showText(FormState& f, int entry, const char* text);
// "%lf" of a field's text (kNotify's value): leading blanks, a number, anything after it.
bool readNumber(intptr_t text, double& out);
// Whether a field's text (kNotify's value) differs from the number showNumber last wrote into it
// with `format`: a field that was only clicked into and left again changes nothing, although the
// number it shows is rounded.
bool numberEdited(const FormState& f, int entry, const char* format, intptr_t text);
// Whether a field's notify came from Enter (the field still holds the keyboard) rather than
// from leaving it.
bool committedByEnter(const FormState& f, int entry);

}  // namespace zwindows

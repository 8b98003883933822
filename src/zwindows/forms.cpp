// Forms: the layout of a form's table when its node is made, its events, and the helpers that
// write values into widgets and read them back.
#include "zwindows/forms.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zwindows/widgets.h"

namespace zwindows {
namespace {

bool isWidgetClass(const char* name) {
    for (const char* widget : kWidgetClasses)
        if (std::strcmp(widget, name) == 0) return true;
    return false;
}

void makeEntries(const FormClass& form, FormState& f) {
    const int count = form.entryCount < kMaxFormEntries ? form.entryCount : kMaxFormEntries;
    for (int i = 0; i < count; ++i) {
        const FormEntry& e = form.entries[i];
        const Node parent = e.parent >= 0 && e.parent < i ? f.entries[e.parent] : f.node;
        const uint32_t flags = isWidgetClass(e.className) ? (kVisible | kFilled) : kVisible;
        f.entries[i] = createNode(parent, e.className, e.caption, e.x, e.y, e.width, e.height, flags);
        setHelpTopic(f.entries[i], e.helpTopic);
    }
}

void subscribe(const FormClass& form, int object) {
    if (form.events & kFormOnCameraChanged) zode::subscribe(zode::kEventCameraChanged, object);
    if (form.events & kFormOnCameraMoved) zode::subscribe(zode::kEventCameraMoved, object);
    if (form.events & kFormOnFrame) zode::subscribe(zode::kEventFrame, object);
}

}  // namespace

int32_t runForm(const FormClass& form, zode::Message* m) {
    auto* f = static_cast<FormState*>(m->data);
    if (!f) return 0;
    switch (m->code) {
        case zode::kCreate:
            f->object = m->object;
            subscribe(form, m->object);
            return 1;
        case zode::kDestroy: return 1;  // the bus frees the subscriptions with the object
        case kCreate:
            f->node = static_cast<Node>(m->a1);
            makeEntries(form, *f);
            if (form.refresh) form.refresh(*f);
            return 1;
        case zode::kEventCameraChanged:
        case zode::kEventCameraMoved:
            if (form.refresh && f->node != kNoNode) form.refresh(*f);
            return 1;
        case kNotify: {
            const int entry = formEntryOf(*f, static_cast<Node>(m->a1));
            if (entry >= 0 && form.notify) form.notify(*f, entry, m->a2, m->a3);
            return 1;
        }
        default: return form.message && f->node != kNoNode ? form.message(*f, *m) : 0;
    }
}

int registerFormClass(const FormClass& form, zode::Callback callback) {
    const zode::Request request{static_cast<uint32_t>(sizeof(FormState) + form.extraSize),
                                reinterpret_cast<const void*>(callback), zode::kDirect, nullptr};
    return registerClass(form.name, request);
}

Node formEntry(const FormState& f, int entry) {
    return entry >= 0 && entry < kMaxFormEntries ? f.entries[entry] : kNoNode;
}

int formEntryOf(const FormState& f, Node node) {
    if (node == kNoNode) return -1;
    for (int i = 0; i < kMaxFormEntries; ++i)
        if (f.entries[i] == node) return i;
    return -1;
}

void showCheck(const FormState& f, int entry, bool on) {
    zode::send(nodeHandler(formEntry(f, entry)), kCheckSet, on ? 1 : 0);
}

void showNumber(FormState& f, int entry, const char* format, double value) {
    const Node edit = formEntry(f, entry);
    if (edit == kNoNode || (nodeFlags(edit) & kActiveChain)) return;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t bit = 1u << entry;
    if ((f.shownValid & bit) && f.shown[entry] == bits) return;
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    zode::send(nodeHandler(edit), kEditSetText, reinterpret_cast<intptr_t>(text));
    f.shown[entry] = bits;
    f.shownValid |= bit;
}

void refuseNumber(FormState& f, int entry, void (*refresh)(FormState& f)) {
    if (entry >= 0 && entry < kMaxFormEntries) f.shownValid &= ~(1u << entry);
    if (refresh) refresh(f);
}

void showText(FormState& f, int entry, const char* text) {
    if (entry >= 0 && entry < kMaxFormEntries) f.shownValid &= ~(1u << entry);
    zode::send(nodeHandler(formEntry(f, entry)), kEditSetText, reinterpret_cast<intptr_t>(text));
}

bool readNumber(intptr_t text, double& out) {
    const char* s = reinterpret_cast<const char*>(text);
    if (!s) return false;
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    // A number that does not read, or one that would make every later step of the camera
    // infinite or not a number, is not stored.
    if (end == s || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool numberEdited(const FormState& f, int entry, const char* format, intptr_t text) {
    const char* typed = reinterpret_cast<const char*>(text);
    if (!typed || entry < 0 || entry >= kMaxFormEntries || !(f.shownValid & (1u << entry))) return true;
    double value;
    std::memcpy(&value, &f.shown[entry], sizeof value);
    char shown[64];
    std::snprintf(shown, sizeof shown, format, value);
    return std::strcmp(shown, typed) != 0;
}

bool committedByEnter(const FormState& f, int entry) {
    return (nodeFlags(formEntry(f, entry)) & kActiveChain) != 0;
}

}  // namespace zwindows

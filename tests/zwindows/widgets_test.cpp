// The widgets as a user works them: buttons and check boxes clicked, scroll arrows held, edit
// fields typed into, lists scrolled and clicked; their messages, limits and pictures.
#include <cstring>

#include "support/golden.h"
#include "zwindows_fixture.h"

namespace {

using namespace zwindows;

class Widgets : public zwtest::ZwindowsTest {
protected:
    void SetUp() override {
        ZwindowsTest::SetUp();
        form = window("Widgets", 20, 20, 400, 300);
        frame();
    }
    // A click at (dx, dy) of a widget's client area.
    void clickIn(Node node, int dx, int dy) {
        int x, y;
        clientPoint(node, dx, dy, x, y);
        click(x, y);
    }
    Node form = kNoNode;
};

TEST_F(Widgets, AButtonNotifiesOncePerClickAndShowsPressedWhileHeld) {
    const Node button = widget(form, "BUTTON", "Load", 10, 10, 48, 16);
    frame();
    clickIn(button, 10, 8);
    ASSERT_EQ(notes(button).size(), 1u);
    EXPECT_EQ(notes(button)[0].first, 0);
    clickIn(button, 10, 8);
    EXPECT_EQ(notes(button).size(), 2u);

    // Held: drawn in the title bar colour; released away from it: raised again, no click.
    const Rect r = clientRect(button);
    moveTo(r.x + 10, r.y + 8);
    press();
    EXPECT_EQ(pixel(r.x + 2, r.y + 2), colours().title);
    moveTo(300, 250);
    release();
    frame();
    EXPECT_EQ(notes(button).size(), 2u);
    EXPECT_EQ(pixel(r.x + 2, r.y + 2), colours().face);
    EXPECT_EQ(pixel(r.x, r.y), colours().light);
}

TEST_F(Widgets, ACheckBoxTogglesOnClickAndAnswersItsState) {
    const Node check = widget(form, "CHECK", "Show stars", 10, 10, 100, 12);
    frame();
    clickIn(check, 5, 6);
    EXPECT_EQ(sendTo(check, kCheckGet), 1);
    clickIn(check, 5, 6);
    EXPECT_EQ(sendTo(check, kCheckGet), 0);
    ASSERT_EQ(notes(check).size(), 2u);
    EXPECT_EQ(notes(check)[0].first, 1);
    EXPECT_EQ(notes(check)[1].first, 0);
    // Set from outside (a panel on a camera event): no notification.
    sendTo(check, kCheckSet, 1);
    EXPECT_EQ(sendTo(check, kCheckGet), 1);
    EXPECT_EQ(notes(check).size(), 2u);
}

TEST_F(Widgets, AHeldScrollArrowStepsOnEveryRoutingPassUntilTheLimit) {
    const Node bar = widget(form, "SCROLL", "", 300, 10, 16, 200);
    sendTo(bar, kScrollSetRange, 0, 1000, 100, 0);
    frame();
    const Rect r = clientRect(bar);
    moveTo(r.x + 8, r.y + r.height - 5);  // the down arrow
    press();                               // the press itself steps
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 100);
    // Every message while the button is down is a routing pass: the pointer jiggles.
    for (int i = 1; i <= 12; ++i) {
        moveTo(r.x + 8 + (i & 1), r.y + r.height - 5);
        EXPECT_EQ(sendTo(bar, kScrollGetValue), std::min(1000, 100 + 100 * i)) << i;
    }
    release();
    EXPECT_EQ(notes(bar).back().first, 1000);
    // The thumb follows: at the bottom limit, height − 25.
    EXPECT_EQ(notes(bar).back().second, r.height - 25);
    // And back up to the minimum with the up arrow.
    moveTo(r.x + 8, r.y + 5);
    press();
    for (int i = 0; i < 15; ++i) moveTo(r.x + 8 + (i & 1), r.y + 5);
    release();
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 0);
    EXPECT_EQ(notes(bar).back().second, 25);
}

TEST_F(Widgets, TheThumbFollowsThePointerAndTheValueTheThumb) {
    const Node bar = widget(form, "SCROLL", "", 300, 10, 16, 250);  // travel 25 .. 225
    sendTo(bar, kScrollSetRange, 0, 400, 1, 0);
    frame();
    const Rect r = clientRect(bar);
    moveTo(r.x + 8, r.y + 125);  // half way
    press();
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 200);
    moveTo(r.x + 8, r.y + 75);
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 100);
    EXPECT_EQ(notes(bar).back(), (std::pair<intptr_t, intptr_t>{100, 75}));
    release();
    // Values set from outside stay in the range; the thumb follows them.
    sendTo(bar, kScrollSetValue, 5000);
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 400);
    sendTo(bar, kScrollSetRange, 100, 300, 10, 200);
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 200);

    // Without its thumb the bar ignores the button.
    sendTo(bar, kScrollShowThumb, 0);
    const size_t before = notes(bar).size();
    moveTo(r.x + 8, r.y + 5);
    press();
    release();
    EXPECT_EQ(sendTo(bar, kScrollGetValue), 200);
    EXPECT_EQ(notes(bar).size(), before);
}

TEST_F(Widgets, AnEditShowsItsTextAndHandsOnWhatIsLeftAfterBackspace) {
    const Node edit = widget(form, "EDIT", "Name:", 10, 10, 200, 12);
    sendTo(edit, kEditSetText, reinterpret_cast<intptr_t>("Vega!"));
    clickIn(edit, 60, 6);
    ASSERT_EQ(input::editHasKeyboard, 1);
    // All five characters shown, the cursor after the last one (it blinks: 8 frames of 17).
    const Rect r = clientRect(edit);
    const int boxX = r.x + 6 * 5 + 4;
    bool cursorSeen = false;
    for (int f = 0; f < 17; ++f) {
        frame();
        cursorSeen |= pixel(boxX + 2 + 6 * 5, r.y + 6) == colours().text;
    }
    EXPECT_TRUE(cursorSeen);
    // The fifth character has its cell.
    bool inkOfFifth = false;
    for (int y = r.y + 2; y < r.y + 10; ++y)
        for (int x = boxX + 2 + 6 * 4; x < boxX + 2 + 6 * 4 + 5; ++x) inkOfFifth |= pixel(x, y) == colours().text;
    EXPECT_TRUE(inkOfFifth);

    pass(platform::WM_CHAR, 8, 1);
    pass(platform::WM_CHAR, 13, 1);
    ASSERT_FALSE(notes(edit).empty());
    EXPECT_EQ(notes(edit).back().second, 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(notes(edit).back().first), "Vega");

    // At most 128 characters; control characters other than 8 and 13 are not text.
    type(std::string(200, 'x'));
    type("\t\x1b");
    char text[kEditMax + 1];
    EXPECT_EQ(sendTo(edit, kEditGetText, reinterpret_cast<intptr_t>(text), sizeof text), kEditMax);
    // A small buffer gets what fits, still terminated.
    char small[5];
    EXPECT_EQ(sendTo(edit, kEditGetText, reinterpret_cast<intptr_t>(small), sizeof small), kEditMax);
    EXPECT_STREQ(small, "Vega");
    // Backspace down to nothing and past it.
    for (int i = 0; i < 140; ++i) pass(platform::WM_CHAR, 8, 1);
    EXPECT_EQ(sendTo(edit, kEditGetText, reinterpret_cast<intptr_t>(text), sizeof text), 0);
}

TEST_F(Widgets, ALongTextScrollsTheFieldAndALongCaptionLeavesNoField) {
    const Node edit = widget(form, "EDIT", "", 10, 10, 62, 12);  // ten characters
    clickIn(edit, 5, 6);
    type("0123456789AB");
    // Twelve characters in a field of ten: it shows from the eighth, so the cursor after the
    // last one lies half way along, inside the box.
    const Rect r = clientRect(edit);
    bool cursorSeen = false;
    for (int f = 0; f < 17; ++f) {
        frame();
        cursorSeen |= pixel(r.x + 2 + 6 * 5, r.y + 6) == colours().text;
    }
    EXPECT_TRUE(cursorSeen);
    EXPECT_EQ(pixel(r.x + r.width + 1, r.y + 5), colours().face);

    // A caption longer than the widget: cut at the widget's end, and no field.
    const Node crowded = widget(form, "EDIT", "A caption far longer", 10, 40, 60, 12);
    clickIn(crowded, 30, 6);
    type("typed");
    frame();
    const Rect c = clientRect(crowded);
    for (int y = c.y - 2; y < c.y + 14; ++y)
        for (int x = c.x + c.width; x < c.x + c.width + 40; ++x)
            ASSERT_EQ(pixel(x, y), colours().face) << x << "," << y;
}

TEST_F(Widgets, AListScrollsItsItemsAndIgnoresClicksBelowTheLast) {
    const Node list = widget(form, "LIST", "", 10, 10, 136, 84);  // (84 − 4) / 8 = 10 rows
    const Node scroll = firstChild(list);
    ASSERT_NE(scroll, kNoNode);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>(("item " + std::to_string(i)).c_str()), i), i);
    frame();
    // A click below the last of five items changes nothing.
    clickIn(list, 20, 2 + 8 * 7 + 3);
    EXPECT_EQ(sendTo(list, kListSelected), -1);
    EXPECT_TRUE(notes(list).empty());
    clickIn(list, 20, 2 + 8 * 3 + 3);
    EXPECT_EQ(sendTo(list, kListSelected), 3);
    ASSERT_EQ(notes(list).size(), 1u);
    EXPECT_EQ(notes(list)[0].first, 3);

    // More items than rows show the thumb; the range runs to count − rows.
    for (int i = 5; i < 25; ++i) sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>(("item " + std::to_string(i)).c_str()), i);
    frame();
    const Rect s = clientRect(scroll);
    moveTo(s.x + 8, s.y + s.height - 5);
    press();
    for (int i = 0; i < 30; ++i) moveTo(s.x + 8 + (i & 1), s.y + s.height - 5);
    release();
    EXPECT_EQ(sendTo(scroll, kScrollGetValue), 25 - 10);
    // The list shows from item 15: a click on its first row selects item 15.
    clickIn(list, 20, 4);
    EXPECT_EQ(sendTo(list, kListSelected), 15);
    char text[32];
    EXPECT_EQ(sendTo(list, kListText, 15, reinterpret_cast<intptr_t>(text), sizeof text), 7);
    EXPECT_STREQ(text, "item 15");

    // Items outside the list answer 0 and change nothing.
    EXPECT_EQ(sendTo(list, kListValue, 25), 0);
    EXPECT_EQ(sendTo(list, kListValue, -1), 0);
    EXPECT_EQ(sendTo(list, kListSetValue, 99, 7), 0);
    EXPECT_EQ(sendTo(list, kListText, 25, reinterpret_cast<intptr_t>(text), sizeof text), 0);
    EXPECT_EQ(sendTo(list, kListValue, 24), 24);
    sendTo(list, kListSetAllValues, 0);
    sendTo(list, kListSetValue, 2, 9);
    EXPECT_EQ(sendTo(list, kListValue, 2), 9);
    EXPECT_EQ(sendTo(list, kListValue, 3), 0);

    // Inserting before an item moves it and the selection down.
    EXPECT_EQ(sendTo(list, kListAdd, 15, reinterpret_cast<intptr_t>("inserted"), 1), 15);
    EXPECT_EQ(sendTo(list, kListSelected), 16);
    sendTo(list, kListText, 16, reinterpret_cast<intptr_t>(text), sizeof text);
    EXPECT_STREQ(text, "item 15");

    // Emptied: no selection, no thumb; then full at 1024.
    sendTo(list, kListClear);
    EXPECT_EQ(sendTo(list, kListSelected), -1);
    const int before = sendTo(scroll, kScrollGetValue);
    moveTo(s.x + 8, s.y + s.height - 5);
    press();
    release();
    EXPECT_EQ(sendTo(scroll, kScrollGetValue), before);  // the hidden thumb takes no button
    for (int i = 0; i < kListMax; ++i) ASSERT_EQ(sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>("x"), 0), i);
    EXPECT_EQ(sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>("one more"), 0), -1);
}

// Every widget in one window, drawn over a black scene, against the stored picture.
TEST_F(Widgets, EveryWidgetDrawsAsTheStoredPicture) {
    destroyNode(form);
    const Node w = window("Every widget", 10, 10, 300, 220);
    widget(w, "BUTTON", "Load", 4, 4, 48, 16);
    widget(w, "BUTTON", "Save", 56, 4, 48, 16);
    const Node on = widget(w, "CHECK", "Show stars", 110, 4, 90, 12);
    widget(w, "CHECK", "Labels", 110, 16, 90, 12);
    sendTo(on, kCheckSet, 1);
    const Node group = widget(w, "GROUP", "Stars", 4, 30, 140, 40);
    const Node edit = widget(group, "EDIT", "mag:", 4, 14, 120, 12);
    sendTo(edit, kEditSetText, reinterpret_cast<intptr_t>("6.50"));
    const Node list = widget(w, "LIST", "", 4, 76, 140, 60);
    for (const char* name : {"bayer-family.map", "galaxy.map", "nearest.map", "orion-family.map",
                             "perseus-family.map", "zodiac-1.map", "zodiac-2.map", "ursa-major-family.map"})
        sendTo(list, kListAdd, -1, reinterpret_cast<intptr_t>(name), 0);
    sendTo(list, kListSetMarks, 1);
    sendTo(list, kListSetValue, 3, 1);
    sendTo(list, kListSelect, 1);
    const Node html = widget(w, "HTML", "", 150, 30, 140, 106);
    sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("?7200"));
    widget(w, "SCROLL", "", 4, 140, 16, 60);
    // The edit has the keyboard: the picture is taken in a frame that shows its cursor.
    clickIn(edit, 40, 6);
    moveTo(400, 300);
    const Rect e = clientRect(edit);
    const int cursorX = e.x + 6 * 4 + 4 + 2 + 6 * 4;
    for (int f = 0; f < 17; ++f) {
        draw::clear(surface, 0);
        frame();
        if (pixel(cursorX, e.y + 6) == colours().text) break;
    }
    EXPECT_EQ(golden::compare(surface, 320, 240, "zwindows-widgets"), "");
}

}  // namespace

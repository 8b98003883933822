// The hypertext viewer: page sources, the layout of text, tags and links, bounds on hostile pages,
// and the HTML widget clicked as a user clicks it: links, object links, scrolling, history.
#include <cstring>
#include <string>

#include "zwindows_fixture.h"

namespace {

using namespace zwindows;

std::string itemText(const Viewer& v, int k) { return std::string(v.text + v.items[k].text, v.items[k].length); }

// The layout of a page given as text, in a viewer `columns` characters wide.
struct Laid {
    Viewer v;
    explicit Laid(const std::string& page, int wrapWidth = 240) {
        v.wrapWidth = wrapWidth;
        v.clientHeight = 200;
        text = page;
        layoutPage(v, Page{text.data(), text.size()});
    }
    std::string text;
};

class Layout : public zwtest::ZwindowsTest {};

TEST_F(Layout, AParagraphOfTwoWordsIsOneItemAtFourTwenty) {
    static Laid l("<p>Hello world");
    ASSERT_EQ(l.v.itemCount, 1);
    EXPECT_EQ(itemText(l.v, 0), "Hello world");
    EXPECT_EQ(l.v.items[0].x, 4);
    EXPECT_EQ(l.v.items[0].y, 20);
    EXPECT_EQ(l.v.items[0].type, kTextItem);
    EXPECT_EQ(l.v.documentHeight, 20);
}

TEST_F(Layout, WordsThatDoNotFitMoveWholeAndAWordLongerThanALineIsBroken) {
    // 4 + 6 × 10 = 64: nine characters fit on a line.
    static Laid words("alpha beta gamma", 64);
    ASSERT_EQ(words.v.itemCount, 3);
    EXPECT_EQ(itemText(words.v, 0), "alpha ");
    EXPECT_EQ(itemText(words.v, 1), "beta ");
    EXPECT_EQ(itemText(words.v, 2), "gamma");
    EXPECT_EQ(words.v.items[1].y, 9);
    EXPECT_EQ(words.v.items[2].y, 18);
    EXPECT_EQ(words.v.items[2].x, 4);

    static Laid long_("abcdefghijklmnopqrstuvwxyz", 64);
    ASSERT_EQ(long_.v.itemCount, 3);
    EXPECT_EQ(itemText(long_.v, 0), "abcdefghi");
    EXPECT_EQ(itemText(long_.v, 1), "jklmnopqr");
    EXPECT_EQ(itemText(long_.v, 2), "stuvwxyz");

    // A word after other text on its line moves down even if it is too long, then breaks.
    static Laid after("ab <b>abcdefghijkl", 64);
    ASSERT_GE(after.v.itemCount, 3);
    EXPECT_EQ(itemText(after.v, 0), "ab ");
    EXPECT_EQ(itemText(after.v, 1), "abcdefghi");
    EXPECT_EQ(after.v.items[1].y, 9);
}

TEST_F(Layout, SpacesCollapseLineFeedsAreSpacesAndControlCharactersVanish) {
    static Laid l("two  spaces\nand\r\na\tline");
    ASSERT_EQ(l.v.itemCount, 1);
    EXPECT_EQ(itemText(l.v, 0), "two spaces and aline");
}

TEST_F(Layout, TagsPlaceTheText) {
    static Laid l("top<br>next<p>para<ul><li>item<ul><li>deeper</ul></ul><hr>after<b>bold</b>");
    // top (4,0); <br> → (4,9); <p> → (4,29); <ul> indent 22; <li> bullet (22,44), text (28,41).
    ASSERT_EQ(l.v.itemCount, 10);
    auto at = [&](int k, const char* text, int x, int y) {
        EXPECT_EQ(itemText(l.v, k), text) << k;
        EXPECT_EQ(l.v.items[k].x, x) << k;
        EXPECT_EQ(l.v.items[k].y, y) << k;
    };
    at(0, "top", 4, 0);
    at(1, "next", 4, 9);
    at(2, "para", 4, 29);
    EXPECT_EQ(l.v.items[3].type, kBulletItem);
    at(3, "", 22, 44);
    at(4, "item", 28, 41);
    EXPECT_EQ(l.v.items[5].type, kBulletItem);
    at(5, "", 40, 56);
    at(6, "deeper", 46, 53);
    EXPECT_EQ(l.v.items[7].type, kRuleItem);
    at(7, "", 4, 62);
    at(8, "after", 4, 69);  // the text after a rule starts its line at the indent
    at(9, "bold", 34, 69);  // an unknown tag only ends the run
}

TEST_F(Layout, LinksTakeTheirColourAndAreasAndAWrappedLinkIsClickableOnEachLine) {
    static Laid l("see <a \"?7201\">the second page</a> or <a \"@F8FC\">Sun</a>", 100);
    // A line ends where 4 + 6 × its characters reaches 100: "see the second " / "page or Sun".
    ASSERT_EQ(l.v.linkCount, 3);
    EXPECT_STREQ(l.v.links[0].reference, "?7201");
    EXPECT_EQ(l.v.links[0].x, 4 + 6 * 4);
    EXPECT_EQ(l.v.links[0].y, 0);
    EXPECT_EQ(l.v.links[1].x, 4);  // the same link on its second line
    EXPECT_EQ(l.v.links[1].y, 9);
    EXPECT_EQ(l.v.links[1].width, 6 * 4);
    EXPECT_STREQ(l.v.links[1].reference, "?7201");
    EXPECT_STREQ(l.v.links[2].reference, "@F8FC");
    EXPECT_EQ(l.v.links[2].height, kLinkHeight);
    int linkItems = 0, objectItems = 0;
    for (int k = 0; k < l.v.itemCount; ++k) {
        linkItems += l.v.items[k].type == kLinkItem;
        objectItems += l.v.items[k].type == kObjectLinkItem;
    }
    EXPECT_EQ(linkItems, 2);
    EXPECT_EQ(objectItems, 1);
}

TEST_F(Layout, HelpPagesAndNotesAreFoundByTheirTagsAndStopAtTheNext) {
    Page page;
    ASSERT_TRUE(resolveReference("?7200", page));
    static Viewer v;
    v.wrapWidth = 400;
    layoutPage(v, page);
    std::string all;
    for (int k = 0; k < v.itemCount; ++k) all += itemText(v, k);
    EXPECT_EQ(all, "Start page. Second and third. ");
    // The tag's digits other than 0 to 9 count as their code − 55: "a" is 42, not 10.
    EXPECT_FALSE(resolveReference("?72a0", page));
    EXPECT_TRUE(resolveReference("?74a0", page));
    // A head tag without "#" is no page; a page not there is none.
    EXPECT_FALSE(resolveReference("?0", page));
    EXPECT_FALSE(resolveReference("?7300", page));
    EXPECT_FALSE(resolveReference("?", page));

    // The Sun's note in the shipped catalogue, lower-case in the reference as "@%lx" reads it.
    ASSERT_TRUE(resolveReference("@f8fc", page));
    layoutPage(v, page);
    ASSERT_GT(v.itemCount, 0);
    EXPECT_EQ(itemText(v, 0).rfind("The Sun, a G2", 0), 0u);
    // It stops before the next note: no item holds Sirius's note.
    for (int k = 0; k < v.itemCount; ++k) EXPECT_EQ(itemText(v, k).find("Sirius"), std::string::npos) << k;
    // Files by name, read whole.
    ASSERT_TRUE(resolveReference("page.html", page));
    EXPECT_EQ(std::string(page.text, page.size), "<p>A page of its own.");
    EXPECT_FALSE(resolveReference("missing.html", page));
}

TEST_F(Layout, PagesWithoutEndsAndOverlongRunsStayWithinTheirTables) {
    // A reference far beyond its buffer is cut; a link whose tag never ends makes no area.
    static Laid longReference("<a \"" + std::string(300, 'r') + "\">x</a>");
    ASSERT_EQ(longReference.v.linkCount, 1);
    EXPECT_EQ(std::strlen(longReference.v.links[0].reference), size_t(kReferenceMax));
    static Laid open("text<a \"" + std::string(300, 'r'));
    EXPECT_EQ(open.v.itemCount, 1);
    EXPECT_EQ(open.v.linkCount, 0);
    static Laid unquoted("<a href=x>text</a>");
    EXPECT_EQ(unquoted.v.itemCount, 1);
    // A run of 2,000 characters on a line wide enough for all: cut at 1,024.
    static Laid run(std::string(2000, 'x'), 1 << 20);
    ASSERT_EQ(run.v.itemCount, 2);
    EXPECT_EQ(run.v.items[0].length, 1023);
    EXPECT_EQ(run.v.items[1].length, 2000 - 1023);
    // More lines than items: laid out up to there.
    std::string many;
    for (int i = 0; i < 6000; ++i) many += "line<br>";
    static Laid lines(many);
    EXPECT_EQ(lines.v.itemCount, kMaxItems);
    EXPECT_EQ(lines.v.truncated, 1);
    // Lists closed more often than opened keep the margin; nested far past the width, each
    // character takes a line until the tables are full.
    static Laid closes("</ul></ul></ul>text");
    EXPECT_EQ(closes.v.items[0].x, 4);
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "<ul>";
    static Laid nested(deep + std::string(5000, 'y'));
    EXPECT_EQ(nested.v.truncated, 1);
    // A viewer narrower than one character still progresses.
    static Laid narrow("narrow", 2);
    EXPECT_EQ(narrow.v.itemCount, 6);
    // A page ending inside a tag or at "<".
    static Laid cut("text<p");
    EXPECT_EQ(cut.v.itemCount, 1);
    static Laid lt("text<");
    EXPECT_EQ(lt.v.itemCount, 1);
}

// ---- The widget, clicked -----------------------------------------------------------------------

class Html : public zwtest::ZwindowsTest {
protected:
    std::vector<std::pair<std::string, std::string>> extraFiles() override {
        std::string longPage = "Top of a long page";
        for (int i = 1; i <= 60; ++i) longPage += "<br>line " + std::to_string(i);
        longPage += "<br><a \"d.html\">the last link</a>";
        return {{"a.html", "<a \"b.html\">to B</a>"},
                {"b.html", "<a \"c.html\">to C</a><br><a \"d.html\">to D</a><br><a \"@128CE\">Sirius</a>"},
                {"c.html", "C page"},
                {"d.html", "D page"},
                {"long.html", longPage}};
    }
    void SetUp() override {
        ZwindowsTest::SetUp();
        win = window("Help", 20, 20, 300, 250);
        html = widget(win, "HTML", "", 4, 4, 280, 200);
        v = htmlViewer(html);
        ASSERT_NE(v, nullptr);
        frame();
    }
    // Clicks at (x, y) of the page as it is drawn: its top left is 2 pixels into the widget.
    void clickPage(int x, int y) {
        const Rect r = clientRect(html);
        click(r.x + x, r.y + 2 + y);
    }
    std::string shown() const { return v->itemCount ? itemText(*v, 0) : ""; }
    std::vector<std::string> history() const {
        std::vector<std::string> out;
        for (int i = 0; i < v->historyCount; ++i) out.push_back(v->history[i]);
        return out;
    }
    Node win = kNoNode, html = kNoNode;
    Viewer* v = nullptr;
};

TEST_F(Html, LinksAreFollowedAndTheHistoryDropsWhatLayAheadOfANewOne) {
    ASSERT_EQ(sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("a.html")), 1);
    frame();
    clickPage(10, 4);  // "to B"
    EXPECT_EQ(shown(), "to C");
    clickPage(10, 4);  // "to C"
    EXPECT_EQ(shown(), "C page");
    EXPECT_EQ(history(), (std::vector<std::string>{"a.html", "b.html", "c.html"}));
    EXPECT_EQ(sendTo(html, kHtmlBack), 1);
    EXPECT_EQ(shown(), "to C");
    frame();
    clickPage(10, 9 + 4);  // "to D", on the second line
    EXPECT_EQ(shown(), "D page");
    EXPECT_EQ(history(), (std::vector<std::string>{"a.html", "b.html", "d.html"}));
    EXPECT_EQ(sendTo(html, kHtmlForward), 0);  // at the last entry
    EXPECT_EQ(sendTo(html, kHtmlBack), 1);
    EXPECT_EQ(sendTo(html, kHtmlBack), 1);
    EXPECT_EQ(sendTo(html, kHtmlBack), 0);  // at the first
    EXPECT_EQ(shown(), "to B");
    // A page not found changes nothing: neither the page nor the history.
    EXPECT_EQ(sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("nowhere.html")), 0);
    EXPECT_EQ(shown(), "to B");
    EXPECT_EQ(v->historyCount, 3);
    // Clicking beside the links does nothing.
    clickPage(200, 100);
    EXPECT_EQ(shown(), "to B");
}

TEST_F(Html, OneLinkIsFollowedPerPressHoweverLongItIsHeld) {
    sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("a.html"));
    frame();
    const Rect r = clientRect(html);
    moveTo(r.x + 10, r.y + 6);
    press();
    // The page that opened has its own link under the pointer; the button is still held.
    for (int i = 0; i < 5; ++i) moveTo(r.x + 10 + (i & 1), r.y + 6);
    release();
    EXPECT_EQ(shown(), "to C");
    EXPECT_EQ(history(), (std::vector<std::string>{"a.html", "b.html"}));
}

TEST_F(Html, AnObjectLinkLocksTheCameraAndTurnsTheViewToTheObject) {
    sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("b.html"));
    frame();
    camera::editActive().mode = camera::kModeInterstellar;
    clickPage(10, 18 + 4);  // "Sirius"
    EXPECT_EQ(camera::activeCamera()->lock, 0x128CE);
    // Looking at it: Sirius lies straight ahead, along the viewing axis.
    Vector3 sirius;
    ASSERT_TRUE(catalog::objectPosition(0x128CE, sirius));
    Vector3 d{sirius.x - camera::activeCamera()->IPos.x, sirius.y - camera::activeCamera()->IPos.y,
              sirius.z - camera::activeCamera()->IPos.z};
    vmath::normalize(d);
    const Matrix4& m = camera::activeCamera()->Cam;
    EXPECT_NEAR(d.x * m.m[2][0] + d.y * m.m[2][1] + d.z * m.m[2][2], 1.0, 1e-6);
    // The page and the history stay.
    EXPECT_EQ(shown(), "to C");
    EXPECT_EQ(history(), (std::vector<std::string>{"b.html"}));
}

TEST_F(Html, AClickAfterScrollingHitsTheLinkWhereItIsDrawn) {
    sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("long.html"));
    frame();
    // 61 lines below the first: the page is taller than the widget, so the bar has its thumb.
    EXPECT_EQ(v->documentHeight, 61 * 9);
    const Node bar = firstChild(html);
    const Rect b = clientRect(bar);
    // Drag the thumb to the bottom of its travel: the page scrolls to its end.
    moveTo(b.x + 8, b.y + 100);
    press();
    moveTo(b.x + 8, b.y + b.height - 25);
    release();
    EXPECT_EQ(v->scrollOffset, 61 * 9);
    frame();
    // The last link is now drawn at the page's top: clicked there, it is followed.
    clickPage(10, 4);
    EXPECT_EQ(shown(), "D page");
}

// The help handler of the tests: the references forwarded to it.
std::vector<std::string> forwarded;
int32_t forwardProc(zode::Message* m) {
    if (m->code == kHelpPick && m->a1 == 0) forwarded.push_back(reinterpret_cast<const char*>(m->a2));
    return 1;
}

TEST_F(Html, AForwardingViewerHandsItsLinksToTheHelpHandler) {
    const zode::Request r{0, reinterpret_cast<const void*>(&forwardProc), zode::kDirect, nullptr};
    ASSERT_GT(registerClass("HELPER", r), 0);
    setHelpHandler(createNode(kNoNode, "HELPER", "", 0, 0, 1, 1, 0));
    forwarded.clear();
    v->forwarding = 1;
    sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("a.html"));
    frame();
    clickPage(10, 4);
    EXPECT_EQ(forwarded, (std::vector<std::string>{"b.html"}));
    EXPECT_EQ(shown(), "to B");  // the page itself stays
}

TEST_F(Html, ThePageIsLaidOutWhenOpenedNotEveryFrame) {
    sendTo(html, kHtmlOpen, reinterpret_cast<intptr_t>("?7200"));
    frame();
    EXPECT_EQ(v->layoutChanged, 0);
    // A change made to the layout survives the frames that draw it.
    v->items[0].x = 999;
    for (int i = 0; i < 20; ++i) frame();
    EXPECT_EQ(v->items[0].x, 999);
    // Opening nothing clears the page.
    sendTo(html, kHtmlOpen, 0);
    EXPECT_EQ(v->itemCount, 0);
}

}  // namespace

// The help pages: every topic a toolbar button, a menu entry, a panel or a widget gives its help
// pick opens a page of "help.html", every link of every page leads somewhere, and a pick opens
// its page in the Help window.
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "panels_fixture.h"
#include "zwindows/viewer.h"

namespace {

using ptest::PanelsTest;
using namespace zwindows;

class Help : public PanelsTest {};

// The reference the Help window opens for a picked topic.
std::string referenceOf(uint32_t topic) {
    char reference[24];
    std::snprintf(reference, sizeof reference, "?%lx", static_cast<unsigned long>(topic));
    return reference;
}

TEST_F(Help, EveryTopicInUseOpensAPageAndEveryLinkLeadsToOne) {
    std::set<uint32_t> topics{kHelpStartTopic, kSelectionModeTopic, kInformationAreaTopic};
    for (int i = 0; i < kToolbarButtonCount; ++i) topics.insert(kToolbarButtons[i].helpTopic);
    for (int i = 0; i < kToolbarMenuCount; ++i) topics.insert(kToolbarMenu[i].helpTopic);
    int nodes = 0;
    walk(rootNode(), [&](Node n) {
        ++nodes;
        if (helpTopic(n) != 0) topics.insert(helpTopic(n));
    });
    ASSERT_GT(nodes, 100) << "every panel's widgets are made";
    for (uint32_t topic : {0x1000u, 0x1100u, 0x1201u, 0x1601u, 0x2400u, 0x3400u, 0x4000u, 0x5400u, 0x6300u,
                           0x7300u, 0x8008u, 0x8018u})
        EXPECT_EQ(topics.count(topic), 1u) << std::hex << topic;

    Page page;
    for (uint32_t topic : topics) EXPECT_TRUE(resolveReference(referenceOf(topic).c_str(), page)) << std::hex << topic;

    // Every page the help text holds, reached from the start page or not, and each of its links.
    size_t size = 0;
    const char* text = reinterpret_cast<const char*>(vfs::loadFile("help.html", &size));
    ASSERT_NE(text, nullptr);
    const std::string all(text, size);
    auto viewer = std::make_unique<Viewer>();
    viewer->wrapWidth = 228;
    viewer->clientHeight = 200;
    int pages = 0, links = 0;
    for (size_t at = all.find("<help #"); at != std::string::npos; at = all.find("<help #", at + 1)) {
        const std::string number = all.substr(at + 7, all.find('>', at) - at - 7);
        const std::string reference = "?" + number;
        ASSERT_TRUE(resolveReference(reference.c_str(), page)) << reference;
        // A page is found by its own number, not by an earlier one of the same number.
        EXPECT_EQ(page.text, text + all.find('>', at) + 1) << reference << " is given twice";
        ++pages;
        layoutPage(*viewer, page);
        EXPECT_EQ(viewer->truncated, 0) << reference;
        EXPECT_GT(viewer->itemCount, 1) << reference;
        for (int i = 0; i < viewer->linkCount; ++i) {
            const char* to = viewer->links[i].reference;
            ++links;
            Page target;
            if (to[0] == '@') {
                const auto id = static_cast<catalog::ObjectId>(std::strtoul(to + 1, nullptr, 16));
                EXPECT_GE(catalog::objectKind(id), 0) << reference << " links to " << to;
                Vector3 where{};
                EXPECT_EQ(catalog::objectPosition(id, where), 1) << reference << " links to " << to;
            } else {
                EXPECT_TRUE(resolveReference(to, target)) << reference << " links to " << to;
            }
        }
    }
    EXPECT_GT(pages, 60);
    EXPECT_GT(links, 100);
}

TEST_F(Help, APickOnAPanelWidgetOpensItsPageInTheHelpWindow) {
    const Node help = panelWindow(kHelpPanel);
    ASSERT_NE(help, kNoNode);
    EXPECT_NE(nodeFlags(help) & kClosed, 0u);
    showPanel(kConfigPanel);
    frame();
    const Node diameter = byCaption(panelWindow(kConfigPanel), "CHECK", "Diameter");
    ASSERT_NE(diameter, kNoNode);
    const int was = checked(diameter);

    // H, then a click on the widget: its page opens and the widget is left as it was.
    key('H');
    clickIn(diameter);
    frame();
    EXPECT_EQ(nodeFlags(help) & kClosed, 0u);
    EXPECT_EQ(checked(diameter), was);
    const Node html = find(help, "HTML");
    ASSERT_NE(html, kNoNode);
    ASSERT_NE(htmlViewer(html), nullptr);
    const Viewer& v = *htmlViewer(html);
    ASSERT_GT(v.historyCount, 0);
    EXPECT_STREQ(v.history[v.historyCurrent], "?6200");
}

}  // namespace

// Macros: binding keys, splitting a macro into commands, Ctrl+key through the window procedure,
// and the round trips through the configuration store.
#include <string>
#include <vector>

#include "console_fixture.h"
#include "platform/posix/store_internal.h"

namespace {

using consoletest::ConsoleTest;
using namespace console;

std::vector<std::string>& ran() {
    static std::vector<std::string> commands;
    return commands;
}
void recordCommand(const char* command) { ran().push_back(command); }

class Macros : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        ran().clear();
    }
    void TearDown() override {
        store::detail::setRenameFunction(nullptr);
        ConsoleTest::TearDown();
    }
    static std::string key() { return std::string(app::registryRoot) + "\\macros"; }
    static bool stored(const std::string& name, std::string& text) {
        return store::readString(store::HKEY_LOCAL_MACHINE, key(), name, text);
    }
};

TEST_F(Macros, CommandsAreSplitAtSemicolons) {
    setCommandRunner(recordCommand);
    defineMacro('A', "one;;two");
    runMacro('A');
    EXPECT_EQ(ran(), (std::vector<std::string>{"one", "", "two"}));
    ran().clear();
    defineMacro('B', "one;two;");
    runMacro('B');
    EXPECT_EQ(ran(), (std::vector<std::string>{"one", "two"})) << "a trailing separator passes nothing more";
    ran().clear();
    defineMacro('C', ";");
    runMacro('C');
    EXPECT_EQ(ran(), std::vector<std::string>{""});
    ran().clear();
    runMacro('D');  // empty slot
    runMacro(-1);
    runMacro(256);
    EXPECT_TRUE(ran().empty());

    // A command that does not fit the 1024-byte buffer is not run; the others are.
    const std::string longest(kCommandMax, 'x');
    defineMacro('E', ("a;" + longest + "y;" + longest + ";b").c_str());
    runMacro('E');
    EXPECT_EQ(ran(), (std::vector<std::string>{"a", longest, "b"}));
}

TEST_F(Macros, KeysAndSlots) {
    EXPECT_EQ(defineMacro('a', "show ver"), 1);
    EXPECT_STREQ(macroText('A'), "show ver");
    EXPECT_EQ(macroText('a'), nullptr);
    EXPECT_EQ(macroChanged('A'), 1);
    EXPECT_EQ(defineMacro(256, "x"), 0);
    EXPECT_EQ(defineMacro(-1, "x"), 0);
    EXPECT_EQ(deleteMacro(300), 0);
    EXPECT_EQ(defineMacro(0xFF, "x"), 1);
    EXPECT_EQ(deleteMacro('a'), 1);
    EXPECT_EQ(macroText('A'), nullptr);
    EXPECT_EQ(defineMacro('B', "x"), 1);
    EXPECT_EQ(defineMacro('B', ""), 1);
    EXPECT_EQ(macroText('B'), nullptr) << "an empty text is no macro";
}

TEST_F(Macros, CtrlAndAKeyRunTheMacroThroughTheWindowProcedure) {
    ASSERT_EQ(loadMacros(), 1);
    consoleExecute("macros bind a camera lock 2a;labels off");
    cam().flags |= camera::kFlagLabels;
    headless::setKeyHeld(platform::VK_CONTROL, true);
    input::windowMessage(platform::Message{platform::WM_KEYDOWN, 'A', 1});
    headless::setKeyHeld(platform::VK_CONTROL, false);
    EXPECT_EQ(cam().lock, 0x2a);
    EXPECT_EQ(cam().flags & camera::kFlagLabels, 0u);

    // A macro that unbinds and rebinds itself still runs to its end.
    defineMacro('K', "macros unbind k;macros bind k show ver;camera lock 7");
    runMacro('K');
    EXPECT_EQ(cam().lock, 7);
    EXPECT_STREQ(macroText('K'), "show ver");

    macrosStop();
    EXPECT_EQ(macroText('A'), nullptr);
}

TEST_F(Macros, TheStoreHoldsOneValuePerChangedSlot) {
    // First run: the key is made, empty.
    ASSERT_EQ(loadMacros(), 1);
    EXPECT_TRUE(store::keyExists(store::HKEY_LOCAL_MACHINE, key()));
    EXPECT_TRUE(store::valueNames(store::HKEY_LOCAL_MACHINE, key()).empty());

    defineMacro('a', "camera back;labels off");
    defineMacro(0xC0, "show fps");
    EXPECT_EQ(saveMacros(), 1);
    EXPECT_EQ(macroChanged('A'), 0);
    std::string text;
    ASSERT_TRUE(stored("M41", text));
    EXPECT_EQ(text, "camera back;labels off");
    ASSERT_TRUE(stored("MC0", text));

    // Only changed slots are written: a value edited by hand in between survives a save.
    store::writeString(store::HKEY_LOCAL_MACHINE, key(), "MC0", "show ver");
    defineMacro('B', "x");
    saveMacros();
    ASSERT_TRUE(stored("MC0", text));
    EXPECT_EQ(text, "show ver");

    // Deleting and saving removes the value.
    deleteMacro('a');
    EXPECT_EQ(saveMacros(), 1);
    EXPECT_FALSE(stored("M41", text));

    // Loading empties the table first; reloading reads over it.
    defineMacro('Z', "unsaved");
    ASSERT_EQ(loadMacros(), 1);
    EXPECT_EQ(macroText('Z'), nullptr);
    EXPECT_STREQ(macroText(0xC0), "show ver");
    EXPECT_STREQ(macroText('B'), "x");
    defineMacro('Z', "unsaved");
    defineMacro('B', "changed");
    ASSERT_EQ(reloadMacros(), 1);
    EXPECT_STREQ(macroText('Z'), "unsaved");
    EXPECT_STREQ(macroText('B'), "x");
    EXPECT_EQ(macroChanged('B'), 0);
}

TEST_F(Macros, OnlyValuesNamedMAndTwoHexDigitsAreRead) {
    const auto write = [](const char* name, const char* text) {
        store::writeString(store::HKEY_LOCAL_MACHINE, key(), name, text);
    };
    store::createKey(store::HKEY_LOCAL_MACHINE, key());
    write("M41", "a");
    write("m42", "b");   // the store's names ignore case
    write("Mff", "c");
    write("M4", "no");
    write("M100", "no");
    write("M4G", "no");
    write("X41", "no");
    write("M43", "");
    store::writeDword(store::HKEY_LOCAL_MACHINE, key(), "M44", 7);
    defineMacro('C', "kept?");
    defineMacro('D', "kept");
    ASSERT_EQ(reloadMacros(), 1);
    EXPECT_STREQ(macroText(0x41), "a");
    EXPECT_STREQ(macroText(0x42), "b");
    EXPECT_STREQ(macroText(0xFF), "c");
    EXPECT_EQ(macroText(0x04), nullptr);
    EXPECT_EQ(macroText(0x43), nullptr) << "an empty value empties its slot";
    EXPECT_STREQ(macroText(0x44), "kept") << "a value of another type is no macro";
    int defined = 0;
    for (int k = 0; k < kMacroSlots; ++k) defined += macroText(k) != nullptr;
    EXPECT_EQ(defined, 4);
}

TEST_F(Macros, EachRootKeepsItsOwnMacros) {
    ASSERT_EQ(loadMacros(), 1);
    defineMacro('A', "first root");
    saveMacros();
    std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", "SOFTWARE\\Test\\Other");
    ASSERT_EQ(loadMacros(), 1);
    EXPECT_EQ(macroText('A'), nullptr);
    defineMacro('A', "second root");
    saveMacros();
    std::string text;
    EXPECT_TRUE(store::readString(store::HKEY_LOCAL_MACHINE, "SOFTWARE\\Test\\Other\\macros", "M41", text));
    EXPECT_EQ(text, "second root");
    EXPECT_TRUE(store::readString(store::HKEY_LOCAL_MACHINE,
                                  "SOFTWARE\\Oskarn Software\\Vyrex\\2.00\\macros", "M41", text));
    EXPECT_EQ(text, "first root");
}

int failingRename(const char*, const char*) { return -1; }

TEST_F(Macros, AFailedSaveKeepsTheSlotForTheNextSave) {
    ASSERT_EQ(loadMacros(), 1);
    defineMacro('A', "x");
    store::detail::setRenameFunction(failingRename);
    EXPECT_EQ(saveMacros(), 0);
    EXPECT_EQ(macroChanged('A'), 1);
    store::detail::setRenameFunction(nullptr);
    EXPECT_EQ(saveMacros(), 1);
    EXPECT_EQ(macroChanged('A'), 0);
    std::string text;
    EXPECT_TRUE(stored("M41", text));
}

}  // namespace

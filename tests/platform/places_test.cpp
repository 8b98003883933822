// The user's places (XDG base directories, the pictures folder from the user-dirs file), making
// folders and replacing files whole, and the headless dialog window and full-screen display.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"

namespace {

std::string userDirs(const std::string& text, const char* name = "XDG_PICTURES_DIR") {
    return platform::userDirsValue(text.data(), text.size(), name, "/home/ann");
}

TEST(UserDirs, ReadsTheFileAsTheShellWould) {
    EXPECT_EQ(userDirs("XDG_PICTURES_DIR=\"$HOME/Pictures\"\n"), "/home/ann/Pictures");
    EXPECT_EQ(userDirs("# comment\nXDG_MUSIC_DIR=\"$HOME/M\"\n  XDG_PICTURES_DIR=\"/data/pics/\"\n"), "/data/pics");
    // The last assignment wins; escapes are undone; "\$HOME" is a folder named "$HOME".
    EXPECT_EQ(userDirs("XDG_PICTURES_DIR=\"$HOME/a\"\nXDG_PICTURES_DIR=\"$HOME/b c\"\n"), "/home/ann/b c");
    EXPECT_EQ(userDirs("XDG_PICTURES_DIR=\"/x/\\\"q\\\"\\\\\"\n"), "/x/\"q\"\\");
    EXPECT_EQ(userDirs("XDG_PICTURES_DIR=\"/\\$HOME\"\n"), "/$HOME");
    EXPECT_EQ(userDirs("XDG_PICTURES_DIR=\"$HOME\"\r\n"), "/home/ann");
    // Not a folder the program can use: nothing.
    for (const char* bad : {"XDG_PICTURES_DIR=\"Pictures\"\n", "XDG_PICTURES_DIR=\"$HOMEX/p\"\n",
                            "XDG_PICTURES_DIR=\"/unclosed\n", "XDG_PICTURES_DIR=/bare\n", "XDG_PICTURES_DIRX=\"/p\"\n",
                            "XDG_PICTURES_DIR=\"", ""})
        EXPECT_EQ(userDirs(bad), "") << bad;
    // A zero byte ends the value, which is then unclosed; the text is read no further than given.
    EXPECT_EQ(userDirs(std::string("XDG_PICTURES_DIR=\"/a\0b\"\n", 24)), "");
    EXPECT_EQ(platform::userDirsValue("XDG_PICTURES_DIR=\"/p\"", 20, "XDG_PICTURES_DIR", "/h"), "");
    EXPECT_EQ(platform::userDirsValue(nullptr, 0, "XDG_PICTURES_DIR", "/h"), "");
}

class Places : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-places-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        for (const char* name : kNames) {
            const char* v = getenv(name);
            saved.push_back(v ? std::optional<std::string>(v) : std::nullopt);
            unsetenv(name);
        }
        setenv("HOME", root.c_str(), 1);
    }
    void TearDown() override {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (saved[i]) setenv(kNames[i], saved[i]->c_str(), 1);
            else unsetenv(kNames[i]);
        }
        std::filesystem::remove_all(root);
    }
    static constexpr const char* kNames[] = {"HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME",
                                             "XDG_PICTURES_DIR"};
    std::vector<std::optional<std::string>> saved;
    std::string root;
};

TEST_F(Places, XdgFoldersFallBackUnderHomeAndIgnoreRelativeValues) {
    EXPECT_EQ(platform::homeFolder(), root);
    EXPECT_EQ(platform::dataHome(), root + "/.local/share");
    EXPECT_EQ(platform::stateHome(), root + "/.local/state");
    EXPECT_EQ(platform::picturesFolder(), root + "/Pictures");
    setenv("XDG_DATA_HOME", "/srv/data//", 1);
    setenv("XDG_STATE_HOME", "state", 1);
    EXPECT_EQ(platform::dataHome(), "/srv/data");
    EXPECT_EQ(platform::stateHome(), root + "/.local/state");
    // The user-dirs file in the configuration folder, then the environment over it.
    std::filesystem::create_directories(root + "/cfg");
    std::ofstream(root + "/cfg/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    setenv("XDG_CONFIG_HOME", (root + "/cfg").c_str(), 1);
    EXPECT_EQ(platform::picturesFolder(), root + "/Bilder");
    setenv("XDG_PICTURES_DIR", "/shots", 1);
    EXPECT_EQ(platform::picturesFolder(), "/shots");
}

TEST_F(Places, FoldersAreMadeWithTheirParentsAndFilesReplacedWhole) {
    const std::string deep = root + "/a/b/c";
    EXPECT_TRUE(platform::makeFolders(deep));
    EXPECT_TRUE(platform::folderWritable(deep));
    EXPECT_TRUE(platform::makeFolders(deep));  // already there
    std::ofstream(root + "/a/file") << "x";
    EXPECT_FALSE(platform::makeFolders(root + "/a/file"));
    EXPECT_FALSE(platform::makeFolders(root + "/a/file/under"));
    EXPECT_FALSE(platform::folderWritable(root + "/a/file"));
    EXPECT_FALSE(platform::folderWritable(root + "/missing"));

    const std::string path = deep + "/entry";
    EXPECT_TRUE(platform::replaceFile(path, "old", 3));
    EXPECT_TRUE(platform::replaceFile(path, "newer", 5));
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "newer");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(deep), std::filesystem::directory_iterator()), 1);
    // A folder that is missing: nothing is written and the reason is kept.
    EXPECT_FALSE(platform::replaceFile(root + "/none/entry", "x", 1));
    EXPECT_STRNE(platform::fileErrorText(), "");

    EXPECT_EQ(platform::parentFolder("/usr/bin/vyrex"), "/usr/bin");
    EXPECT_EQ(platform::parentFolder("/vyrex"), "/");
    EXPECT_EQ(platform::parentFolder("vyrex"), ".");
    EXPECT_EQ(platform::parentFolder(platform::executablePath()).empty(), false);
}

TEST(DialogWindow, OneWindowAtATimeAndItsMessagesStayItsOwn) {
    headless::reset();
    headless::resetDisplay();
    auto proc = [](const platform::Message&) -> intptr_t { return 0; };
    ASSERT_TRUE(platform::openDialogWindow(" Vyrex", 264, 154, proc));
    EXPECT_FALSE(platform::createMainWindow("Vyrex", proc));  // not while a dialog is up
    platform::DisplayRequest request;
    request.width = 132;
    request.height = 77;
    platform::DisplayReport report;
    ASSERT_TRUE(platform::openDisplay(request, report)) << report.reason;
    platform::FrameTarget target;
    ASSERT_TRUE(platform::beginFrame(target));
    EXPECT_EQ(target.width, 264);  // the dialog window's pixels
    EXPECT_EQ(target.height, 154);
    platform::showFrame();
    // The next dialog takes the same window at its own size; its display is opened again.
    ASSERT_TRUE(platform::openDialogWindow("Setup", 328, 280, proc));
    EXPECT_FALSE(headless::displayOpen());
    EXPECT_EQ(headless::dialogWindowTitle(), "Setup");
    headless::pushMessage(platform::WM_KEYUP, platform::VK_RETURN);
    platform::closeDialogWindow();
    EXPECT_EQ(headless::queuedMessages(), 0u);
    EXPECT_FALSE(headless::dialogWindowOpen());
    EXPECT_TRUE(platform::createMainWindow("Vyrex", proc));
    EXPECT_FALSE(platform::openDialogWindow("late", 10, 10, proc));

    // A scaled mode covers the desktop: the frame is a quarter of it, the target all of it.
    headless::setDesktop(1920, 1080);
    request.width = 960;
    request.height = 540;
    request.fullScreen = true;
    ASSERT_TRUE(platform::openDisplay(request, report)) << report.reason;
    EXPECT_TRUE(headless::displayFullScreen());
    ASSERT_TRUE(platform::beginFrame(target));
    EXPECT_EQ(target.width, 1920);
    EXPECT_EQ(target.height, 1080);
    platform::showFrame();
    platform::closeDisplay();
    platform::destroyMainWindow();
    headless::resetDisplay();
    headless::reset();
}

}  // namespace

// Platform pieces shared by both backends: wildcard listing, paths, processor and mouse
// descriptions, serial port names, and the headless backend's window-message rules.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace {

using platform::posix::wildcardMatch;

TEST(Folders, WildcardsIgnoreCase) {
    EXPECT_TRUE(wildcardMatch("*.vfs", "catalog.vfs"));
    EXPECT_TRUE(wildcardMatch("*.vfs", "CATALOG.VFS"));
    EXPECT_TRUE(wildcardMatch("*.VFS", ".vfs"));
    EXPECT_FALSE(wildcardMatch("*.vfs", "catalog.vfs.bak"));
    EXPECT_FALSE(wildcardMatch("*.vfs", "catalog.vf"));
    EXPECT_TRUE(wildcardMatch("pic????.bmp", "pic00A1.bmp"));
    EXPECT_FALSE(wildcardMatch("pic????.bmp", "pic001.bmp"));
    EXPECT_TRUE(wildcardMatch("*a*b*c", "xxaybbzc"));  // needs backtracking over several stars
    EXPECT_FALSE(wildcardMatch("*a*b*c", "xxaybbz"));
    EXPECT_TRUE(wildcardMatch("*", ""));
    EXPECT_FALSE(wildcardMatch("?", ""));
    std::string many(2000, 'a');
    EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*b", many.c_str()));
}

TEST(Folders, ListingIsSortedAndHoldsOnlyMatchingFiles) {
    char pattern[] = "/tmp/vyrex-list-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    for (const char* name : {"zeta.vfs", "Alpha.VFS", "beta.vfs", "notes.txt", "beta.vfs.old"})
        std::ofstream(dir + "/" + name) << "x";
    std::filesystem::create_directory(dir + "/folder.vfs");  // folders are not listed
    EXPECT_EQ(platform::listFolder(dir, "*.vfs"), (std::vector<std::string>{"Alpha.VFS", "beta.vfs", "zeta.vfs"}));
    EXPECT_TRUE(platform::listFolder(dir + "/missing", "*").empty());
    std::filesystem::remove_all(dir);

    EXPECT_EQ(platform::joinPath("/opt/vyrex", "data"), "/opt/vyrex/data");
    EXPECT_EQ(platform::joinPath("/opt/vyrex/", "data"), "/opt/vyrex/data");
    EXPECT_EQ(platform::joinPath("", "data"), "data");
    EXPECT_FALSE(platform::currentDirectory().empty());
}

platform::SystemInfo cpu(const std::string& text) {
    platform::SystemInfo info;
    platform::posix::parseCpuInfo(text, info);
    return info;
}

std::string intel(int family, int model) {
    return "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: " + std::to_string(family) +
           "\nmodel\t\t: " + std::to_string(model) + "\ncpu MHz\t\t: 299.6\nflags\t\t: fpu vme mmx sse\n\n";
}

TEST(SystemInfo, ProcessorClassesFromCpuInfo) {
    EXPECT_EQ(cpu(intel(3, 0)).cpuModel, 1);
    EXPECT_EQ(cpu(intel(4, 8)).cpuModel, 2);
    EXPECT_EQ(cpu(intel(5, 2)).cpuModel, 3);
    EXPECT_EQ(cpu(intel(6, 1)).cpuModel, 4);
    EXPECT_EQ(cpu(intel(6, 5)).cpuModel, 5);
    EXPECT_EQ(cpu(intel(6, 85)).cpuModel, 6);
    EXPECT_EQ(cpu(intel(15, 2)).cpuModel, 6);
    platform::SystemInfo p2 = cpu(intel(6, 5));
    EXPECT_FALSE(p2.nonIntel);
    EXPECT_TRUE(p2.mmx);
    EXPECT_EQ(p2.clockMHz, 300);

    // Another maker: the vendor flag, and a class only for the old compatible families.
    std::string amd = "processor\t: 0\nvendor_id\t: AuthenticAMD\ncpu family\t: 26\nmodel\t\t: 2\n"
                      "cpu MHz\t\t: 2096.043\nflags\t\t: fpu mmxext sse\n\n"
                      "processor\t: 1\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nflags\t: mmx\n\n";
    platform::SystemInfo a = cpu(amd);
    EXPECT_TRUE(a.nonIntel);
    EXPECT_EQ(a.cpuModel, 0);
    EXPECT_FALSE(a.mmx);  // "mmxext" is not "mmx", and the second processor does not count
    EXPECT_EQ(a.clockMHz, 2096);
    EXPECT_EQ(cpu("processor\t: 0\nvendor_id\t: AuthenticAMD\ncpu family\t: 5\n").cpuModel, 3);

    platform::SystemInfo arm = cpu("processor\t: 0\nBogoMIPS\t: 48.00\nFeatures\t: fp asimd\n");
    EXPECT_TRUE(arm.nonIntel);
    EXPECT_EQ(arm.cpuModel, 0);
    EXPECT_EQ(arm.clockMHz, 0);
}

TEST(SystemInfo, MouseFromTheInputDevices) {
    const std::string keyboard =
        "I: Bus=0011 Vendor=0001 Product=0001 Version=ab41\nN: Name=\"AT Keyboard\"\n"
        "H: Handlers=sysrq kbd event0 leds\nB: KEY=402000000 3803078f800d001 feffffdfffefffff fffffffffffffffe\n\n";
    const std::string mouse =
        "I: Bus=0003 Vendor=046d Product=c077 Version=0111\nN: Name=\"USB Optical Mouse\"\n"
        "H: Handlers=mouse0 event3\nB: EV=17\nB: KEY=ff0000 0 0 0 0\nB: REL=1943\n\n";
    platform::MouseInfo hidden = platform::posix::parseInputDevices("");
    EXPECT_TRUE(hidden.present);  // devices hidden from us: the defaults
    EXPECT_EQ(hidden.buttons, 3);
    platform::MouseInfo none = platform::posix::parseInputDevices(keyboard);
    EXPECT_FALSE(none.present);
    EXPECT_EQ(none.buttons, 0);
    platform::MouseInfo m = platform::posix::parseInputDevices(keyboard + mouse);
    EXPECT_TRUE(m.present);
    EXPECT_EQ(m.buttons, 8);  // 0xff0000 in the fifth word from the right: BTN_LEFT..BTN_TASK
    EXPECT_TRUE(m.wheel);
    EXPECT_FALSE(m.swapped);
    const std::string twoButtons =
        "N: Name=\"Touchpad\"\nH: Handlers=event5 mouse1\nB: KEY=30000 0 0 0 0\nB: REL=3\n";
    platform::MouseInfo t = platform::posix::parseInputDevices(twoButtons);
    EXPECT_TRUE(t.present);
    EXPECT_EQ(t.buttons, 2);
    EXPECT_FALSE(t.wheel);
}

TEST(Serial, OnlyComNamesWithANumberOpen) {
    EXPECT_EQ(platform::openSerialPort("com0"), -1);
    EXPECT_EQ(platform::openSerialPort("comx"), -1);
    EXPECT_EQ(platform::openSerialPort("lpt1"), -1);
    EXPECT_EQ(platform::openSerialPort(nullptr), -1);
    EXPECT_EQ(platform::openSerialPort("com250"), -1);  // no such device
    platform::writeSerialPort(-1, "x", 1);               // output to a port that failed is lost
    platform::closeSerialPort(-1);
}

intptr_t echoProc(const platform::Message& m) {
    if (m.message == platform::WM_CLOSE) return platform::defaultWindowProc(m);
    return static_cast<intptr_t>(m.message);
}

TEST(Headless, CloseDestroysTheWindowOnceAndKeysFollowTheMessages) {
    headless::reset();
    ASSERT_TRUE(platform::createMainWindow("Vyrex", echoProc));
    headless::pushMessage(platform::WM_CLOSE);
    headless::pushMessage(platform::WM_CLOSE);
    headless::pushMessage(platform::WM_KEYDOWN, platform::VK_SHIFT);
    platform::Message m;
    ASSERT_TRUE(platform::peekMessage(m));
    EXPECT_EQ(platform::dispatchMessage(m), 0);
    ASSERT_TRUE(platform::peekMessage(m));
    platform::dispatchMessage(m);
    ASSERT_TRUE(platform::peekMessage(m));
    EXPECT_EQ(m.message, platform::WM_KEYDOWN);
    EXPECT_TRUE(platform::keyHeld(platform::VK_SHIFT));
    ASSERT_TRUE(platform::peekMessage(m));
    EXPECT_EQ(m.message, platform::WM_DESTROY);  // one destroy for two close requests
    EXPECT_EQ(platform::dispatchMessage(m), platform::WM_DESTROY);
    EXPECT_FALSE(platform::peekMessage(m));

    platform::postQuitMessage(4);
    ASSERT_TRUE(platform::peekMessage(m));
    EXPECT_EQ(m.message, platform::WM_QUIT);
    EXPECT_EQ(m.wParam, 4u);
    EXPECT_EQ(platform::dispatchMessage(m), 0);  // never dispatched
    EXPECT_EQ(headless::dispatchCount(), 3);

    headless::setPointer(12, 34);
    int x = 0, y = 0;
    platform::cursorPosition(x, y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    platform::messageBox("Caption", "Text");
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].caption, "Caption");
    platform::destroyMainWindow();
    EXPECT_FALSE(headless::windowOpen());
    headless::reset();
}

}  // namespace

// Log channels: sinks by name, appending, the 127-character cut, the header's lines and the
// diagnostics on channel 0.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "base/app.h"
#include "base/log.h"

namespace {

class Log : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-log-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        file = folder + "/out.log";
        app::resetProcessState();
        logc::resetChannels();
    }
    void TearDown() override {
        logc::closeChannels();
        app::systemInfo = platform::SystemInfo{};
        app::resetProcessState();
        std::filesystem::remove_all(folder);
    }
    std::string read() const {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string sink() const { return "$" + file; }

    std::string folder, file;
};

TEST_F(Log, ChannelKindsFollowTheSpec) {
    logc::openChannel(1, sink().c_str());
    EXPECT_EQ(logc::channelKind(1), 2);
    logc::openChannel(2, "null:");
    EXPECT_EQ(logc::channelKind(2), 3);
    logc::openChannel(3, ("$" + folder + "/missing/dir/x.log").c_str());
    EXPECT_EQ(logc::channelKind(3), 3);  // a file that can't be opened is a null sink
    logc::openChannel(4, "com9");
    EXPECT_EQ(logc::channelKind(4), 1);  // still serial when the port is absent; output is lost
    logc::print(4, "lost");
    logc::openChannel(5, "whatever");
    EXPECT_EQ(logc::channelKind(5), 0);
    logc::openChannel(8, "null:");  // out of range: ignored
    logc::print(8, "x");
    logc::print(-1, "x");
    EXPECT_EQ(logc::channelKind(8), 0);

    logc::closeChannels();
    for (int c = 0; c < logc::kChannels; ++c) EXPECT_EQ(logc::channelKind(c), 0);
    logc::print(1, "after close");  // dropped, not written through a closed stream
    EXPECT_EQ(read(), "");
}

TEST_F(Log, FilesAreAppendedAndCompleteAfterEveryMessage) {
    logc::openChannel(1, sink().c_str());
    logc::print(1, "\r\nrun %d", 1);
    EXPECT_EQ(read(), "\r\nrun 1");  // flushed before the channel is closed
    logc::closeChannels();
    logc::openChannel(1, sink().c_str());
    logc::print(1, "\r\nrun %d", 2);
    logc::printAt(1, "vfs.cpp", 42, " bad pack '%s'", "x.vfs");
    logc::closeChannels();
    EXPECT_EQ(read(), "\r\nrun 1\r\nrun 2\r\n*** Print (vfs.cpp:42) bad pack 'x.vfs'");

    // Reopening a channel closes the file it held first.
    logc::openChannel(1, sink().c_str());
    logc::openChannel(1, "null:");
    logc::print(1, "gone");
    EXPECT_EQ(read().find("gone"), std::string::npos);
}

TEST_F(Log, LongMessagesAreCutAt127Characters) {
    logc::openChannel(1, sink().c_str());
    std::string big(1000, 'a');
    logc::print(1, "%s|%s", big.c_str(), big.c_str());
    logc::print(1, "%s", "");
    logc::print(1, "%s", std::string(127, 'b').c_str());
    logc::closeChannels();
    EXPECT_EQ(read(), std::string(127, 'a') + std::string(127, 'b'));
}

platform::SystemInfo sampleMachine() {
    platform::SystemInfo si;
    si.processorCount = 2;
    si.activeProcessorMask = 3;
    si.cpuModel = 6;
    si.nonIntel = false;
    si.mmx = true;
    si.clockMHz = 2096;
    si.availPageFile = 4096 * 1024ull;
    si.availPhysical = 8ull << 30;
    si.memoryLoad = 37;
    si.osName = "Linux";
    si.osMajor = 6;
    si.osMinor = 1;
    si.osBuild = 76;
    si.displayVersion[0] = 2;
    si.displayVersion[1] = 26;
    si.displayVersion[2] = 5;
    si.displayVersion[3] = 0;
    si.mouse = platform::MouseInfo{true, true, 5, true};
    return si;
}

TEST_F(Log, HeaderLinesInOrder) {
    app::systemInfo = sampleMachine();
    app::mode.DB = 1;
    app::mode.CNF = 0;
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", "some/where");
    std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", "A\\B");
    std::snprintf(app::commandLine, sizeof app::commandLine, "%s", "-d -c -lsome/where -rA\\B");
    logc::openChannel(1, sink().c_str());
    logc::writeHeader();
    logc::closeChannels();

    std::string text = read();
    // The build stamp and the time of the run vary; their shapes are checked here.
    std::regex build("\\[0018\\|[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}\\|[0-9]{2}:[0-9]{2}:[0-9]{2}\\]");
    std::regex date("Bug Report \\([0-9]{4}/[0-9]{1,2}/[0-9]{1,2} , [0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2} UT\\)");
    text = std::regex_replace(text, build, "[0018|DATE|TIME]");
    text = std::regex_replace(text, date, "Bug Report (NOW)");

    std::string expected =
        "\r\n*****************************************************"
        "\r\n* Build: [0018|DATE|TIME]"
        "\r\n*"
        "\r\n* Bug Report (NOW)"
        "\r\n*"
        "\r\n* Name:  ______________________________________"
        "\r\n* email: ______________________________________"
        "\r\n*"
        "\r\n* My problem is the following:";
    for (int i = 0; i < 7; ++i) expected += "\r\n*\t__________________________________________________";
    expected +=
        "\r\n*"
        "\r\n* My System is:"
        "\r\n\tCPU: #2  Intel unknown Pentium MMX @ 2096Mhz"
        "\r\n\t\tActive CPU bitmap mask 00000003"
        "\r\n\tMemory: 4096Kb (physical 8388608Kb) , load:37%"
        "\r\n\tMouse:Present, Buttons:5 Swaped ZMouse"
        "\r\n\tOS: Linux Version 6.1 Build 76"
        "\r\n\tDirectX: Version 2.26.5.0"
        "\r\n* Vyrex startup:"
        "\r\n\tCmd Line: -d -c -lsome/where -rA\\B"
        "\r\n\tStart mode: DB1  SRV0  GUI1  CNF0  PLG1  RST0"
        "\r\n\tREG:A\\B"
        "\r\n\tPATH:some/where";
    EXPECT_EQ(text, expected);
}

TEST_F(Log, HeaderForAnUnknownSingleProcessorWithoutMouse) {
    platform::SystemInfo si = sampleMachine();
    si.processorCount = 1;
    si.cpuModel = 0;
    si.nonIntel = true;
    si.mmx = false;
    si.mouse.present = false;
    app::systemInfo = si;
    logc::openChannel(1, sink().c_str());
    logc::writeHeader();
    logc::closeChannels();
    std::string text = read();
    EXPECT_NE(text.find("\r\n\tCPU: #1  Clone unknown CPU @ 2096Mhz\r\n\tMemory:"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\tMouse: not Present\r\n\tOS:"), std::string::npos) << text;
    EXPECT_EQ(text.find("Active CPU"), std::string::npos);
}

TEST_F(Log, DiagnosticsWriteToChannelZero) {
    logc::openChannel(0, sink().c_str());
    logc::ping("a.cpp", 3, "here");
    unsigned char bytes[20];
    for (int i = 0; i < 20; ++i) bytes[i] = static_cast<unsigned char>(i < 10 ? 'A' + i : i);
    logc::watch("b.cpp", 9, "bytes", bytes, 20, "twenty");
    logc::watch("b.cpp", 10, "none", bytes, 0, "empty");
    logc::closeChannels();
    std::string text = read();

    char addr0[32], addr1[32];
    std::snprintf(addr0, sizeof addr0, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(bytes)));
    std::snprintf(addr1, sizeof addr1, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(bytes + 16)));
    std::string expected = "\r\n*** Ping (a.cpp:3) ***\r\n'here'";
    expected += "\r\n*** Watch (b.cpp:9) ***\r\nbytes=0x" + std::string(addr0) + " (20) 'twenty'";
    expected += "\r\n" + std::string(addr0) +
                ":\t41 42 43 44 45 46 47 48 49 4a 0a 0b 0c 0d 0e 0f \tABCDEFGHIJ......";
    // The last row stops at the length: bytes past it are neither dumped nor read.
    expected += "\r\n" + std::string(addr1) + ":\t10 11 12 13                                     \t....";
    expected += "\r\n*** Watch (b.cpp:10) ***\r\nnone=0x" + std::string(addr0) + " (0) 'empty'";
    EXPECT_EQ(text, expected);
}

TEST_F(Log, FatalAssertAndBreakCloseTheLogAndEndTheProcess) {
    EXPECT_DEATH(
        {
            logc::openChannel(0, sink().c_str());
            logc::fatalAssert("c.cpp", 7, "x > 0", "x positive");
        },
        "");
    EXPECT_EQ(read(), "\r\n*** Assert (c.cpp:7) ***\r\n(x > 0) 'x positive'\r\n(FATAL ASSERT)");
    std::filesystem::remove(file);
    EXPECT_DEATH(
        {
            logc::openChannel(0, sink().c_str());
            logc::fatalBreak("d.cpp", 8, "y", "stop");
        },
        "");
    EXPECT_EQ(read(), "\r\n*** Break (d.cpp:8) ***\r\n(y) 'stop'\r\n(FATAL BREAK)");
}

}  // namespace

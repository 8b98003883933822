// Frame timer: rates, the lowest-rate rule, zero frame times, wrap of the millisecond clock and
// its log lines, on a clock the test moves by hand.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/app.h"
#include "base/log.h"
#include "base/timer.h"

namespace {

uint64_t fakeMicros = 0;
uint32_t fakeMillis = 0;
uint64_t readMicros() { return fakeMicros; }
uint32_t readMillis() { return fakeMillis; }

class Timer : public ::testing::Test {
protected:
    void SetUp() override {
        savedDB = app::mode.DB;
        char pattern[] = "/tmp/vyrex-timer-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        fakeMicros = 1000;
        fakeMillis = 0;
        timer::setTimerClocks(readMicros, 1e-6, readMillis);
    }
    void TearDown() override {
        timer::setTimerClocks(nullptr, 0.0, nullptr);
        logc::closeChannels();
        app::mode.DB = savedDB;
        std::filesystem::remove_all(folder);
    }
    void captureLog() {
        app::mode.DB = 1;
        logc::resetChannels();
        logc::openChannel(1, ("$" + folder + "/log.txt").c_str());
    }
    std::string logText() {
        std::ifstream in(folder + "/log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void frame(uint64_t micros) {
        fakeMicros += micros;
        timer::tickTimer();
    }
    double current = 0, lowest = 0, highest = 0, average = 0;
    void stats() { timer::timerStatistics(current, lowest, highest, average); }

    int savedDB = 0;
    std::string folder;
};

TEST_F(Timer, SlowFramesNeverBecomeTheLowestRate) {
    timer::startTimer();
    frame(2'000'000);  // the first frame carries the start-up
    stats();
    EXPECT_DOUBLE_EQ(current, 0.5);
    EXPECT_DOUBLE_EQ(highest, 0.5);
    EXPECT_DOUBLE_EQ(lowest, 1e10);
    frame(10'000);
    frame(20'000);
    frame(1'000'000);  // exactly 1 frame per second: not counted either
    stats();
    EXPECT_DOUBLE_EQ(current, 1.0);
    EXPECT_DOUBLE_EQ(lowest, 50.0);
    EXPECT_DOUBLE_EQ(highest, 100.0);
    EXPECT_DOUBLE_EQ(average, 4 / 3.03);
}

TEST_F(Timer, SummaryOfAnAllSlowRunKeepsTheInitialLowest) {
    captureLog();
    timer::startTimer();
    frame(4'000'000);
    frame(1'000'000);
    timer::writeTimerSummary();
    EXPECT_NE(logText().find("\r\nRunning Time:5.000000s (Frames:2)"
                             "\r\navgFPS=0.400000 , FPS min=10000000000.000000 , max=1.000000"),
              std::string::npos) << logText();
}

TEST_F(Timer, MillisecondFallbackZeroFramesAndWrap) {
    captureLog();
    timer::setTimerClocks(nullptr, 0.0, readMillis);
    fakeMillis = 0xFFFFFFF6u;  // 10 ms before the 32-bit count wraps
    timer::startTimer();
    EXPECT_NE(logText().find("\r\n\tinit Timer:\r\n\t\tTimer Type:1 [res=1.000000ms]"), std::string::npos)
        << logText();
    fakeMillis += 20;  // across the wrap
    timer::tickTimer();
    stats();
    EXPECT_DOUBLE_EQ(current, 50.0);
    timer::tickTimer();  // same millisecond: the frame counts, the rate stays
    stats();
    EXPECT_DOUBLE_EQ(current, 50.0);
    EXPECT_DOUBLE_EQ(highest, 50.0);
    EXPECT_DOUBLE_EQ(average, 2 / 0.02);
}

TEST_F(Timer, MachineClockIsTheHighResolutionCounter) {
    captureLog();
    timer::setTimerClocks(nullptr, 0.0, nullptr);
    timer::startTimer();
    EXPECT_NE(logText().find("\r\n\t\tTimer Type:0 [res="), std::string::npos) << logText();
    stats();
    EXPECT_DOUBLE_EQ(average, 0.0);  // no time has run yet: no division by zero
}

}  // namespace

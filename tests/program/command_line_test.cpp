// Both command-line passes: option syntax, flags, folder and root values, video overrides.
#include <gtest/gtest.h>

#include <string>

#include "base/app.h"
#include "program/lifecycle.h"
#include "base/settings.h"

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        lifecycle::resetProcessState();
        settings::VIDbckBuffSysMem = 0;
        settings::VIDwVSync = 1;
        settings::VIDdefault = -1;
    }
    void TearDown() override { lifecycle::resetProcessState(); }

    static std::string flags() {
        const app::StartMode& m = app::mode;
        return "DB" + std::to_string(m.DB) + " SRV" + std::to_string(m.SRV) + " GUI" + std::to_string(m.GUI) +
               " CNF" + std::to_string(m.CNF) + " PLG" + std::to_string(m.PLG) + " RST" + std::to_string(m.RST) +
               " first" + std::to_string(app::firstRun);
    }
};

TEST_F(CommandLine, DefaultsAndEveryFlag) {
    EXPECT_EQ(flags(), "DB0 SRV0 GUI1 CNF1 PLG1 RST0 first0");
    EXPECT_STREQ(app::registryRoot, "SOFTWARE\\Oskarn Software\\Vyrex\\2.00");
    lifecycle::parseCommandLine("-d -s -g -c -p -f");
    EXPECT_EQ(flags(), "DB1 SRV1 GUI0 CNF0 PLG0 RST1 first1");
}

TEST_F(CommandLine, SlashMinusAndCaseAreAlike) {
    lifecycle::parseCommandLine("/D /c");
    EXPECT_EQ(flags(), "DB1 SRV0 GUI1 CNF0 PLG1 RST0 first0");
    lifecycle::resetProcessState();
    lifecycle::parseCommandLine("-S/G");  // a slash right after a letter still starts an option
    EXPECT_EQ(flags(), "DB0 SRV1 GUI0 CNF1 PLG1 RST0 first0");
}

TEST_F(CommandLine, OnlyTheLetterRightAfterTheSignCounts) {
    lifecycle::parseCommandLine("-dg");
    EXPECT_EQ(flags(), "DB1 SRV0 GUI1 CNF1 PLG1 RST0 first0");
    lifecycle::resetProcessState();
    lifecycle::parseCommandLine("d g x -x -- - -");  // no sign, unknown letters, lone signs
    EXPECT_EQ(flags(), "DB0 SRV0 GUI1 CNF1 PLG1 RST0 first0");
    lifecycle::resetProcessState();
    lifecycle::parseCommandLine("--d");  // the second minus is the first one's letter
    EXPECT_EQ(app::mode.DB, 0);
}

TEST_F(CommandLine, FolderAndRootValues) {
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", "/a/much/longer/previous/folder");
    lifecycle::parseCommandLine("-l/opt/v -rMY\\ROOT -d");
    EXPECT_STREQ(app::programFolder, "/opt/v");  // replaces the whole previous text
    EXPECT_STREQ(app::registryRoot, "MY\\ROOT");
    EXPECT_EQ(app::mode.DB, 1);

    // The value runs to the next blank; slashes inside it are not options.
    lifecycle::resetProcessState();
    lifecycle::parseCommandLine("-l/srv/data/games\t/c");
    EXPECT_STREQ(app::programFolder, "/srv/data/games");
    EXPECT_EQ(flags(), "DB0 SRV0 GUI1 CNF0 PLG1 RST0 first0");

    // Last one wins; an empty value empties the text.
    lifecycle::parseCommandLine("-Lfirst -lsecond -r");
    EXPECT_STREQ(app::programFolder, "second");
    EXPECT_STREQ(app::registryRoot, "");
}

TEST_F(CommandLine, LongValuesAreCutTo259Characters) {
    std::string longFolder(400, 'x');
    std::string text = "-l" + longFolder + " -s";
    lifecycle::parseCommandLine(text.c_str());
    EXPECT_EQ(std::string(app::programFolder), std::string(259, 'x'));
    EXPECT_EQ(app::mode.SRV, 1);  // the scan resumes after the whole value
}

TEST_F(CommandLine, VideoOverridesBelongToTheSecondPass) {
    const char* text = "-vb1 /VW0 -vm12 -d";
    lifecycle::parseCommandLine(text);
    EXPECT_EQ(settings::VIDbckBuffSysMem, 0);  // the first pass ignores v
    EXPECT_EQ(app::mode.DB, 1);
    app::mode.DB = 0;
    lifecycle::parseVideoOptions(text);
    EXPECT_EQ(settings::VIDbckBuffSysMem, 1);
    EXPECT_EQ(settings::VIDwVSync, 0);
    EXPECT_EQ(settings::VIDdefault, 12);
    EXPECT_EQ(app::mode.DB, 0);  // the second pass ignores everything else
}

TEST_F(CommandLine, VideoModeDigits) {
    struct Case {
        const char* text;
        int mode;
    } cases[] = {
        {"-vm3", 3}, {"-vm07", 7}, {"-vm123", 12}, {"-vmx", -1}, {"-vm", -1}, {"-vm -vm5", 5},
    };
    for (const Case& c : cases) {
        settings::VIDdefault = 99;
        lifecycle::parseVideoOptions(c.text);
        EXPECT_EQ(settings::VIDdefault, c.mode) << c.text;
    }
    // vb and vw without a digit leave their value alone.
    lifecycle::parseVideoOptions("-vb -vwz -vx5");
    EXPECT_EQ(settings::VIDbckBuffSysMem, 0);
    EXPECT_EQ(settings::VIDwVSync, 1);
}

TEST_F(CommandLine, FolderValuesAreNotReadAsVideoOptions) {
    lifecycle::parseVideoOptions("-l/tmp/vm5 -r/vb1");
    EXPECT_EQ(settings::VIDdefault, -1);
    EXPECT_EQ(settings::VIDbckBuffSysMem, 0);
}

}  // namespace

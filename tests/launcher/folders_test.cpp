// Where the program's files are and where it writes: a build's or an installed copy's data found
// without -l, and the log and pictures moved to the user's places when the program folder cannot
// be written.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/app.h"
#include "platform/platform.h"
#include "program/lifecycle.h"

namespace {

class Folders : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
        setenv("XDG_PICTURES_DIR", (root + "/pictures").c_str(), 1);
        lifecycle::resetProcessState();
    }
    void TearDown() override {
        unsetenv("XDG_STATE_HOME");
        unsetenv("XDG_PICTURES_DIR");
        lifecycle::resetProcessState();
        std::filesystem::remove_all(root);
    }
    void setProgramFolder(const std::string& folder, bool given) {
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", folder.c_str());
        app::programFolderGiven = given;
    }
    std::string root;
};

TEST_F(Folders, AWritableProgramFolderKeepsTheLogAndPictures) {
    std::filesystem::create_directories(root + "/copy/data");
    std::ofstream(root + "/copy/data/vyrex2.vfs") << "pack";
    setProgramFolder(root + "/copy", false);
    app::settleFolders();
    EXPECT_EQ(std::string(app::programFolder), root + "/copy");
    EXPECT_EQ(std::string(app::logFolder), root + "/copy");
    EXPECT_EQ(std::string(app::pictureFolder), root + "/copy");
}

TEST_F(Folders, AFolderThatCannotBeWrittenSendsThemToTheUsersPlaces) {
    // Not even the superuser may make files in a process's /proc folder, so this holds for every
    // user the tests run as.
    setProgramFolder("/proc/1", true);
    app::settleFolders();
    EXPECT_EQ(std::string(app::programFolder), "/proc/1");  // -l is taken as given
    EXPECT_EQ(std::string(app::logFolder), root + "/state/vyrex");
    EXPECT_EQ(std::string(app::pictureFolder), root + "/pictures");
}

TEST_F(Folders, WithoutPacksHereTheProgramLooksBesideItselfAndInItsInstalledData) {
    // The test program is not beside packs and has no share/vyrex: the current directory stays.
    setProgramFolder(root, false);
    app::settleFolders();
    EXPECT_EQ(std::string(app::programFolder), root);
    // The installed layout: <prefix>/bin/<program> and <prefix>/share/vyrex/data/vyrex2.vfs.
    const std::string exe = platform::executablePath();
    const std::string share = platform::joinPath(platform::parentFolder(platform::parentFolder(exe)), "share/vyrex");
    if (platform::pathExists(share)) GTEST_SKIP() << share << " exists already";
    std::filesystem::create_directories(share + "/data");
    std::ofstream(share + "/data/vyrex2.vfs") << "pack";
    setProgramFolder(root, false);
    app::settleFolders();
    const std::string found = app::programFolder;
    std::filesystem::remove_all(share);
    std::error_code ignored;
    std::filesystem::remove(platform::parentFolder(share), ignored);  // only when it is empty
    EXPECT_EQ(found, share);
}

}  // namespace

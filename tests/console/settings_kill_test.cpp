// Stored settings survive a program killed in the middle of saving them: the new store file is
// complete on disk but has not yet replaced the old one when the process dies.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/app.h"
#include "base/settings.h"
#include "platform/posix/store_internal.h"
#include "platform/store.h"

namespace {

int killedBeforeRename(const char*, const char*) { _exit(42); }

TEST(SettingsStore, AProgramKilledWhileSavingKeepsThePreviousSettings) {
    char pattern[] = "/tmp/vyrex-settings-kill-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    store::setLocation(folder + "/cfg/vyrex.reg");
    settings::loadSettings();  // a first run writes the defaults
    ASSERT_EQ(settings::LSmagDiam, 1);

    settings::LSmagDiam = 0;
    settings::loadFilter = 0x5;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child dies at the moment the finished temporary file would replace the store.
        store::detail::setRenameFunction(killedBeforeRename);
        settings::saveSettings();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 42) << "the save reached the rename";
    // The dead program's temporary file is left behind, complete; the store is untouched.
    int leftovers = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder + "/cfg"))
        leftovers += e.path().filename() != "vyrex.reg";
    EXPECT_EQ(leftovers, 1);

    // The next start reads the previous settings.
    store::detail::unload();
    settings::LSmagDiam = 7;
    settings::loadSettings();
    EXPECT_EQ(settings::LSmagDiam, 1);
    EXPECT_EQ(settings::loadFilter, 0xFFFFFFFFu);

    // And saves over the leftovers normally.
    settings::LSmagDiam = 0;
    settings::saveSettings();
    store::detail::unload();
    settings::loadSettings();
    EXPECT_EQ(settings::LSmagDiam, 0);

    settings::settingsLoaded = 0;
    store::setLocation("");
    std::filesystem::remove_all(folder);
}

}  // namespace

// Process-wide flags and texts of the running program.
#include "base/app.h"

#include <cstdio>

namespace app {

StartMode mode;
int firstRun = 0;
char commandLine[1024] = "";
char registryRoot[kPathMax + 1] = "SOFTWARE\\Oskarn Software\\Vyrex\\2.00";
char programFolder[kPathMax + 1] = ".";

int active = 1;
int quit = 0;
int guiVisible = 1;
int pointerDrawn = 0;

platform::SystemInfo systemInfo;

void resetProcessState() {
    mode = StartMode{};
    firstRun = 0;
    std::snprintf(registryRoot, sizeof registryRoot, "%s", "SOFTWARE\\Oskarn Software\\Vyrex\\2.00");
    std::snprintf(programFolder, sizeof programFolder, "%s", platform::currentDirectory().c_str());
    active = 1;
    quit = 0;
    guiVisible = 1;
    pointerDrawn = 0;
}

}  // namespace app

// Process-wide flags and texts of the running program.
#include "base/app.h"

#include <cstdio>
#include <string>

namespace app {

StartMode mode;
int firstRun = 0;
char commandLine[1024] = "";
char registryRoot[kPathMax + 1] = "SOFTWARE\\Oskarn Software\\Vyrex\\2.00";
char programFolder[kPathMax + 1] = ".";
int programFolderGiven = 0;
char logFolder[kPlaceMax + 1] = ".";
char pictureFolder[kPlaceMax + 1] = ".";

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
    programFolderGiven = 0;
    std::snprintf(logFolder, sizeof logFolder, "%s", programFolder);
    std::snprintf(pictureFolder, sizeof pictureFolder, "%s", programFolder);
    active = 1;
    quit = 0;
    guiVisible = 1;
    pointerDrawn = 0;
}

namespace {

bool holdsPacks(const std::string& folder) {
    return platform::pathExists(platform::joinPath(folder, "data/vyrex2.vfs"));
}

}  // namespace

void settleFolders() {
    if (!programFolderGiven && !holdsPacks(programFolder)) {
        const std::string executable = platform::executablePath();
        if (!executable.empty()) {
            const std::string own = platform::parentFolder(executable);
            const std::string installed = platform::joinPath(platform::parentFolder(own), "share/vyrex");
            for (const std::string& folder : {own, installed}) {
                // A folder too long for the program folder's text is not one it can use.
                if (folder.size() <= static_cast<size_t>(kPathMax) && holdsPacks(folder)) {
                    std::snprintf(programFolder, sizeof programFolder, "%s", folder.c_str());
                    break;
                }
            }
        }
    }
    const bool writable = platform::folderWritable(programFolder);
    const std::string log = writable ? std::string(programFolder) : platform::joinPath(platform::stateHome(), "vyrex");
    const std::string pictures = writable ? std::string(programFolder) : platform::picturesFolder();
    std::snprintf(logFolder, sizeof logFolder, "%s", log.c_str());
    std::snprintf(pictureFolder, sizeof pictureFolder, "%s", pictures.c_str());
}

}  // namespace app

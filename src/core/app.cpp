// Process-wide flags and texts of the running program.
#include "core/app.h"

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

int pointerOverWindow = 0;
int pointerOverToolbar = 0;

}  // namespace app

// Process-wide state of the running program: the start-mode flags from the command line, the
// program folder and registry root, and the few flags that other subsystems set to pause or end
// the program. These are plain variables read and written directly; one thread runs everything.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace app {

constexpr int kPathMax = 259;   // folder and root texts of the command line hold at most 259 characters
constexpr int kPlaceMax = 1023; // characters of the folders the program writes to

struct StartMode {
    int DB = 0;   // -d: verbose log to "$vyrex.log"
    int SRV = 0;  // -s: only reported in the log header
    int GUI = 1;  // -g clears: start with the in-scene GUI hidden
    int CNF = 1;  // -c clears: skip the launcher dialog
    int PLG = 1;  // -p clears: load no plug-ins
    int RST = 0;  // -f sets: reset the saved cameras
};

extern StartMode mode;
extern int firstRun;                 // -f, or none of the start-up video values were stored
extern char commandLine[1024];       // as given, for the log header
extern char registryRoot[kPathMax + 1];  // default "SOFTWARE\Oskarn Software\Vyrex\2.00"
extern char programFolder[kPathMax + 1]; // default: the current directory at start
extern int programFolderGiven;           // -l named the program folder
// Where the log ("vyrex.log") and the screenshots go: the program folder while it is writable;
// for an installed copy, whose folder is not, $XDG_STATE_HOME/vyrex and the user's pictures
// folder (platform::picturesFolder).
extern char logFolder[kPlaceMax + 1];
extern char pictureFolder[kPlaceMax + 1];

extern int active;       // frames are produced while 1
extern int quit;         // the main loop ends after this pass when 1
extern int guiVisible;   // in-scene windows and toolbar shown (F9 toggles)
extern int pointerDrawn; // the present step draws the pointer bitmap

// The machine description gathered once at entry (before any log channel is open) and printed by
// the log header.
extern platform::SystemInfo systemInfo;

// Back to a fresh process: start-mode flags and the first-run flag at their defaults, registry
// root at its default, program folder = the current directory (and the log and pictures there),
// loop flags as before a run.
void resetProcessState();

// Settles the folders once the command line has named its program folder or not. Without -l, a
// current directory that holds no packs ("data/vyrex2.vfs") gives way to the program's own
// folder when that holds them (a build's program folder, run from elsewhere), and else to the
// installed data, "<program's folder>/../share/vyrex". Then the log and pictures folders follow
// the program folder's writability.
void settleFolders();

}  // namespace app

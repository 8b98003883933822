// The program's spine: process entry, the two command-line passes, the start-up sequence, the
// main loop, the fatal-error path and the shutdown sequence.
//
// Contract. entry() runs a whole program: it parses the command line, gathers the system
// information, starts every subsystem in the fixed order, runs the main loop until WM_QUIT or the
// quit flag, shuts everything down in the fixed order and returns the exit code (the WM_QUIT
// code; 1 after a fatal exit). A failing start-up step ends the program through fatalExit: log
// lines (with -d), the whole shutdown, a pause of fatalWaitMilliseconds, a message box, and the
// exit function with code 1. The exit function ends the process; a replacement that returns
// (tests) makes fatalExit return, the start-up sequence stop, and entry return 1.
//
// Everything runs on the calling thread. entry() may be called again in the same process: it
// resets the process-wide flags first.
#pragma once

namespace lifecycle {

// Runs the program with the command-line text (options only, as the process was given them).
int entry(const char* commandLine);

// Back to a fresh process: start-mode flags and the first-run flag at their defaults, registry
// root at its default, program folder = the current directory, loop flags as before a run.
void resetProcessState();
// First pass: d s g c p f, and l / r with their values; copies nothing else.
void parseCommandLine(const char* text);
// Second pass: vb<digit>, vw<digit>, vm<digits> override the start-up video values.
void parseVideoOptions(const char* text);

// The three stages entry() runs; public for the tests of each.
int startup();   // 1, or 0 after a fatal exit whose exit function returned
int mainLoop();  // the wParam of the last message taken
void shutdown();

// Kind 1: warning ("Vyrex Warning"), kind 2: fatal error ("Vyrex Fatal Error").
void fatalExit(int kind, const char* text);

// Ends the process with the code; std::exit by default. Null restores the default.
using ExitFunction = void (*)(int code);
void setExitFunction(ExitFunction exitFunction);
// The pause before the fatal message box, so that a full-screen display has switched back.
extern int fatalWaitMilliseconds;  // ms; 2000

}  // namespace lifecycle

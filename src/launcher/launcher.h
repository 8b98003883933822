// The launcher: what the process does before the program starts. It builds the list of display
// modes and, unless -c, shows its dialogs in a small window of their own: the launcher (Run,
// Setup, About, Exit), Setup (the display mode, the back buffer, the retrace wait, a menu entry,
// and the options of the run that follows) and About.
//
// Contract.
// - runLauncher() runs once the command line's two passes, the system information and the
//   start-up values are in (program/lifecycle). It builds video::modeList (the display's modes
//   and the scaled ones). With CNF 0 it returns 1 at once. Otherwise it shows the launcher and
//   returns 1 for Run (which sets RST on a first run) and 0 for Exit or a closed window; then
//   nothing of the program is started. It runs before anything of the program exists: it opens
//   the packs for its font and pictures and closes them again, and its window is closed before
//   it returns. When the dialogs cannot be shown (no packs, no font, no window) it returns 1, so
//   that the start-up says what is missing through its own fatal path.
// - Setup edits the start-up values (settings.h) and the start-mode flags (app.h) in place. Its
//   back-buffer box takes effect at once and rebuilds the mode list; its OK takes the other
//   boxes and the chosen mode and writes the start-up values; Cancel keeps the rest as it was.
//   A mode list left alone keeps VIDdefault as it was, so an automatic choice stays automatic.
//   RST, PLG and DB apply to the run that follows only.
// - The dialogs are drawn with the drawing layer in the console's font, faced like the in-scene
//   windows' widgets (zwindows/paint.h), at the whole-pixel scale dialogScale gives, and driven
//   by the keys (Tab and Shift+Tab between controls, Enter for the focused or the default button,
//   Escape for Exit or Cancel, Space, the arrows and the page keys in the mode list) and the
//   mouse (buttons act on release over them, the wheel scrolls the list).
// - Main thread only. Nothing here is part of a frame of the program.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace launcher {

// 1: start the program; 0: the user left with Exit.
int runLauncher();

// The mode list's line of a mode: "%d x %d, %dbpp", then for a scaled mode its scale and, when
// the desktop's density is known, the width of its pixels ("960 x 540, 24bpp (x2, 0.53 mm)"),
// and for the desktop's own mode the width of its pixels.
void modeLine(const platform::DisplayMode& mode, const platform::Desktop& desktop, char* out, size_t size);

// The whole-pixel scale of a dialog of width × height pixels on the desktop: its pixels closest
// to video::kComfortablePixelMm when the density is known, else one per 540 desktop rows; at
// least 1, and no more than lets the dialog fit the desktop.
int dialogScale(const platform::Desktop& desktop, int width, int height);

// Where a control of a dialog lies (101 the launcher, 104 Setup, 105 About; ids as the dialogs'
// tables give them), in the dialog's pixels: for tests and tools that drive the dialogs.
bool controlRect(int dialog, int id, platform::Rect& rect);

// ---- The menu entry ---------------------------------------------------------------------------
//
// "Add Start Menu" writes a freedesktop menu entry for this copy of the program: the running
// program's file, the program folder as its working folder, and its icon.

// The entry's desktop file id: "<id>.desktop" in the menus, and the icon's name.
const char* desktopId();

struct ShortcutReport {
    bool written = false;
    std::string path;    // the entry's file
    std::string reason;  // why it was not written
};

// Writes <entryName> in $XDG_DATA_HOME/applications (made when missing), replacing an older one
// whole. The program is the running program's file, else <program folder>/<programFile>; the
// description becomes the entry's comment. A program or folder that an entry cannot hold
// (control characters, not UTF-8) is refused with a reason, and nothing is written.
ShortcutReport addStartMenuShortcut(const char* entryName, const char* programFile, const char* description);

// The text of a menu entry for `program` started in `folder` with `icon` (a path or a themed
// name): the keys every entry of the program has (the installed one too), then Exec, TryExec,
// Path and Icon. "" when a path cannot be written into an entry.
std::string menuEntryText(const std::string& program, const std::string& folder, const std::string& icon,
                          const char* description);

}  // namespace launcher

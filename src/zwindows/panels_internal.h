// What the panels share inside this folder: each panel's registration of its classes.
#pragma once

#include "zwindows/zwindows.h"

namespace zwindows::detail {

// Each registers the classes of one panel (its window and the contents of its groups); 1 when
// all of them are registered. The Help panel also loads its text and bar and answers 0 without
// them, and then has no window.
int registerCameraPanel();
int registerSearchPanel();
int registerLocationPanel();
int registerPluginsPanel();
int registerHelpPanel();
int registerConfigPanel();
void releaseLocationPanel();
// Forgets every announcement: the windows go with the window manager's stop.
void releasePluginsPanel();
void releaseHelpPanel();
// The Help window, once made, receives the help picks.
void helpWindowMade(Node window);

}  // namespace zwindows::detail

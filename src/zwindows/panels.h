// The panels: the in-scene windows through which the user edits the camera and the display
// settings (Camera, Config), moves the camera and steps the star-system clock (Location),
// searches the catalogue (Search), reaches the windows of plug-ins (Plugins) and reads the help
// (Help). The Markers panel is the markers' own (extensions) and is found here by its class.
//
// Contract.
// - panelsStart() is the start-up step after the cameras: it registers the panels' classes and
//   makes their windows in the order Camera, Search, Location, Plugins, Help, Config, each
//   closed. The Help window is made only when "help.html" and "helpBar.bmp" both load; it then
//   receives the help picks (setHelpHandler) and opens the page of the topic picked. It returns
//   1. panelsStop() gives the help picks back to the root, forgets the windows (the window
//   manager's stop destroys them) and empties the table of announcements.
// - The panels hold no state of their own: every value lives in the camera record or the
//   settings, and the panels show it again on every change of the camera's state (event 517;
//   the Location panel also on every move, 514). What a field refuses (text that is not a finite
//   number) is put back to the current value.
// - showPanel(windowClass) brings a top-level window of that class to the front (showNode):
//   the keys C, L, K, P, S, X and the toolbar's menu call it.
// - The windows of plug-ins are listed by the Plugins panel from a table of kMaxAnnouncements
//   announcements that the plug-in loader fills (announceWindow, which closes the window) and
//   empties again (withdrawWindow). The panel refills its list when the table changes.
// Main thread only.
#pragma once

#include <cstdint>

#include "zwindows/zwindows.h"

namespace zwindows {

// The panels' window classes.
inline constexpr const char* kCameraPanel = "ZCAMPREF";
inline constexpr const char* kSearchPanel = "ZSEARCH";
inline constexpr const char* kMarkersPanel = "ZMARKER";
inline constexpr const char* kLocationPanel = "ZLOCATION";
inline constexpr const char* kPluginsPanel = "ZPLUGIN";
inline constexpr const char* kHelpPanel = "ZHELP";
inline constexpr const char* kConfigPanel = "ZCONFIG";

// The help page that the Help window's home button and an empty pick open.
constexpr uint32_t kHelpStartTopic = 0x7200;

int panelsStart();
void panelsStop();

// The first top-level window of the class, or kNoNode.
Node panelWindow(const char* windowClass);
// Shows that window and brings it to the front; 0 when there is none.
int showPanel(const char* windowClass);

// ---- Windows announced by plug-ins -------------------------------------------------------------

constexpr int kMaxAnnouncements = 64;
constexpr int kAnnouncedNameMax = 31;  // characters of a name (longer ones are cut)

// 1 announced (the window is closed; the Plugins panel lists it under `name`); 0 when the table
// is full, the window does not exist or is announced already. Windows destroyed since they were
// announced give their places up when the table is full; a click on an item shows its window.
int announceWindow(Node window, const char* name);
void withdrawWindow(Node window);
int announcementCount();
Node announcedWindow(int index);      // kNoNode outside 0 .. count − 1
const char* announcedName(int index); // "" outside

}  // namespace zwindows

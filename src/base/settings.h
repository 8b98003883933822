// Stored settings of the application core: the three start-up video values under
// "<root>\startup" and the display settings under "<root>\settings" in the configuration store.
//
// Contract. Each value is a 32-bit variable that its users read and write directly. Reading
// creates a key that is missing and writes every missing value back with its default, so the
// store always holds a complete set after a read. Registry errors are not reported: a value that
// cannot be read takes its default. Every write goes through the store, which replaces its file
// atomically, so an interrupted save keeps the previous settings.
#pragma once

#include <cstdint>

namespace settings {

// "<root>\startup": read before the launcher, written by its Setup dialog. The command line's
// second pass may override them for one run.
extern int VIDbckBuffSysMem;  // 1: back buffer in system memory, copied to the screen; 0: page flipping
extern int VIDwVSync;         // 1: wait for the vertical retrace when presenting
extern int VIDdefault;        // index of the chosen mode among the usable modes; -1 automatic
extern int VIDpresent;        // how frames reach the window: 0 the cheapest for the machine,
                              // 1 the window surface, 2 the streaming texture

// "<root>\settings": read at start-up, written at shutdown.
extern uint32_t loadFilter;   // bit mask read by the star-system loader; 0xFFFFFFFF by default
extern int LSmagDiam;         // local space shows magnitude (1) or diameter (0); the B key toggles

// 1 once loadSettings has run. saveSettings writes nothing before that, so a start-up that ends
// on a fatal error before the settings step keeps the stored settings instead of overwriting
// them with the defaults.
extern int settingsLoaded;

// Reads the start-up values; sets app::firstRun when none of the first three was stored (a store
// written before VIDpresent existed is not a new machine).
void readStartupValues();
void writeStartupValues();
// Reads loadFilter and LSmagDiam (logged with the DB start-mode flag).
void loadSettings();
void saveSettings();  // only after loadSettings (see settingsLoaded)

}  // namespace settings

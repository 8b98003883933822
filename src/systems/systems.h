// The star-system layer: the body table loaded from the program folder's "systems" folder, the
// running system of the entered star as a scene layer of the star-system view, and the body
// source through which the catalogue answers the positions of bodies and companions.
//
// Contract.
// - start() is the start-up step "star systems", run after the renderers: it loads the body
//   graphics (bodies.h), then every star-system file with the loadFilter setting, adds the
//   layer (render::kOrderSystem, star-system mode only) and registers the body source. stop()
//   takes both out again and forgets the running system. start returns 1: missing graphics or
//   files leave a system without bodies, not a failed start.
// - Files are read from "<program folder>/systems": "solar.ssd", then "solarext.ssd", then every
//   other "*.ssd" in name order (names whose first 9 characters are "solar.ssd" or first 12 are
//   "solarext.ssd", in any case, are not read again). A file that cannot be read is skipped.
//   With the DB start-mode flag the start logs "Load Star Systems:", each further file, and what
//   a file's lines had wrong.
// - The layer's build enters the system of the camera's `system` when the scene passes a system
//   reload: the system starts at clock 0 and is advanced by the time the camera's clock showed,
//   so that bodies stand where they stood when the camera was saved. When the system cannot be
//   entered the running system and the clock stay as they were.
// - reloadSystems() reads the files again (after a change of loadFilter) and has the camera
//   re-apply its mode; the running system is rebuilt from the new table.
// The clock is in days since time 0 (docs/systems.md); advance() (system.h) steps it.
#pragma once

#include "systems/ssd.h"
#include "systems/system.h"

namespace systems {

int start();
void stop();

// The body table as the last load left it.
const BodyTable& bodyTable();
// Loads every file of the program folder's "systems" folder into the body table (emptied first),
// as start does. `startUp` writes the start's log heading.
void loadSystemFiles(bool startUp);
void reloadSystems();
// Sets the loadFilter setting (the kinds of system sections read, SectionBit) and, when it
// changed, reads the files again (the Config panel's filter checks).
void setLoadFilter(uint32_t filter);

// Enters the camera's system at clock 0 and advances it to the clock's time, as the layer's build
// does on a system reload. 1 entered, 0 not (nothing changed).
int enterCameraSystem();

}  // namespace systems

// Between the plug-in loader and its service table: the records of what plug-ins registered.
#pragma once

#include <cstdint>

#include "extensions/vyrex_plugin.h"

namespace extensions::detail {

// What a record undoes when its plug-in is taken out.
enum class Registration : uint8_t {
    kObject,        // a bus object: unregistered (its subscriptions go with it)
    kCommand,       // a console command: removed from the console's table
    kWindowClass,   // a window class: its nodes destroyed, the class forgotten
    kNode,          // a node made through the table: destroyed with its children
    kAnnouncement,  // a window in the Plugins panel: withdrawn
};

// Records a registration for the plug-in being started (or, after the start-up, for the
// plug-ins as a whole). False when the record table is full: the caller undoes the registration.
bool noteRegistration(Registration kind, int32_t value);
// Drops a record whose registration the plug-in undid itself.
void dropRegistration(Registration kind, int32_t value);

// The table handed to every plug-in, filled once.
const VyrexServices& services();
void fillServices();

}  // namespace extensions::detail

// The plug-in loader: the libraries of the program folder's "plugin" folder, started with the
// service table at start-up and taken out again, with everything they registered, at shutdown.
//
// Contract.
// - pluginsLoad() is the start-up step after the in-scene window system. With the PLG start-mode
//   flag clear (option -p) it touches nothing and returns 1. Otherwise it fills the service table
//   (extensions/vyrex_plugin.h), logs "\r\n\tLoad Plugins:" (with DB) and loads every "*.so" of
//   "<program folder>/plugin" in name order: a file that does not load is logged with the
//   loader's reason and skipped; one without VyrexPluginMain logs "Invalid Plugin '%s'.", one whose
//   entry answers 0 logs "Plugin Fail to init '%s'."; both are unloaded. A started plug-in logs
//   "[%08LX|%d]" with its module handle and result and stays. It returns 0 when the folder holds
//   no library, else 1; the start-up sequence ignores the result.
// - What a plug-in registers through the table is recorded for it: objects (with their
//   subscriptions), console commands, window classes with their nodes, nodes it made and windows
//   it announced. A plug-in that fails to start has its records removed before it is unloaded, so
//   nothing calls into a library that is gone. Registrations past the record table
//   (kMaxRegistrations) are refused and undone, since they could not be removed.
// - pluginsStop() removes every plug-in's records (their objects get the bus's destroy message)
//   and unloads the libraries, last loaded first. It must run before the window system, the
//   console and the event bus stop.
// Main thread only.
#pragma once

#include <cstdint>

namespace extensions {

constexpr int kMaxPlugins = 64;
constexpr int kMaxRegistrations = 2048;
constexpr int kPluginNameMax = 63;  // characters of a file name kept for the listing

int pluginsLoad();
void pluginsStop();

// The plug-ins that started, in load order.
int pluginCount();
const char* pluginName(int index);  // the file name; "" outside 0 .. count − 1
// Registrations recorded now, for all plug-ins.
int registrationCount();

}  // namespace extensions

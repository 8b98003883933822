// Macros: lines of console commands bound to keys, run with Ctrl and the key, kept in the
// configuration store under "<root>\macros".
//
// Contract.
// - 256 slots indexed by the key's virtual-key code, each holding a text or nothing, and a
//   changed flag per slot. defineMacro and deleteMacro refuse keys outside 0..255 (result 0);
//   defineMacro turns 'a'..'z' into the letter keys' codes 'A'..'Z', so "macros bind a …" is
//   run by Ctrl+A and stored as "M41"; deleteMacro turns them the same way. Defining an empty
//   text empties the slot, as a stored empty value does.
// - runMacro(key) hands the text's commands, split at ';', to consoleExecute one after another;
//   two adjacent separators pass an empty command and a trailing separator passes nothing more.
//   A command goes through a kCommandBytes buffer: a command longer than kCommandMax characters
//   is not run (the others are). The text is copied first, so a command that rebinds or unbinds
//   the running macro does not pull the text from under it.
// - loadMacros() (start-up) empties the table and reads every value "M%02X" (exactly "M" and two
//   hexadecimal digits) of type REG_SZ from "<root>\macros", creating the key when it is missing;
//   other values are ignored and an empty value empties its slot. reloadMacros() reads the
//   store again over the table without emptying it. Both clear the changed flags of the slots
//   they read. The program's key handling runs a macro for Ctrl and its key.
// - saveMacros() writes every changed slot: its text as "M%02X", or deletes that value when the
//   slot is empty. A slot whose write fails keeps its changed flag for the next save. Nothing is
//   written at shutdown; macrosStop() empties the table.
// Main thread only.
#pragma once

#include <cstddef>

namespace console {

constexpr int kMacroSlots = 256;
constexpr size_t kCommandBytes = 1024;
constexpr size_t kCommandMax = kCommandBytes - 1;  // characters of one macro command

int defineMacro(int key, const char* text);  // 1 stored, 0 refused
int deleteMacro(int key);                    // 1 done, 0 refused
void runMacro(int key);
const char* macroText(int key);  // null when the slot is empty or the key out of range
int macroChanged(int key);       // the slot's changed flag (0 out of range)

int loadMacros();    // 1, or 0 when the store key cannot be opened or created
int reloadMacros();  // the same, without emptying the table first
int saveMacros();    // 1, or 0 when the key or a value could not be written
void macrosStop();

// Where runMacro hands each command: consoleExecute unless replaced (tests watch the split
// commands here). Null restores consoleExecute.
using CommandRunner = void (*)(const char* command);
void setCommandRunner(CommandRunner runner);

}  // namespace console

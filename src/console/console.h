// The console: a text terminal that slides down over the top of the scene, its screen buffer,
// its input line, the commands plug-ins add to it, and the command interpreter behind it.
//
// Contract.
// - consoleStart() clears the panel, the input line and the plug-in command table, loads the
//   font "default.bft" from the packs (96 glyphs of 8 × 6 bytes for the codes 32 to 127; a
//   missing or shorter file fails the start: result 0) and blanks the screen. consoleStop()
//   gives the keyboard back and forgets the font (the packs own it); the screen and the table
//   stay until the next start. The program's window procedure hands the console its typed
//   characters (consoleKey) and F12 (consoleOpen, consoleClose).
// - The screen is kRows × kColumns characters, row 0 on top. Printing writes at the cursor: "\n"
//   starts a new line, "\t" moves to the next multiple of 8 (a new line once it reaches the end
//   of the row), any other character is stored and the cursor advances, wrapping after column
//   79. A new line below the last row scrolls the screen up by one row. consolePrint formats like
//   printf and cuts the text to kPrintMax characters; consoleWrite writes a text of any length.
//   Codes without a glyph (below 32, above 127) take a cell and draw as nothing.
// - Typed characters (consoleKey): 8 removes the last input character, 13 runs the input line
//   through consoleExecute and prints a fresh "\n>" prompt, every other code 1..255 is appended.
//   The input line holds at most kInputMax characters; further characters are ignored. It is
//   shown on the cursor's row from the column where typing began: when it is longer than the
//   room left on the row, the row shows its last characters (the input scrolls sideways), so the
//   row is never overrun and the cursor stays on it. The prompt is never erased.
// - consoleOpen starts the slide down (kSlideSteps frames of kSlideStep pixels), takes the
//   keyboard (input::consoleHasKeyboard) and prints "\n>" with an empty input line;
//   consoleClose starts the slide up and gives the keyboard back. consoleFrame, once per frame,
//   moves the panel and draws it on video::state.drawing; the text is drawn once the panel is
//   fully open.
// - consoleAddCommand appends a plug-in command (name cut to 15 characters, handled by a ZODE
//   object) at the first free slot and returns its index, or −1 when kMaxCommands are
//   registered; consoleRemoveCommand frees a slot again (the plug-in loader takes out the
//   commands of a plug-in that is unloaded), leaving the other commands at their indices. consoleExecute runs one command line (plug-in commands first, then the fixed
//   command table); unknown words answer "\n<line> ?" on the screen and change nothing.
// Main thread only; nothing here allocates after the start except the macro texts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace console {

constexpr int kRows = 16;
constexpr int kColumns = 80;
constexpr int kInputBytes = 144;             // the input line's buffer
constexpr int kInputMax = kInputBytes - 1;   // characters, leaving the terminating zero
constexpr int kPrintMax = 127;               // characters of one consolePrint
constexpr int kMaxCommands = 64;
constexpr int kCommandNameBytes = 16;        // names of at most 15 characters
constexpr int kGlyphBytes = 48;              // 8 rows of 6 one-byte pixels
constexpr int kGlyphs = 96;                  // codes 32 to 127
constexpr int kCellWidth = 6;                // pixels
constexpr int kCellHeight = 8;               // pixels
constexpr int kTextLeft = 12;                // pixels from the left edge to column 0
constexpr int kSlideStep = 8;                // pixels per frame
constexpr int kPanelHeight = 136;            // pixels when fully open
constexpr int kSlideSteps = kPanelHeight / kSlideStep;  // 17 frames
constexpr uint32_t kCommandMessage = 0x302;  // ZODE message of a plug-in command

// Panel state. `keyboardCaptured` is mirrored into input::consoleHasKeyboard.
struct Panel {
    int visible = 0;           // on screen: opening, open or closing
    int direction = 0;         // +1 opening, −1 closing, 0 still
    int height = 0;            // pixels, 0 to kPanelHeight
    int textShown = 0;         // fully open: the text is drawn
    int keyboardCaptured = 0;  // typed characters come to the console
};

int consoleStart();
void consoleStop();

void consoleOpen();
void consoleClose();
void consoleKey(int character);
void consolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
void consoleWrite(const char* text, size_t length);
int consoleAddCommand(int object, const char* name);
void consoleRemoveCommand(int index);
void consoleFrame();
void consoleExecute(const char* line);

// Read-only views: the panel, the screen, the cursor, the input line and the command table.
const Panel& panel();
char cell(int row, int column);         // ' ' outside the screen
// The row as text without its trailing blanks, into out[kColumns + 1]; "" outside the screen.
void rowText(int row, char* out);
int cursorColumn();
int cursorRow();
int inputLength();
int commandCount();                     // slots up to the last command in use
const char* commandName(int index);     // null outside the table; "" for a free slot
int commandObject(int index);           // −1 outside the table

}  // namespace console

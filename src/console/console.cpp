// The console screen: panel slide, screen buffer, printing, the input line, glyph drawing and
// the plug-in command table.
#include "console/console.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/input_state.h"
#include "video/draw.h"
#include "video/video.h"
#include "vfs/vfs.h"

namespace console {

namespace {

Panel state;
const uint8_t* font = nullptr;  // kGlyphs glyphs, owned by the packs

char screen[kRows][kColumns];
int column = 0;  // 0..79 between writes
int row = 0;     // 0..15

char input[kInputBytes];
int length = 0;
// Where the input line is shown: it starts at `inputOrigin` on the cursor's row. `shownRow` and
// `shownColumn` are the cursor after the last redraw of the input; when output moved the cursor
// since (a plug-in printing while the user types), the input is shown again from there.
int inputOrigin = 0;
int shownRow = -1;
int shownColumn = -1;
// The input needs at least this many cells on its row; a prompt further right starts a new line.
constexpr int kMinInputRoom = 8;

struct Command {
    char name[kCommandNameBytes];
    int object;
};
Command commands[kMaxCommands];
int commandTotal = 0;

void setKeyboard(int captured) {
    state.keyboardCaptured = captured;
    input::consoleHasKeyboard = captured;
}

void newLine() {
    column = 0;
    if (++row >= kRows) {
        row = kRows - 1;
        std::memmove(screen[0], screen[1], sizeof screen - sizeof screen[0]);
        std::memset(screen[kRows - 1], ' ', kColumns);
    }
}

void putCharacter(char c) {
    screen[row][column] = c;
    if (++column > kColumns - 1) newLine();
}

// Shows the input line on the cursor's row from inputOrigin, its last characters when it is
// longer than the room, and leaves the cursor after it.
void showInput() {
    if (row != shownRow || column != shownColumn) {
        if (column > kColumns - kMinInputRoom) newLine();
        inputOrigin = column;
    }
    const int room = kColumns - 1 - inputOrigin;  // the last cell holds the cursor
    const int first = length > room ? length - room : 0;
    const int shown = length - first;
    for (int i = 0; i < room; ++i) screen[row][inputOrigin + i] = i < shown ? input[first + i] : ' ';
    column = inputOrigin + shown;
    shownRow = row;
    shownColumn = column;
}

void forgetInput() {
    length = 0;
    input[0] = '\0';
    shownRow = shownColumn = -1;
}


// The glyph of a character code, or null for codes without one (and the blank, never drawn).
const uint8_t* glyph(unsigned char c) {
    if (!font || c <= 32 || c >= 32 + kGlyphs) return nullptr;
    return font + static_cast<size_t>(c - 32) * kGlyphBytes;
}

void drawText(draw::Surface& s) {
    const uint32_t ink = video::colours.green[0];
    uint32_t* pixels = draw::beginDirectAccess(s);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t* g = glyph(static_cast<unsigned char>(screen[r][c]));
            if (!g) continue;
            const int x0 = kTextLeft + kCellWidth * c;
            const int y0 = kCellHeight * r;
            for (int gy = 0; gy < kCellHeight; ++gy) {
                const int y = y0 + gy;
                if (y >= s.height) break;
                uint32_t* line = pixels + static_cast<size_t>(y) * s.pitch;
                // Only five of the six bytes are drawn: the sixth is the gap to the next cell.
                for (int gx = 0; gx < kCellWidth - 1; ++gx) {
                    const int x = x0 + gx;
                    if (g[gy * kCellWidth + gx] == 0xFF && x < s.width) line[x] = ink;
                }
            }
        }
    }
    // The cursor: a 6-pixel line under the cursor's cell.
    const int cx = kCellWidth * (column + 2);
    const int cy = kCellHeight * (row + 1);
    if (cy < s.height)
        for (int x = cx; x < cx + kCellWidth && x < s.width; ++x)
            pixels[static_cast<size_t>(cy) * s.pitch + x] = ink;
    draw::endDirectAccess(s);
}

}  // namespace

int consoleStart() {
    state = Panel{};
    setKeyboard(0);
    forgetInput();
    commandTotal = 0;
    std::memset(screen, ' ', sizeof screen);
    column = row = 0;
    size_t size = 0;
    font = vfs::loadFile("default.bft", &size);
    // A short font would leave characters without their glyphs: refused like a missing one.
    if (!font || size < static_cast<size_t>(kGlyphs) * kGlyphBytes) {
        font = nullptr;
        return 0;
    }
    return 1;
}

void consoleStop() {
    setKeyboard(0);
    state = Panel{};
    font = nullptr;
}

void consoleOpen() {
    if (state.visible) return;
    state.direction = +1;
    state.visible = 1;
    setKeyboard(1);
    // A fresh prompt line: what was typed before the last close is not run by the next Enter.
    forgetInput();
    consolePrint("\n>");
}

void consoleClose() {
    if (!state.visible) return;
    state.direction = -1;
    state.textShown = 0;
    setKeyboard(0);
}

void consoleKey(int character) {
    if (character == 8) {
        if (length > 0) {
            --length;
            input[length] = '\0';
            showInput();
        }
        return;
    }
    if (character == 13) {
        // The line is run from a copy: a plug-in command may type or print into the console.
        char line[kInputBytes];
        std::memcpy(line, input, static_cast<size_t>(length));
        line[length] = '\0';
        forgetInput();
        consoleExecute(line);
        consolePrint("\n>");
        return;
    }
    // Code 0 would end the line early, and window messages carry no codes above 255.
    if (character <= 0 || character > 255 || length >= kInputMax) return;
    input[length++] = static_cast<char>(character);
    input[length] = '\0';
    showInput();
}

void consoleWrite(const char* text, size_t n) {
    if (!text) return;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '\n') {
            newLine();
        } else if (c == '\t') {
            column = (column + 7) / 8 * 8;
            // Column 80 is past the row's last cell: the tab ends the line there.
            if (column >= kColumns) newLine();
        } else {
            putCharacter(c);
        }
    }
}

void consolePrint(const char* format, ...) {
    if (!format) return;
    char text[kPrintMax + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n <= 0) return;
    consoleWrite(text, n < kPrintMax ? static_cast<size_t>(n) : static_cast<size_t>(kPrintMax));
}

int consoleAddCommand(int object, const char* name) {
    if (!name) return -1;
    // A slot freed by a removed plug-in is taken again before the table grows.
    int slot = 0;
    while (slot < commandTotal && commands[slot].name[0]) ++slot;
    if (slot >= kMaxCommands) return -1;
    Command& c = commands[slot];
    std::snprintf(c.name, sizeof c.name, "%s", name);
    c.object = object;
    if (slot == commandTotal) ++commandTotal;
    return slot;
}

void consoleRemoveCommand(int index) {
    if (index < 0 || index >= commandTotal) return;
    commands[index] = Command{"", -1};
    while (commandTotal > 0 && !commands[commandTotal - 1].name[0]) --commandTotal;
}

void consoleFrame() {
    if (!state.visible) return;
    if (state.direction != 0) {
        state.height += state.direction * kSlideStep;
        if (state.height <= 0) {
            state.height = 0;
            state.direction = 0;
            state.textShown = 0;
            state.visible = 0;
            return;
        }
        if (state.height >= kPanelHeight) {
            state.height = kPanelHeight;
            state.direction = 0;
            state.textShown = 1;
        }
    }
    draw::Surface* s = video::state.drawing;
    if (!s || !s->pixels) return;
    const int width = video::state.width;
    draw::setColour(*s, video::colours.blue[12]);
    draw::fillRect(*s, 0, 0, width + 1, state.height);
    draw::setColour(*s, video::colours.white);
    draw::line(*s, 0, state.height, width, state.height);
    if (state.textShown) drawText(*s);
}

const Panel& panel() { return state; }

char cell(int r, int c) {
    if (r < 0 || r >= kRows || c < 0 || c >= kColumns) return ' ';
    return screen[r][c];
}

void rowText(int r, char* out) {
    if (!out) return;
    out[0] = '\0';
    if (r < 0 || r >= kRows) return;
    int n = kColumns;
    while (n > 0 && screen[r][n - 1] == ' ') --n;
    std::memcpy(out, screen[r], static_cast<size_t>(n));
    out[n] = '\0';
}

int cursorColumn() { return column; }
int cursorRow() { return row; }
int inputLength() { return length; }
int commandCount() { return commandTotal; }
const char* commandName(int index) {
    return index >= 0 && index < commandTotal ? commands[index].name : nullptr;
}
int commandObject(int index) { return index >= 0 && index < commandTotal ? commands[index].object : -1; }

}  // namespace console

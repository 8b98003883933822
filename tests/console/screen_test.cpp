// The console screen: printing, scrolling, tabs and wrapping, the input line, opening and closing,
// the slide, the drawing of the panel and its text, the plug-in command table and the font.
#include <cstring>

#include "console_fixture.h"

namespace {

using consoletest::ConsoleTest;
using namespace console;

TEST_F(ConsoleTest, PrintingScrollsWrapsAndTabs) {
    for (int i = 1; i <= 17; ++i) consolePrint("line %d\n", i);
    // The 17th line pushed the first out; the cursor stays on the last row.
    EXPECT_EQ(rowAt(0), "line 3");
    EXPECT_EQ(rowAt(14), "line 17");
    EXPECT_EQ(cursorRow(), 15);
    EXPECT_EQ(cursorColumn(), 0);

    blankScreen();
    consolePrint("12345678\t|");
    EXPECT_EQ(rowAt(0), "12345678|") << "a tab at column 8 stays there";
    blankScreen();
    consolePrint("abc\t|");
    EXPECT_EQ(rowAt(0), "abc     |") << "a tab at column 3 moves to column 8";
    EXPECT_EQ(cursorColumn(), 9);

    blankScreen();
    const std::string eighty(80, 'x');
    consolePrint("%s", eighty.c_str());
    EXPECT_EQ(cursorRow(), 1);
    EXPECT_EQ(cursorColumn(), 0);
    EXPECT_EQ(rowAt(0), eighty);
    consolePrint("y");
    EXPECT_EQ(rowAt(1), "y");

    // A tab that reaches the end of the row ends the line instead of leaving the cursor past it.
    blankScreen();
    consolePrint("%s\tz", std::string(75, 'x').c_str());
    EXPECT_EQ(cursorRow(), 1);
    EXPECT_EQ(rowAt(1), "z");
    for (int i = 0; i < 20; ++i) consolePrint("%s\t", std::string(79, 'q').c_str());
    EXPECT_EQ(cursorRow(), 15);
    EXPECT_LE(cursorColumn(), kColumns - 1);
}

TEST_F(ConsoleTest, FormattedOutputIsCutAt127CharactersButWrittenTextIsNot) {
    const std::string long200(200, 'a');
    consolePrint("%s", long200.c_str());
    EXPECT_EQ(cursorRow(), 1);
    EXPECT_EQ(cursorColumn(), 127 - 80);
    blankScreen();
    consoleWrite(long200.data(), long200.size());
    EXPECT_EQ(cursorRow(), 2);
    EXPECT_EQ(cursorColumn(), 40);
    // Codes without a glyph take their cell like any other character.
    blankScreen();
    consolePrint("a\x01\x7f\xff" "b");
    EXPECT_EQ(cursorColumn(), 5);
    EXPECT_EQ(cell(0, 4), 'b');
}

TEST_F(ConsoleTest, OpeningPrintsAFreshPromptAndTakesTheKeyboard) {
    consolePrint("hello");
    consoleOpen();
    EXPECT_EQ(screen(), "hello\n>");
    EXPECT_EQ(panel().visible, 1);
    EXPECT_EQ(panel().direction, 1);
    EXPECT_EQ(input::consoleHasKeyboard, 1);
    consoleOpen();  // already visible: nothing
    EXPECT_EQ(screen(), "hello\n>");

    consoleKey('x');
    consoleClose();
    EXPECT_EQ(panel().direction, -1);
    EXPECT_EQ(panel().keyboardCaptured, 0);
    EXPECT_EQ(input::consoleHasKeyboard, 0);
    consoleOpen();  // still visible while it slides up: ignored
    EXPECT_EQ(panel().direction, -1);
    for (int i = 0; i < kSlideSteps; ++i) consoleFrame();
    EXPECT_EQ(panel().visible, 0);

    // The half-typed "x" is not run by the next Enter of a fresh prompt.
    consoleOpen();
    EXPECT_EQ(inputLength(), 0);
    consoleKey('\r');
    EXPECT_EQ(screen(), "hello\n>x\n>\n>");
}

TEST_F(ConsoleTest, TheInputLineEditsRunsAndNeverErasesThePrompt) {
    consoleOpen();
    consoleKey(8);
    consoleKey(8);
    EXPECT_EQ(screen(), "\n>") << "backspace at an empty line does nothing";
    for (char c : std::string("show verr")) consoleKey(c);
    consoleKey(8);
    EXPECT_EQ(rowAt(1), ">show ver");
    EXPECT_EQ(cursorColumn(), 9);
    for (int i = 0; i < 20; ++i) consoleKey(8);
    EXPECT_EQ(rowAt(1), ">");
    EXPECT_EQ(cursorColumn(), 1);
    for (char c : std::string("show ver\r")) consoleKey(c);
    EXPECT_EQ(screen(), "\n>show ver\nVyrex, Version 2.00 [Build 18]\n>");
    EXPECT_EQ(inputLength(), 0);
    // Typed control codes go into the line like any other character; Enter runs it.
    for (char c : std::string("set\x1bx\r")) consoleKey(c);
    EXPECT_EQ(rowAt(4), "set\x1bx ?");
}

TEST_F(ConsoleTest, OverlongInputScrollsSidewaysWithinItsRowAndStopsAt143) {
    consoleOpen();
    std::string typed;
    for (int i = 0; i < 200; ++i) {
        const char c = static_cast<char>('a' + i % 26);
        consoleKey(c);
        if (typed.size() < static_cast<size_t>(kInputMax)) typed += c;
    }
    EXPECT_EQ(inputLength(), kInputMax);
    // The row shows the prompt and the last 78 characters; the cursor sits in the last cell.
    EXPECT_EQ(cursorRow(), 1);
    EXPECT_EQ(cursorColumn(), 79);
    EXPECT_EQ(rowAt(1), ">" + typed.substr(typed.size() - 78));
    EXPECT_EQ(rowAt(2), "") << "the row below is untouched";
    // Erasing brings the start back into view.
    for (int i = 0; i < kInputMax - 10; ++i) consoleKey(8);
    EXPECT_EQ(rowAt(1), ">" + typed.substr(0, 10));
    EXPECT_EQ(cursorColumn(), 11);
    // The whole line, not what is shown, is run.
    blankScreen();
    consoleOpen();
    const std::string line = "set " + std::string(100, 'y');
    for (char c : line) consoleKey(c);
    consoleKey('\r');
    EXPECT_EQ(rowAt(2), line.substr(0, 80));
    EXPECT_EQ(rowAt(3), line.substr(80) + " ?");

    // A prompt at the far right of a row starts the input on a new line with room to type.
    blankScreen();
    consolePrint("%s", std::string(76, '-').c_str());
    consoleKey('a');
    consoleKey('b');
    EXPECT_EQ(rowAt(0), std::string(76, '-'));
    EXPECT_EQ(rowAt(1), "ab");
}

TEST_F(ConsoleTest, OutputWhileTypingMovesTheInputAfterIt) {
    consoleOpen();
    consoleKey('a');
    consoleKey('b');
    consolePrint("[note]");  // a plug-in printing while the user types
    consoleKey('c');
    EXPECT_EQ(rowAt(1), ">ab[note]abc");
    consoleKey('\r');
    EXPECT_EQ(rowAt(2), "abc ?");
}

TEST_F(ConsoleTest, TheSlideTakes17FramesEachWay) {
    consoleOpen();
    for (int i = 1; i < kSlideSteps; ++i) {
        consoleFrame();
        EXPECT_EQ(panel().height, 8 * i);
        EXPECT_EQ(panel().textShown, 0);
    }
    consoleFrame();
    EXPECT_EQ(panel().height, 136);
    EXPECT_EQ(panel().direction, 0);
    EXPECT_EQ(panel().textShown, 1);
    consoleFrame();
    EXPECT_EQ(panel().height, 136);

    consoleClose();
    EXPECT_EQ(panel().textShown, 0);
    for (int i = 1; i < kSlideSteps; ++i) consoleFrame();
    EXPECT_EQ(panel().height, 8);
    EXPECT_EQ(panel().visible, 1);
    consoleFrame();
    EXPECT_EQ(panel().height, 0);
    EXPECT_EQ(panel().visible, 0);
    EXPECT_EQ(panel().direction, 0);

    // Closing while it opens turns the slide round.
    consoleOpen();
    for (int i = 0; i < 5; ++i) consoleFrame();
    consoleClose();
    for (int i = 0; i < 4; ++i) consoleFrame();
    EXPECT_EQ(panel().height, 8);
    consoleFrame();
    EXPECT_EQ(panel().visible, 0);
}

TEST_F(ConsoleTest, TheOpenPanelDrawsBackgroundLineTextAndCursor) {
    const uint32_t blue = video::colours.blue[12];
    const uint32_t green = video::colours.green[0];
    ASSERT_EQ(blue, draw::packColour(draw::kXrgb8888, 0, 0, 63));
    ASSERT_EQ(green, draw::packColour(draw::kXrgb8888, 0, 255, 0));
    draw::clear(surface, 0);
    consoleFrame();
    EXPECT_EQ(draw::getPixel(surface, 0, 0), 0u) << "a closed console draws nothing";

    consolePrint("\x01");  // row 0, column 0: no glyph
    consoleOpen();         // "\n>": the prompt at row 1, column 0; cursor at row 1, column 1
    for (int i = 0; i < kSlideSteps; ++i) {
        draw::clear(surface, 0);
        consoleFrame();
    }
    EXPECT_EQ(draw::getPixel(surface, 0, 0), blue);
    EXPECT_EQ(draw::getPixel(surface, 639, 135), blue);
    EXPECT_EQ(draw::getPixel(surface, 0, 136), video::colours.white);
    EXPECT_EQ(draw::getPixel(surface, 639, 136), video::colours.white);
    EXPECT_EQ(draw::getPixel(surface, 0, 137), 0u);

    // The prompt's glyph, pixel for pixel, in the cell at x = 12, y = 8.
    size_t size = 0;
    const uint8_t* font = vfs::loadFile("default.bft", &size);
    ASSERT_NE(font, nullptr);
    const uint8_t* prompt = font + ('>' - 32) * kGlyphBytes;
    int ink = 0;
    for (int gy = 0; gy < 8; ++gy) {
        for (int gx = 0; gx < 6; ++gx) {
            const bool drawn = gx < 5 && prompt[gy * 6 + gx] == 0xFF;
            ink += drawn;
            EXPECT_EQ(draw::getPixel(surface, 12 + gx, 8 + gy), drawn ? green : blue) << gx << "," << gy;
        }
    }
    EXPECT_GT(ink, 0);
    // The cell of code 1 stays background.
    for (int gy = 0; gy < 8; ++gy)
        for (int gx = 0; gx < 6; ++gx) EXPECT_EQ(draw::getPixel(surface, 12 + gx, gy), blue);
    // The cursor: 6 pixels under the cell of row 1, column 1.
    for (int x = 18; x < 24; ++x) EXPECT_EQ(draw::getPixel(surface, x, 16), green) << x;
    EXPECT_EQ(draw::getPixel(surface, 24, 16), blue);
}

TEST_F(ConsoleTest, ASmallSurfaceClipsTheText) {
    draw::Surface small;
    ASSERT_TRUE(draw::createSurface(small, 100, 60));
    video::state.drawing = &small;
    video::state.width = 99;
    for (int r = 0; r < 16; ++r) consolePrint("%s\n", std::string(79, '#').c_str());
    consoleOpen();
    for (int i = 0; i < kSlideSteps; ++i) consoleFrame();
    EXPECT_EQ(panel().textShown, 1);
    int ink = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) ink += draw::getPixel(small, x, y) == video::colours.green[0];
    EXPECT_GT(ink, 0);
    video::state.drawing = &surface;
    draw::destroySurface(small);
}

TEST_F(ConsoleTest, TheCommandTableHolds64Commands) {
    EXPECT_EQ(consoleAddCommand(5, "averyveryverylongname"), 0);
    EXPECT_STREQ(commandName(0), "averyveryverylo");
    for (int i = 1; i < kMaxCommands; ++i) EXPECT_EQ(consoleAddCommand(i, "c"), i);
    EXPECT_EQ(consoleAddCommand(99, "more"), -1);
    EXPECT_EQ(commandCount(), kMaxCommands);
    EXPECT_EQ(commandObject(63), 63);
}

TEST_F(ConsoleTest, TheStartNeedsTheWholeFont) {
    consoleStop();
    vfs::closePacks();
    writePacks("");
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(consoleStart(), 0) << "missing font";
    vfs::closePacks();
    writePacks(consoletest::shipped("default.bft").substr(0, 4607));
    ASSERT_EQ(vfs::openPacks(), 1);
    EXPECT_EQ(consoleStart(), 0) << "one byte short of 96 glyphs";
}

}  // namespace

// Marker definitions, marker files and their listing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/app.h"
#include "extensions/markers.h"
#include "catalog/catalog.h"
#include "console/console.h"
#include "navigation/camera.h"
#include "render/scene.h"
#include "support/synthcatalog.h"
#include "video/draw.h"
#include "video/video.h"

namespace {

using markers::Marker;

class MarkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sky.addStar({1, 2, 3}, 1.0, 0.6, 0, synth::hipCode(7));
        sky.addStar({4, 5, 6}, 1.0, 0.6, 0, synth::hipCode(8));
        cluster = sky.addDeepSky(2, {100, 200, 300}, -8.0, 13u << 24);  // globular "M 13"
        sky.attach();
        markers::markerClear();
        markers::markersShown = 0;
        dir = std::filesystem::temp_directory_path() /
              ("vyrex_markers_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "marker");
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", dir.c_str());
    }
    void TearDown() override {
        markers::markerClear();
        std::filesystem::remove_all(dir);
    }

    void writeFile(const std::string& name, const std::string& bytes) {
        std::ofstream out(dir / "marker" / name, std::ios::binary);
        out << bytes;
    }

    static Marker parsed(const std::string& text) {
        Marker m;
        EXPECT_EQ(markers::markerParse(text.c_str(), m), 1) << text;
        return m;
    }
    static bool rejected(const std::string& text) {
        Marker m;
        const int before = markers::markerCount();
        const bool refused = markers::markerParse(text.c_str(), m) == 0 && markers::markerAdd(text.c_str()) == 0;
        return refused && markers::markerCount() == before;
    }
    static int32_t rgb(int r, int g, int b) {
        return static_cast<int32_t>(draw::packColour(video::state.format, r, g, b));
    }

    synth::SynthCatalog sky;
    catalog::ObjectId cluster = 0;
    std::filesystem::path dir;
};

void expectAt(const Vector3& v, double x, double y, double z) {
    EXPECT_DOUBLE_EQ(v.x, x);
    EXPECT_DOUBLE_EQ(v.y, y);
    EXPECT_DOUBLE_EQ(v.z, z);
}

TEST_F(MarkerTest, EachKindReadsItsFieldsFromAnyWordAndAnyPositionForm) {
    Marker line = parsed("line{p(0,0,0);o(1);rgb(ff0000)}");
    EXPECT_EQ(line.kind, markers::kLine);
    expectAt(line.point1, 0, 0, 0);
    expectAt(line.point2, 4, 5, 6);
    EXPECT_EQ(line.colour, rgb(255, 0, 0));

    Marker arrow = parsed("  arrowhead { n(HIP 7) ; p(-1.5e3, 2.25, 1e-2) ; rgb(0000ff) }");
    EXPECT_EQ(arrow.kind, markers::kArrow);
    expectAt(arrow.point1, 1, 2, 3);
    expectAt(arrow.point2, -1500, 2.25, 0.01);
    EXPECT_EQ(arrow.colour, rgb(0, 0, 255));

    Marker text = parsed("text{o(1000000);rgb(ffff00);\"Great cluster in Hercules\"}");
    EXPECT_EQ(text.kind, markers::kText);
    expectAt(text.point1, 100, 200, 300);  // o(…) of a deep-sky object
    EXPECT_STREQ(text.text, "Great cluster in Hercules");
    EXPECT_EQ(parsed("t{n(M 13);rgb(1);\"\"}").text[0], '\0') << "an empty text is a text";

    Marker mark = parsed("m{p(1,1,1);rgb(808080);c}");
    EXPECT_EQ(mark.kind, markers::kMark);
    EXPECT_EQ(mark.style, 2);
    EXPECT_EQ(parsed("mark{p(1,1,1);rgb(808080);flag}").style, 1);
    EXPECT_EQ(parsed("m{p(1,1,1);rgb(808080);  cross}").style, 2);
}

TEST_F(MarkerTest, APositionAloneUsesTheSameGrammar) {
    Vector3 v{9, 9, 9};
    EXPECT_NE(catalog::readPosition("  n(HIP 8)", v), nullptr);
    expectAt(v, 4, 5, 6);
    EXPECT_EQ(catalog::readPosition("p(1,2)", v), nullptr);
    EXPECT_EQ(catalog::readPosition("o(ffffffff)", v), nullptr) << "the identifier of nothing";
    expectAt(v, 4, 5, 6);
}

TEST_F(MarkerTest, TheColourWordIsLenient) {
    EXPECT_EQ(parsed("l{p(0,0,0);p(1,1,1);rgb(00ff00)}").colour, rgb(0, 255, 0));
    EXPECT_EQ(parsed("l{p(0,0,0);p(1,1,1);rg(ff)}").colour, rgb(0, 0, 255));
    EXPECT_EQ(parsed("l{p(0,0,0);p(1,1,1);rxb(ff)}").colour, rgb(0, 0, 255));
    EXPECT_EQ(parsed("l{p(0,0,0);p(1,1,1);rgb(12345678)}").colour, rgb(0x34, 0x56, 0x78))
        << "only the low 24 bits are a colour";
    EXPECT_TRUE(rejected("l{p(0,0,0);p(1,1,1);r(ff)}"));
    EXPECT_TRUE(rejected("l{p(0,0,0);p(1,1,1);red(ff0000)}"));
    EXPECT_TRUE(rejected("l{p(0,0,0);p(1,1,1);rgb}"));
    EXPECT_TRUE(rejected("l{p(0,0,0);p(1,1,1);rgb(zz)}"));
    EXPECT_TRUE(rejected("l{p(0,0,0);p(1,1,1);r")) << "an r at the very end is read safely";
}

TEST_F(MarkerTest, BrokenDefinitionsAddNothing) {
    markers::markerAdd("l{p(0,0,0);p(1,1,1);rgb(ff)}");
    EXPECT_EQ(markers::markerCount(), 1);
    for (const char* bad : {
             "t{p(0,0,0);rgb(ffffff);\"Sun (Sol)\"}",    // ")" inside a text
             "t{p(0,0,0);rgb(ffffff);\"unterminated}",    // no closing quote
             "m{p(0,0,0);rgb(ffffff);x}",                 // a mark without f or c
             "m{p(0,0,0);rgb(ffffff)}",                   // no style field at all
             "l{n(Nobody);p(1,1,1);rgb(ff)}",             // unknown name
             "l{o(5);p(1,1,1);rgb(ff)}",                  // unknown identifier
             "l{o(100000000);p(1,1,1);rgb(ff)}",          // no 32-bit identifier
             "l{p(0,0,0)p(1,1,1);rgb(ff)}",               // fields not separated
             "l p(0,0,0);p(1,1,1);rgb(ff)",               // no "{"
             "l{)p(0,0,0);p(1,1,1);rgb(ff)}",             // ")" before the position
             "l{p (0,0,0);p(1,1,1);rgb(ff)}",             // "(" must follow the letter
             "l{p(0 ,0,0);p(1,1,1);rgb(ff)}",             // a comma right after a number
             "l{p(0,0);p(1,1,1);rgb(ff)}",                // two coordinates
             "l{p(nan,0,0);p(1,1,1);rgb(ff)}",            // not a place in the sky
             "l{p(0,inf,0);p(1,1,1);rgb(ff)}",
             "Line{p(0,0,0);p(1,1,1);rgb(ff)}",           // kinds are lower-case letters
             "x{p(0,0,0);p(1,1,1);rgb(ff)}",              // no such kind
             "// l{p(0,0,0);p(1,1,1);rgb(ff)}",
             "",
             "\tl{p(0,0,0);p(1,1,1);rgb(ff)}",            // a control character first
         })
        EXPECT_TRUE(rejected(bad)) << bad;
    EXPECT_EQ(markers::markerCount(), 1);
}

TEST_F(MarkerTest, LongTextsAreCutToTheRecord) {
    const std::string words(200, 'w');
    Marker m = parsed("t{p(0,0,0);rgb(ff);\"" + words + "\"}");
    EXPECT_EQ(std::string(m.text), words.substr(0, markers::kTextBytes - 1));
}

TEST_F(MarkerTest, TheTableTakes128AndClearEmptiesIt) {
    for (int i = 0; i < markers::kMaxMarkers; ++i)
        ASSERT_EQ(markers::markerAdd("l{p(0,0,0);p(1,1,1);rgb(ff)}"), 1) << i;
    EXPECT_EQ(markers::markerAdd("m{p(0,0,0);rgb(ff);f}"), 0);
    EXPECT_EQ(markers::markerCount(), markers::kMaxMarkers);
    EXPECT_EQ(markers::markerAt(markers::kMaxMarkers - 1)->kind, markers::kLine);
    markers::markerClear();
    EXPECT_EQ(markers::markerCount(), 0);
    EXPECT_EQ(markers::markerAdd("m{p(0,0,0);rgb(ff);f}"), 1);
}

TEST_F(MarkerTest, FilesSkipCommentsEmptyLinesAndLoadOnTopOfWhatIsThere) {
    writeFile("one.map",
              "// the Sun and a star\n"
              "\n"
              "    l{p(0,0,0);n(HIP 8);rgb(ff0000)}\n"
              "x{ignored}\n");
    EXPECT_EQ(markers::markerLoad("one.map"), 1);
    EXPECT_EQ(markers::markerCount(), 1);
    expectAt(markers::markerAt(0)->point2, 4, 5, 6);
    EXPECT_EQ(markers::markerLoad("one.map"), 1);
    EXPECT_EQ(markers::markerCount(), 2) << "loading twice doubles";

    EXPECT_EQ(markers::markerLoad("missing.map"), -1);
    EXPECT_EQ(markers::markerCount(), 2);

    // Windows line ends, and a last line without any.
    writeFile("crlf.map", "t{p(1,2,3);rgb(ff);\"Here\"}\r\nm{p(1,2,3);rgb(ff);c}\r\nl{p(0,0,0);p(1,1,1);rgb(ff)}");
    markers::markerClear();
    EXPECT_EQ(markers::markerLoad("crlf.map"), 3);
    EXPECT_STREQ(markers::markerAt(0)->text, "Here");
    EXPECT_EQ(markers::markerAt(1)->style, 2);
}

TEST_F(MarkerTest, ALineOfMoreThan259CharactersGoesOnAsTheNextLine) {
    const std::string definition = "l{p(0,0,0);p(1,1,1);rgb(ff)}";
    // A comment filling a whole line: what lies beyond character 259 is a line of its own.
    std::string comment = "//" + std::string(markers::kLineChars - 2, '-');
    // A definition whose colour lies beyond character 259 loses it; its tail starts with
    // blanks and an r, which is no kind.
    std::string cut = "l{p(0,0,0);p(1,1,1);";
    cut += std::string(markers::kLineChars - cut.size(), ' ') + "  rgb(ff)}";
    writeFile("long.map", comment + definition + "\n" + cut + "\n" + definition + "\n");
    EXPECT_EQ(markers::markerLoad("long.map"), 2);

    // Exactly 259 characters and the line feed: one line, then an empty one.
    std::string full = definition + std::string(markers::kLineChars - definition.size(), ' ');
    ASSERT_EQ(full.size(), 259u);
    writeFile("full.map", full + "\n" + definition + "\n");
    markers::markerClear();
    EXPECT_EQ(markers::markerLoad("full.map"), 2);
}

TEST_F(MarkerTest, AFileStopsAddingAtAFullTable) {
    std::string lines;
    for (int i = 0; i < 130; ++i) lines += "m{p(" + std::to_string(i) + ",0,0);rgb(ff);f}\n";
    writeFile("many.map", lines);
    EXPECT_EQ(markers::markerLoad("many.map"), markers::kMaxMarkers);
    EXPECT_EQ(markers::markerAt(127)->point1.x, 127.0) << "the first 128 in file order";
}

TEST_F(MarkerTest, ListNamesTheMapFilesInOrderWithinTheBuffer) {
    char out[markers::kListBytes];
    EXPECT_EQ(markers::markerList(out, sizeof out), 0);
    EXPECT_STREQ(out, "");

    writeFile("orion.map", "");
    writeFile("Andromeda.MAP", "");
    writeFile("notes.txt", "");
    std::filesystem::create_directories(dir / "marker" / "folder.map");
    EXPECT_EQ(markers::markerList(out, sizeof out), 2);
    EXPECT_STREQ(out, "Andromeda.MAP orion.map ");

    // 30 names of 10 characters: 23 fit with their blanks and the terminator in 256 bytes.
    std::filesystem::remove_all(dir / "marker");
    std::filesystem::create_directories(dir / "marker");
    for (int i = 0; i < 30; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "name%02d.map", i);
        writeFile(name, "");
    }
    EXPECT_EQ(markers::markerList(out, sizeof out), 23);
    EXPECT_EQ(std::string(out).size(), 23u * 11u);
    EXPECT_EQ(std::string(out).substr(22 * 11), "name22.map ");

    char small[12];
    EXPECT_EQ(markers::markerList(small, sizeof small), 1);
    EXPECT_STREQ(small, "name00.map ");
    EXPECT_EQ(markers::markerList(small, 11), 0);
    EXPECT_STREQ(small, "");
}

TEST_F(MarkerTest, StartEmptiesAndHidesTheTableAndPutsTheMarkersIntoTheSceneAndTheConsole) {
    markers::markerAdd("m{p(0,0,0);rgb(ff);f}");
    markers::markersShown = 1;
    const int layers = render::layerCount();
    EXPECT_EQ(markers::markerStart(), 1);
    EXPECT_EQ(markers::markerCount(), 0);
    EXPECT_EQ(markers::markersShown, 0);
    EXPECT_EQ(render::layerCount(), layers + 1);
    // The console knows the words now: "marker on" shows them again.
    console::consoleExecute("marker on");
    EXPECT_EQ(markers::markersShown, 1);
    markers::markerStop();
    EXPECT_EQ(render::layerCount(), layers);
    EXPECT_EQ(markers::markersShown, 0);
    console::consoleExecute("marker on");
    EXPECT_EQ(markers::markersShown, 0) << "the words left with the markers";
}

TEST_F(MarkerTest, ChangesToTheTableAskForARebuild) {
    camera::takeRebuild();
    EXPECT_EQ(markers::markerAdd("m{p(0,0,0);rgb(ff);f}"), 1);
    EXPECT_EQ(camera::takeRebuild(), 1);
    EXPECT_EQ(markers::markerAdd("not a marker"), 0);
    EXPECT_EQ(camera::takeRebuild(), 0) << "nothing changed";
    markers::markerClear();
    EXPECT_EQ(camera::takeRebuild(), 1);
    markers::showMarkers(1);
    EXPECT_EQ(camera::takeRebuild(), 1);
    markers::showMarkers(0);
}

}  // namespace

// The asset builder's readers of outside formats (X11 PCF fonts, Hershey .jhf fonts, the corner
// coordinates of the deep-sky pictures), compiled in from the tool's sources: good input gives
// the right glyphs and corners, and every cut or damaged input is refused without reading past
// its end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../tools/assetbuild/corners.cpp"
#include "../../tools/assetbuild/jhf.cpp"
#include "../../tools/assetbuild/pcf.cpp"

namespace {

// ---- A small PCF font built in memory: glyphs 'A' and 'i', 5 × 8 cells, big-endian tables. ----

struct Writer {
    std::vector<uint8_t> b;
    void le32(uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void be32(uint32_t v) {
        for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void be16(uint16_t v) {
        b.push_back(static_cast<uint8_t>(v >> 8));
        b.push_back(static_cast<uint8_t>(v));
    }
};

const char* const kGlyphA[8] = {".....", ".##..", "#..#.", "#..#.", "####.", "#..#.", "#..#.", "....."};
const char* const kGlyphI[8] = {".....", "..#..", ".....", ".##..", "..#..", "..#..", ".###.", "....."};

std::vector<uint8_t> smallPcf() {
    const uint32_t be = 0x0C;       // big-endian bytes, most significant bit first
    const uint32_t bitmapFmt = 0x0E;  // the same, rows padded to 4 bytes
    Writer accel, metrics, bitmaps, enc;
    accel.le32(be);
    for (int i = 0; i < 8; ++i) accel.b.push_back(0);
    accel.be32(7);  // ascent
    accel.be32(1);  // descent
    accel.be32(0);
    metrics.le32(be);
    metrics.be32(2);
    for (int g = 0; g < 2; ++g)
        for (uint16_t v : {0, 5, 5, 7, 1, 0}) metrics.be16(v);  // lsb rsb width ascent descent attr
    bitmaps.le32(bitmapFmt);
    bitmaps.be32(2);
    bitmaps.be32(0);
    bitmaps.be32(32);
    for (uint32_t s : {64u, 64u, 64u, 64u}) bitmaps.be32(s);
    for (const char* const* glyph : {kGlyphA, kGlyphI})
        for (int y = 0; y < 8; ++y) {
            uint8_t row = 0;
            for (int x = 0; x < 5; ++x)
                if (glyph[y][x] == '#') row |= static_cast<uint8_t>(0x80 >> x);
            bitmaps.b.insert(bitmaps.b.end(), {row, 0, 0, 0});
        }
    enc.le32(be);
    for (uint16_t v : {65, 105, 0, 0, 0}) enc.be16(v);
    for (int code = 65; code <= 105; ++code) enc.be16(code == 65 ? 0 : code == 105 ? 1 : 0xFFFF);

    Writer out;
    out.b = {1, 'f', 'c', 'p'};
    out.le32(4);
    uint32_t offset = 8 + 4 * 16;
    const std::pair<uint32_t, Writer*> tables[] = {{2, &accel}, {4, &metrics}, {8, &bitmaps}, {32, &enc}};
    for (const auto& [type, w] : tables) {
        out.le32(type);
        out.le32(w->b[0]);
        out.le32(static_cast<uint32_t>(w->b.size()));
        out.le32(offset);
        offset += static_cast<uint32_t>(w->b.size());
    }
    for (const auto& [type, w] : tables) out.b.insert(out.b.end(), w->b.begin(), w->b.end());
    return out.b;
}

TEST(PcfReader, ReadsGlyphsIntoTheirCellsAndBuildsTheConsoleFont) {
    std::vector<uint8_t> pcf = smallPcf();
    assets::BitmapFont font;
    std::string error;
    ASSERT_TRUE(assets::parsePcf(pcf.data(), pcf.size(), font, error)) << error;
    EXPECT_EQ(font.cellHeight, 8);
    ASSERT_TRUE(font.glyphs['A'].present);
    ASSERT_TRUE(font.glyphs['i'].present);
    EXPECT_FALSE(font.glyphs['B'].present);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(font.glyphs['A'].ink[y * 5 + x], kGlyphA[y][x] == '#') << x << "," << y;
            EXPECT_EQ(font.glyphs['i'].ink[y * 5 + x], kGlyphI[y][x] == '#') << x << "," << y;
        }
    assets::Bytes bft;
    ASSERT_TRUE(assets::buildConsoleFont(font, bft, error)) << error;
    ASSERT_EQ(bft.size(), 4608u);
    const uint8_t* a = &bft[('A' - 32) * 48];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(a[y * 6 + x], x < 5 && kGlyphA[y][x] == '#' ? 0xFF : 0);
    for (int i = 0; i < 48; ++i) EXPECT_EQ(bft[('B' - 32) * 48 + i], 0) << "a missing glyph stays blank";
}

TEST(PcfReader, RefusesEveryTruncationAndDamagedOffsets) {
    std::vector<uint8_t> pcf = smallPcf();
    assets::BitmapFont font;
    std::string error;
    for (size_t n = 0; n < pcf.size(); ++n) {
        // A cut copy on the heap, so that a read past its end is a real overrun.
        std::vector<uint8_t> cut(pcf.begin(), pcf.begin() + static_cast<long>(n));
        EXPECT_FALSE(assets::parsePcf(cut.data(), cut.size(), font, error)) << "length " << n;
    }
    std::vector<uint8_t> bad = pcf;
    bad[8 + 2 * 16 + 15] = 0x7F;  // bitmap table offset far past the end
    EXPECT_FALSE(assets::parsePcf(bad.data(), bad.size(), font, error));
    bad = pcf;
    bad[4] = 0xFF;  // absurd table count
    EXPECT_FALSE(assets::parsePcf(bad.data(), bad.size(), font, error));
}

TEST(PcfReader, ConsoleFontRefusesGlyphsWiderThanItsDrawnColumns) {
    assets::BitmapFont font;
    font.cellHeight = 8;
    font.glyphs.assign(256, {});
    font.glyphs['W'] = {true, 6, std::vector<uint8_t>(48, 1)};
    assets::Bytes out;
    std::string error;
    EXPECT_FALSE(assets::buildConsoleFont(font, out, error));
    font.glyphs['W'] = {};
    font.cellHeight = 10;
    EXPECT_FALSE(assets::buildConsoleFont(font, out, error));
}

// ---- Hershey ----

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(JhfReader, ReadsBearingsPolylinesAndContinuedLines) {
    // '!' of the simplex roman font: a stem and a dot, then a glyph continued over a line break.
    const std::string text =
        "12345  9MWRFRT RRYQZR[SZRY\n"
        "12345  4JZKFYF\nR[\n";
    std::vector<assets::HersheyGlyph> glyphs;
    std::string error;
    ASSERT_TRUE(assets::parseJhf(reinterpret_cast<const uint8_t*>(text.data()), text.size(), glyphs, error))
        << error;
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].left, 'M' - 'R');
    EXPECT_EQ(glyphs[0].right, 'W' - 'R');
    ASSERT_EQ(glyphs[0].polylines.size(), 2u);
    EXPECT_EQ(glyphs[0].polylines[0], (std::vector<int>{0, -12, 0, 2}));
    EXPECT_EQ(glyphs[0].polylines[1].size(), 10u);
    ASSERT_EQ(glyphs[1].polylines.size(), 1u);
    EXPECT_EQ(glyphs[1].polylines[0], (std::vector<int>{-7, -12, 7, -12, 0, 9}));
}

TEST(JhfReader, RefusesCutAndMalformedGlyphs) {
    std::vector<assets::HersheyGlyph> glyphs;
    std::string error;
    const std::string good = "12345  9MWRFRT RRYQZR[SZRY\n";
    for (size_t n = 1; n < good.size() - 1; ++n) {
        std::vector<uint8_t> cut = bytes(good.substr(0, n));
        EXPECT_FALSE(assets::parseJhf(cut.data(), cut.size(), glyphs, error)) << "length " << n;
    }
    for (const char* bad : {"12345 x9MWRFRT\n", "12345  0\n", "12345  2MW\x01R\n"}) {
        std::vector<uint8_t> b = bytes(bad);
        EXPECT_FALSE(assets::parseJhf(b.data(), b.size(), glyphs, error)) << bad;
    }
    std::vector<uint8_t> empty;
    EXPECT_TRUE(assets::parseJhf(empty.data(), 0, glyphs, error));
    EXPECT_TRUE(glyphs.empty());
}

// ---- Picture corners ----

const char* const kJson = R"({
  "subTiles" : [
  {
    "imageCredits" : {"short" : "someone", "infoUrl": "http://example.org/m2.png"},
    "imageUrl" : "m1.png",
    "worldCoords" : [[[83.6970, 21.9454], [83.5510, 21.9559], [83.5621, 22.0906], [83.7082, 22.0803]]],
    "textureCoords" : [[[0,0], [1,0], [1,1], [0,1]]],
    "minResolution" : 0.13
  },
  {
    "imageUrl" : "m2.png",
    "worldCoords" : [[[323.4989,-.9794], [323.22,-.9794], [323.2201,-.6994], [323.499,-.6994]]],
    "textureCoords" : [[[0,0], [1,0], [1,1], [0,1]]]
  },
  {
    "imageUrl" : "flipped.png",
    "worldCoords" : [[[1,1], [2,1], [2,2], [1,2]]],
    "textureCoords" : [[[0,1], [1,1], [1,0], [0,0]]]
  },
  {
    "imageUrl" : "nocoords.png",
    "textureCoords" : [[[0,0], [1,0], [1,1], [0,1]]]
  },
  {
    "imageUrl" : "m3.png",
    "worldCoords" : [[[10,1], [11,1]
)";

TEST(PictureCorners, ReadsTheNamedEntrysCornersOnly) {
    double ra[4], dec[4];
    ASSERT_TRUE(assets::findCorners(kJson, "m2.png", ra, dec));  // not the infoUrl mention in m1's entry
    EXPECT_DOUBLE_EQ(ra[0], 323.4989);
    EXPECT_DOUBLE_EQ(dec[0], -0.9794);
    EXPECT_DOUBLE_EQ(ra[3], 323.499);
    EXPECT_DOUBLE_EQ(dec[3], -0.6994);
    ASSERT_TRUE(assets::findCorners(kJson, "m1.png", ra, dec));
    EXPECT_DOUBLE_EQ(dec[2], 22.0906);
    EXPECT_FALSE(assets::findCorners(kJson, "flipped.png", ra, dec)) << "other texture corners are refused";
    EXPECT_FALSE(assets::findCorners(kJson, "nocoords.png", ra, dec)) << "must not borrow the next entry's corners";
    EXPECT_FALSE(assets::findCorners(kJson, "m3.png", ra, dec)) << "cut file";
    EXPECT_FALSE(assets::findCorners(kJson, "absent.png", ra, dec));
    EXPECT_FALSE(assets::findCorners(kJson, "m", ra, dec));
}

}  // namespace

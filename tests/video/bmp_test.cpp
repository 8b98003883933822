// BMP files: every kind the loader reads, every kind and every damage it refuses, loading through
// the packs, and the 24-bit writer read back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app.h"
#include "support/packwriter.h"
#include "vfs/vfs.h"
#include "video/draw.h"

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (uint8_t)(v >> (8 * i));
}

// The colour of pixel (x, y) in the test pictures.
uint32_t colourAt(int x, int y) { return (uint32_t)((x * 40) & 0xFF) << 16 | (uint32_t)((y * 60) & 0xFF) << 8 | (uint32_t)((x + y) * 7 & 0xFF); }

// A BMP of w × h pixels of colourAt; 8-bit files use a palette of `colours` entries (0 = 256) and
// pixel index (x + 2y) mod n, whose palette colour is colourAt(index, 1).
struct BmpCase {
    int bits = 24;
    int width = 5;
    int height = 3;
    bool topDown = false;
    uint32_t headerSize = 40;
    uint32_t colours = 0;
};

uint32_t paletteColour(int index) { return colourAt(index, 1); }
int indexAt(int x, int y, int n) { return (x + 2 * y) % n; }

std::vector<uint8_t> makeBmp(const BmpCase& s) {
    const int n = s.colours == 0 ? 256 : (int)s.colours;
    const size_t palette = s.bits == 8 ? 4 * (size_t)n : 0;
    const size_t rowBytes = ((size_t)s.width * s.bits + 31) / 32 * 4;
    const size_t off = 14 + s.headerSize + palette;
    std::vector<uint8_t> b(off + rowBytes * s.height, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, (uint32_t)b.size());
    put32(b, 10, (uint32_t)off);
    put32(b, 14, s.headerSize);
    put32(b, 18, (uint32_t)s.width);
    put32(b, 22, (uint32_t)(s.topDown ? -s.height : s.height));
    put16(b, 26, 1);
    put16(b, 28, (uint32_t)s.bits);
    put32(b, 46, s.colours);
    for (int i = 0; s.bits == 8 && i < n; ++i) {
        const uint32_t c = paletteColour(i);
        b[14 + s.headerSize + 4 * i] = (uint8_t)c;
        b[14 + s.headerSize + 4 * i + 1] = (uint8_t)(c >> 8);
        b[14 + s.headerSize + 4 * i + 2] = (uint8_t)(c >> 16);
    }
    for (int y = 0; y < s.height; ++y) {
        uint8_t* row = b.data() + off + rowBytes * (size_t)(s.topDown ? y : s.height - 1 - y);
        for (int x = 0; x < s.width; ++x) {
            const uint32_t c = colourAt(x, y);
            if (s.bits == 8) {
                row[x] = (uint8_t)indexAt(x, y, n);
            } else {
                uint8_t* p = row + x * (s.bits / 8);
                p[0] = (uint8_t)c;
                p[1] = (uint8_t)(c >> 8);
                p[2] = (uint8_t)(c >> 16);
                if (s.bits == 32) p[3] = 0x5A;  // alpha or padding: ignored
            }
        }
    }
    return b;
}

uint32_t expected(const BmpCase& s, int x, int y) {
    if (s.bits != 8) return colourAt(x, y);
    return paletteColour(indexAt(x, y, s.colours == 0 ? 256 : (int)s.colours));
}

draw::BitmapPtr parse(const std::vector<uint8_t>& b) { return draw::parseBmp(b.data(), b.size()); }

TEST(BmpRead, EverySupportedKind) {
    std::vector<BmpCase> cases;
    for (int bits : {8, 24, 32})
        for (int width : {1, 2, 3, 5, 8})
            for (bool topDown : {false, true}) cases.push_back({bits, width, 3, topDown, 40, 0});
    cases.push_back({8, 7, 2, false, 40, 16});   // a short palette
    cases.push_back({8, 4, 4, true, 40, 1});     // a single colour
    cases.push_back({24, 6, 2, false, 108, 0});  // the longer info headers
    cases.push_back({32, 6, 2, true, 124, 0});
    cases.push_back({8, 3, 3, false, 124, 0});
    for (const BmpCase& s : cases) {
        SCOPED_TRACE(testing::Message() << s.bits << " bits " << s.width << "x" << s.height
                                        << (s.topDown ? " top-down" : " bottom-up") << " header "
                                        << s.headerSize << " colours " << s.colours);
        draw::BitmapPtr b = parse(makeBmp(s));
        ASSERT_TRUE(b) << draw::lastErrorText();
        ASSERT_EQ(b->width, s.width);
        ASSERT_EQ(b->height, s.height);
        EXPECT_TRUE(b->format == draw::kXrgb8888);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                ASSERT_EQ(b->pixels[(size_t)y * s.width + x], expected(s, x, y)) << x << "," << y;
    }
}

TEST(BmpRead, RefusesOtherKindsAndDamagedFiles) {
    const std::vector<uint8_t> good = makeBmp({8, 4, 3, false, 40, 4});
    ASSERT_TRUE(parse(good));
    struct Case {
        const char* what;
        void (*damage)(std::vector<uint8_t>&);
        int code;
    };
    const Case cases[] = {
        {"signature", [](std::vector<uint8_t>& b) { b[1] = 'A'; }, draw::kErrBadBitmap},
        {"old 12-byte header", [](std::vector<uint8_t>& b) { put32(b, 14, 12); }, draw::kErrUnsupported},
        {"unknown header size", [](std::vector<uint8_t>& b) { put32(b, 14, 64); }, draw::kErrBadBitmap},
        {"huge header size", [](std::vector<uint8_t>& b) { put32(b, 14, 0xFFFFFFF0u); }, draw::kErrBadBitmap},
        {"planes", [](std::vector<uint8_t>& b) { put16(b, 26, 2); }, draw::kErrBadBitmap},
        {"run-length compression", [](std::vector<uint8_t>& b) { put32(b, 30, 1); }, draw::kErrUnsupported},
        {"bit fields", [](std::vector<uint8_t>& b) { put32(b, 30, 3); }, draw::kErrUnsupported},
        {"1 bit", [](std::vector<uint8_t>& b) { put16(b, 28, 1); }, draw::kErrUnsupported},
        {"4 bits", [](std::vector<uint8_t>& b) { put16(b, 28, 4); }, draw::kErrUnsupported},
        {"16 bits", [](std::vector<uint8_t>& b) { put16(b, 28, 16); }, draw::kErrUnsupported},
        {"zero width", [](std::vector<uint8_t>& b) { put32(b, 18, 0); }, draw::kErrBadBitmap},
        {"negative width", [](std::vector<uint8_t>& b) { put32(b, 18, (uint32_t)-4); }, draw::kErrBadBitmap},
        {"zero height", [](std::vector<uint8_t>& b) { put32(b, 22, 0); }, draw::kErrBadBitmap},
        {"most negative height", [](std::vector<uint8_t>& b) { put32(b, 22, 0x80000000u); }, draw::kErrBadBitmap},
        {"too wide", [](std::vector<uint8_t>& b) { put32(b, 18, draw::kMaxSide + 1); }, draw::kErrUnsupported},
        {"width beyond the data", [](std::vector<uint8_t>& b) { put32(b, 18, 9); }, draw::kErrBadBitmap},
        {"height beyond the data", [](std::vector<uint8_t>& b) { put32(b, 22, 4); }, draw::kErrBadBitmap},
        {"data offset inside the headers", [](std::vector<uint8_t>& b) { put32(b, 10, 40); }, draw::kErrBadBitmap},
        {"data offset beyond the file", [](std::vector<uint8_t>& b) { put32(b, 10, 0xFFFFFFFFu); }, draw::kErrBadBitmap},
        {"palette over the data", [](std::vector<uint8_t>& b) { put32(b, 46, 5); }, draw::kErrBadBitmap},
        {"palette of 257 colours", [](std::vector<uint8_t>& b) { put32(b, 46, 257); }, draw::kErrBadBitmap},
        {"pixel outside the palette", [](std::vector<uint8_t>& b) { b.back() = 4; }, draw::kErrBadBitmap},
        {"last byte missing", [](std::vector<uint8_t>& b) { b.pop_back(); }, draw::kErrBadBitmap},
        {"headers only", [](std::vector<uint8_t>& b) { b.resize(54); }, draw::kErrBadBitmap},
        {"shorter than the headers", [](std::vector<uint8_t>& b) { b.resize(53); }, draw::kErrBadBitmap},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = good;
        c.damage(b);
        draw::clearError();
        EXPECT_FALSE(parse(b)) << c.what;
        EXPECT_EQ(draw::lastErrorCode(), c.code) << c.what;
        EXPECT_STRNE(draw::lastErrorText(), "no error") << c.what;
    }
    EXPECT_FALSE(draw::parseBmp(nullptr, 100));
}

TEST(BmpRead, EveryTruncationIsRefused) {
    for (const BmpCase& s : {BmpCase{24, 3, 3}, BmpCase{8, 5, 2, true, 40, 3}, BmpCase{32, 2, 2}}) {
        const std::vector<uint8_t> whole = makeBmp(s);
        for (size_t n = 0; n < whole.size(); ++n)
            ASSERT_FALSE(draw::parseBmp(whole.data(), n)) << s.bits << " bits cut to " << n;
    }
}

// A program folder whose packs hold test bitmaps.
class BmpPacks : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-bmp-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directory(root + "/data");
        std::strcpy(saved, app::programFolder);
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", root.c_str());
    }
    void TearDown() override {
        vfs::closePacks();
        std::strcpy(app::programFolder, saved);
        std::filesystem::remove_all(root);
    }
    void packs(const std::vector<packwriter::MemoryFile>& files) {
        ASSERT_EQ(packwriter::writeBytes(root + "/data/vyrex2.vfs", packwriter::buildOrDie(files)), "");
        ASSERT_EQ(packwriter::writeBytes(root + "/data/catalog.vfs",
                                         packwriter::buildOrDie({{"stars", "S"}})), "");
        ASSERT_EQ(vfs::openPacks(), 1);
    }
    static std::string bytes(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

    std::string root;
    char saved[app::kPathMax + 1];
};

TEST_F(BmpPacks, LoadsThroughTheStreamsAndReportsWhatFails) {
    const BmpCase s{24, 3, 2};
    std::vector<uint8_t> bad = makeBmp(s);
    bad.resize(bad.size() - 1);
    packs({{"good.bmp", bytes(makeBmp(s))}, {"bad.bmp", bytes(bad)}, {"empty.bmp", ""}});
    draw::BitmapPtr b = draw::loadBitmap("good.bmp");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixels[5], colourAt(2, 1));
    EXPECT_FALSE(draw::loadBitmap("missing.bmp"));
    EXPECT_EQ(draw::lastErrorCode(), draw::kErrFileNotFound);
    EXPECT_FALSE(draw::loadBitmap("bad.bmp"));
    EXPECT_EQ(draw::lastErrorCode(), draw::kErrBadBitmap);
    EXPECT_FALSE(draw::loadBitmap("empty.bmp"));
    EXPECT_FALSE(draw::loadBitmap(nullptr));
    // Every load gives its stream back: far more loads than there are stream slots still work.
    for (int i = 0; i < 3 * vfs::kMaxStreams; ++i) {
        ASSERT_TRUE(draw::loadBitmap("good.bmp"));
        ASSERT_FALSE(draw::loadBitmap("bad.bmp"));
    }
}

bool toFile(void* file, const void* data, size_t size) {
    return std::fwrite(data, 1, size, static_cast<std::FILE*>(file)) == size;
}

TEST(BmpWrite, RowsArePaddedAndReadBack) {
    draw::Surface s;
    ASSERT_TRUE(draw::createSurface(s, 8, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) draw::putPixel(s, x, y, colourAt(x, y));
    for (int width : {1, 4, 5, 7}) {
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        ASSERT_TRUE(draw::writeBmp24(toFile, f, s, width, 3));
        const long size = std::ftell(f);
        std::vector<uint8_t> b((size_t)size);
        std::rewind(f);
        ASSERT_EQ(std::fread(b.data(), 1, b.size(), f), b.size());
        std::fclose(f);
        const uint32_t rowBytes = ((uint32_t)width * 3 + 3) & ~3u;
        ASSERT_EQ((uint32_t)size, 54 + 3 * rowBytes);
        EXPECT_EQ(b[2] | b[3] << 8, (int)(54 + 3 * rowBytes));  // file size
        EXPECT_EQ(b[34] | b[35] << 8, (int)(3 * rowBytes));     // image size
        draw::BitmapPtr back = parse(b);
        ASSERT_TRUE(back);
        ASSERT_EQ(back->width, width);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) ASSERT_EQ(back->pixels[y * width + x], colourAt(x, y));
    }
    std::FILE* f = std::tmpfile();
    EXPECT_FALSE(draw::writeBmp24(toFile, f, s, 9, 3));  // wider than the surface
    EXPECT_FALSE(draw::writeBmp24(toFile, f, s, 0, 3));
    EXPECT_FALSE(draw::writeBmp24(nullptr, f, s, 2, 2));
    std::fclose(f);
}

}  // namespace

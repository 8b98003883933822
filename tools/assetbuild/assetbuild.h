// Shared declarations of the asset builder: file helpers, the source-format parsers and the
// generators of each asset family. Every generator is deterministic: the same sources give the
// same bytes, so the committed pack contents can be rebuilt and compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace assets {

using Bytes = std::vector<uint8_t>;

// ---- files.cpp ----
bool readFile(const std::string& path, Bytes& out);
// Reads a gzip file (or a plain one; zlib passes those through).
bool readGzipFile(const std::string& path, Bytes& out);
bool writeFile(const std::string& path, const void* data, size_t size);
inline bool writeFile(const std::string& path, const Bytes& b) { return writeFile(path, b.data(), b.size()); }
// Prints "assetbuild: <message>" to stderr and exits with status 1.
[[noreturn]] void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void putLE32(Bytes& b, uint32_t v);
void putF64(Bytes& b, double v);

// An 8-bit RGB picture, rows top to bottom.
struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;  // 3 bytes per pixel
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * w + x) * 3]; }
};
// Loads PNG or JPEG through stb_image; false with a message on stderr when it fails.
bool loadImage(const std::string& path, Image& out);

// ---- pcf.cpp: X11 portable compiled fonts ----
struct BitmapGlyph {
    bool present = false;
    int width = 0;             // advance in pixels
    std::vector<uint8_t> ink;  // cellHeight rows × width columns, 1 = ink, placed in the font cell
};
struct BitmapFont {
    int cellHeight = 0;  // font ascent + descent
    int ascent = 0;
    std::vector<BitmapGlyph> glyphs;  // indexed by character code 0..255
};
// Parses an uncompressed PCF file. Returns false and sets `error` on malformed input; never reads
// outside the buffer.
bool parsePcf(const uint8_t* data, size_t size, BitmapFont& font, std::string& error);
// The console font: 96 glyphs (codes 32..127) of 8 rows × 6 bytes, 0xFF ink, column 5 blank.
bool buildConsoleFont(const BitmapFont& font, Bytes& out, std::string& error);

// ---- hershey.cpp: Hershey vector fonts (".jhf") and the line font ----
struct HersheyGlyph {
    int left = 0, right = 0;                     // side bearings, font units
    std::vector<std::vector<int>> polylines;     // x0, y0, x1, y1, ... per pen-down run
};
// Parses a .jhf file into its glyphs in file order. False with `error` on malformed input.
bool parseJhf(const uint8_t* data, size_t size, std::vector<HersheyGlyph>& glyphs, std::string& error);
// Builds "default.lft" from the Hershey font folder; writes the glyph map as text to `mapText`.
bool buildLineFont(const std::string& hersheyDir, Bytes& out, std::string& mapText, std::string& error);

// ---- sprites.cpp ----
// Writes the nine sprite and deep-sky images into `outDir`.
void buildSprites(const std::string& outDir);

// ---- mesh.cpp ----
struct MeshStats {
    int triangles = 0;
    double maxSilhouetteError = 0;  // in radii: 1 − cos(half the largest edge angle)
    double maxNormalStep = 0;       // radians between neighbouring face normals
    double maxMapError = 0;         // map pixels: linear mapping vs. true longitude/latitude
};
// The sphere: `rings` latitude bands and `segments` longitude sectors.
Bytes buildSphere(int rings, int segments);
MeshStats measureSphere(const Bytes& mesh, int rings, int segments);

// ---- quantise.cpp ----
// Reduces an RGB picture to at most 256 colours (median cut refined by k-means, no dithering).
// `indexes` gets one byte per pixel, `palette` 256 RGB triples (unused entries black).
void quantise(const std::vector<uint8_t>& rgb, size_t pixels, Bytes& indexes, std::vector<uint8_t>& palette);

// ---- maps.cpp ----
// Resamples an equirectangular picture to w × h by area averaging.
std::vector<uint8_t> resampleArea(const Image& src, int w, int h);
void buildMaps(const std::string& texturesDir, const std::string& outDir);

// ---- skyimage.cpp: sky pictures placed by their corner coordinates ----
struct SkyImage {
    std::string name;
    Image image;
    double cornerRa[4], cornerDec[4];  // degrees; texture corners (0,0), (1,0), (1,1), (0,1)
    double centreRa = 0, centreDec = 0;
    double cornerX[4], cornerY[4];     // corners in the tangent plane at the centre
    double background[3] = {0, 0, 0};  // sky level (10th percentile per channel)
    bool levelled = false;             // subtract the sky level when sampling
};
// Finds `file` in the nebula folder's textures.json, loads the picture and its corners.
bool loadSkyImage(const std::string& nebulaDir, const std::string& file, SkyImage& out, std::string& error);
// Reads the four corner coordinates given for `file` in the text of textures.json.
bool findCorners(const std::string& json, const std::string& file, double ra[4], double dec[4]);
// Samples the picture (bilinear, RGB 0..255; less the picture's sky level when `levelled`, so that
// the tiles of an uncalibrated mosaic agree) in the direction (ra, dec) in degrees; false when the
// direction falls outside it. `edge`, if given, gets the distance to the nearest picture edge in
// texture units (0 at the edge, 0.5 at the centre), for blending overlapping pictures.
bool sampleSky(const SkyImage& img, double ra, double dec, double rgb[3], double* edge = nullptr);

// ---- nebulae.cpp ----
void buildNebulae(const std::string& nebulaDir, const std::string& outDir);

// ---- preview.cpp ----
// Writes PNG previews of every generated file in `dataDir` into `outDir`.
void writePreviews(const std::string& dataDir, const std::string& outDir);
bool writeGreyPng(const std::string& path, const uint8_t* pixels, int w, int h);
bool writeRgbPng(const std::string& path, const uint8_t* rgb, int w, int h);

}  // namespace assets

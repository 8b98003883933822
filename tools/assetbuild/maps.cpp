// Surface maps (".map": 512 × 256 colour-map indexes, row 0 at the north pole, column 0 at
// longitude −180°) and colour maps (".cmap": 256 entries blue, green, red, 0) of the bodies, made
// from equirectangular planetary maps. Pictures are area-averaged in linear light to 512 × 256;
// colour bodies are quantised to their own 256-colour map, grey bodies (drawn through "gray.cmap")
// store their luminance directly.
#include <algorithm>
#include <cmath>

#include "assetbuild.h"

namespace assets {
namespace {

double toLinear(double v) {
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
double toSrgb(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return 255.0 * (v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

// Source picture of each body (file in the textures folder) and whether it is a grey map.
struct MapSource {
    const char* map;      // output stem
    const char* picture;  // source file
    bool grey;            // drawn through gray.cmap: bytes are luminance
};
constexpr MapSource kMaps[] = {
    {"moon", "mimas.png", false},      {"jupiter", "jupiter.png", false}, {"mercury", "mercury.png", true},
    {"venus", "venus.png", false},     {"earth", "earth_cmap.png", false}, {"emoon", "moon_4k.jpg", false},
    {"mars", "mars.png", false},       {"io", "io.png", false},           {"europa", "europa.png", true},
    {"ganymedes", "ganymede.png", true}, {"calisto", "callisto.png", true}, {"saturn", "saturn.png", false},
    {"uranus", "uranus.png", false},   {"neptune", "neptune.png", false}, {"pluto", "pluto.png", false},
};

}  // namespace

std::vector<uint8_t> resampleArea(const Image& src, int w, int h) {
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3);
    std::vector<double> lin(256);
    for (int i = 0; i < 256; ++i) lin[i] = toLinear(i);
    const double sx = static_cast<double>(src.w) / w, sy = static_cast<double>(src.h) / h;
    for (int y = 0; y < h; ++y) {
        double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < w; ++x) {
            double x0 = x * sx, x1 = (x + 1) * sx;
            double acc[3] = {0, 0, 0}, area = 0;
            for (int j = static_cast<int>(y0); j < std::min(src.h, static_cast<int>(std::ceil(y1))); ++j) {
                double wy = std::min(y1, j + 1.0) - std::max(y0, static_cast<double>(j));
                if (wy <= 0) continue;
                for (int i = static_cast<int>(x0); i < std::min(src.w, static_cast<int>(std::ceil(x1))); ++i) {
                    double wx = std::min(x1, i + 1.0) - std::max(x0, static_cast<double>(i));
                    if (wx <= 0) continue;
                    const uint8_t* p = src.at(i, j);
                    for (int k = 0; k < 3; ++k) acc[k] += lin[p[k]] * wx * wy;
                    area += wx * wy;
                }
            }
            for (int k = 0; k < 3; ++k)
                out[(static_cast<size_t>(y) * w + x) * 3 + k] = static_cast<uint8_t>(std::lround(toSrgb(acc[k] / area)));
        }
    }
    return out;
}

void buildMaps(const std::string& texturesDir, const std::string& outDir) {
    const int w = 512, h = 256;
    for (const MapSource& m : kMaps) {
        Image src;
        if (!loadImage(texturesDir + "/" + m.picture, src)) fail("missing map source %s", m.picture);
        std::vector<uint8_t> rgb = resampleArea(src, w, h);
        Bytes map(static_cast<size_t>(w) * h);
        std::string mapPath = outDir + "/" + m.map + ".map";
        if (m.grey) {
            for (size_t i = 0; i < map.size(); ++i)
                map[i] = static_cast<uint8_t>(
                    std::lround(0.299 * rgb[i * 3] + 0.587 * rgb[i * 3 + 1] + 0.114 * rgb[i * 3 + 2]));
            if (!writeFile(mapPath, map)) fail("cannot write %s", mapPath.c_str());
            note("%s: grey, from %s", mapPath.c_str(), m.picture);
            continue;
        }
        std::vector<uint8_t> palette;
        quantise(rgb, map.size(), map, palette);
        Bytes cmap(1024, 0);
        for (int i = 0; i < 256; ++i) {
            cmap[i * 4] = palette[i * 3 + 2];
            cmap[i * 4 + 1] = palette[i * 3 + 1];
            cmap[i * 4 + 2] = palette[i * 3];
        }
        std::string cmapPath = outDir + "/" + m.map + ".cmap";
        if (!writeFile(mapPath, map) || !writeFile(cmapPath, cmap)) fail("cannot write %s", mapPath.c_str());
        // Mean error of the quantised picture, for the build log.
        double err = 0;
        for (size_t i = 0; i < map.size(); ++i)
            for (int k = 0; k < 3; ++k) err += std::fabs(double(rgb[i * 3 + k]) - palette[map[i] * 3 + k]);
        note("%s: from %s, mean error %.2f per channel", mapPath.c_str(), m.picture, err / (map.size() * 3.0));
    }
    Bytes gray(1024, 0);
    for (int i = 0; i < 256; ++i) gray[i * 4] = gray[i * 4 + 1] = gray[i * 4 + 2] = static_cast<uint8_t>(i);
    if (!writeFile(outDir + "/gray.cmap", gray)) fail("cannot write gray.cmap");
    note("%s/gray.cmap: grey ramp", outDir.c_str());
}

}  // namespace assets

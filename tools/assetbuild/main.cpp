// assetbuild: command-line entry of the asset builder. Each subcommand generates one family of
// pack files; tools/build_assets.sh runs them all.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assetbuild.h"

using namespace assets;

namespace {

void usage() {
    std::fputs(
        "usage: assetbuild <command> ...\n"
        "  console-font FONT.pcf[.gz] OUT.bft     console font from a misc-fixed bitmap font\n"
        "  line-font HERSHEY_DIR OUT.lft          line font from the Hershey vector fonts\n"
        "  sprites OUT_DIR                        glows, disc, galaxy spots, deep-sky images\n"
        "  mesh OUT.shape [RINGS SEGMENTS]        the body sphere (default 24 x 48)\n"
        "  mesh-stats [RINGS SEGMENTS]...         quality and size figures of sphere meshes\n"
        "  maps TEXTURES_DIR OUT_DIR              surface maps and colour maps\n"
        "  nebulae NEBULA_DIR OUT_DIR             3D nebula models and their colours\n"
        "  preview DATA_DIR PNG_DIR               PNG pictures of the generated files\n"
        "  jhf-sheet FONT.jhf OUT.png             every glyph of a Hershey font, numbered by row\n",
        stderr);
    std::exit(2);
}

int toInt(const char* s) {
    char* end;
    long v = std::strtol(s, &end, 10);
    if (*end || v < 1 || v > 1000) fail("bad number '%s'", s);
    return static_cast<int>(v);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) usage();
    std::string cmd = argv[1];
    std::string error;
    if (cmd == "console-font" && argc == 4) {
        Bytes raw;
        if (!readGzipFile(argv[2], raw)) fail("cannot read %s", argv[2]);
        BitmapFont font;
        Bytes out;
        if (!parsePcf(raw.data(), raw.size(), font, error)) fail("%s: %s", argv[2], error.c_str());
        if (!buildConsoleFont(font, out, error)) fail("%s: %s", argv[2], error.c_str());
        if (!writeFile(argv[3], out)) fail("cannot write %s", argv[3]);
        note("%s: %zu bytes", argv[3], out.size());
    } else if (cmd == "line-font" && argc == 4) {
        Bytes out;
        std::string map;
        if (!buildLineFont(argv[2], out, map, error)) fail("%s", error.c_str());
        if (!writeFile(argv[3], out)) fail("cannot write %s", argv[3]);
        note("%s: %zu bytes, %zu strokes", argv[3], out.size(), (out.size() - 2048) / 32);
    } else if (cmd == "sprites" && argc == 3) {
        buildSprites(argv[2]);
    } else if (cmd == "mesh" && (argc == 3 || argc == 5)) {
        int rings = argc == 5 ? toInt(argv[3]) : 24, segments = argc == 5 ? toInt(argv[4]) : 48;
        Bytes mesh = buildSphere(rings, segments);
        if (!writeFile(argv[2], mesh)) fail("cannot write %s", argv[2]);
        note("%s: %zu triangles", argv[2], mesh.size() / 160);
    } else if (cmd == "mesh-stats" && argc % 2 == 0) {
        note("rings segments triangles  bytes   silhouette(px at 600)  normal step(deg)  map error(px)");
        for (int i = 2; i + 1 < argc; i += 2) {
            int rings = toInt(argv[i]), segments = toInt(argv[i + 1]);
            Bytes mesh = buildSphere(rings, segments);
            MeshStats s = measureSphere(mesh, rings, segments);
            note("%5d %8d %9d %7zu   %8.2f              %8.2f          %6.2f", rings, segments, s.triangles,
                 mesh.size(), s.maxSilhouetteError * 300.0, s.maxNormalStep * 180.0 / 3.14159265358979,
                 s.maxMapError);
        }
    } else if (cmd == "maps" && argc == 4) {
        buildMaps(argv[2], argv[3]);
    } else if (cmd == "nebulae" && argc == 4) {
        buildNebulae(argv[2], argv[3]);
    } else if (cmd == "preview" && argc == 4) {
        writePreviews(argv[2], argv[3]);
    } else if (cmd == "jhf-sheet" && argc == 4) {
        Bytes raw;
        std::vector<HersheyGlyph> glyphs;
        if (!readFile(argv[2], raw)) fail("cannot read %s", argv[2]);
        if (!parseJhf(raw.data(), raw.size(), glyphs, error)) fail("%s: %s", argv[2], error.c_str());
        // 16 glyphs per row, 40-pixel cells, 1 font unit per pixel, a tick per row start.
        const int cell = 40, cols = 16, rows = static_cast<int>((glyphs.size() + cols - 1) / cols);
        std::vector<uint8_t> px(static_cast<size_t>(cell * cols) * cell * rows, 0);
        auto plot = [&](int x, int y) {
            if (x >= 0 && y >= 0 && x < cell * cols && y < cell * rows) px[static_cast<size_t>(y) * cell * cols + x] = 255;
        };
        for (size_t i = 0; i < glyphs.size(); ++i) {
            int ox = static_cast<int>(i % cols) * cell + cell / 2, oy = static_cast<int>(i / cols) * cell + cell / 2;
            for (int k = 0; k < cell; k += 2) plot(static_cast<int>(i % cols) * cell, oy - cell / 2 + k);
            for (const auto& run : glyphs[i].polylines)
                for (size_t j = 2; j + 1 < run.size(); j += 2) {
                    int x0 = ox + run[j - 2], y0 = oy + run[j - 1], x1 = ox + run[j], y1 = oy + run[j + 1];
                    int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
                    for (int t = 0; t <= n; ++t)
                        plot(x0 + (n ? (x1 - x0) * t / n : 0), y0 + (n ? (y1 - y0) * t / n : 0));
                }
        }
        if (!writeGreyPng(argv[3], px.data(), cell * cols, cell * rows)) fail("cannot write %s", argv[3]);
    } else {
        usage();
    }
    return 0;
}

// bmptool: draws the interface bitmaps of the vyrex2 pack and writes them as 24-bit BMP files.
//
//   bmptool <outdir>              every bitmap
//   bmptool <outdir> <file>...    only the named ones ("pointer.bmp", ...)
//   bmptool --list                what it can draw
//   bmptool --icons <dir> <name>  the program's icon as PNG files <dir>/<n>x<n>/apps/<name>.png
//
// The shipped bitmaps are regenerated with `bmptool data/vyrex2` from the source folder (the tool
// is built as <build>/tools/bmptool/bmptool). A new group of bitmaps is a new source file with its
// own generator table, added to kGroups below.
#include <cstdio>
#include <cstring>

#include "bmptool.h"

namespace {

using bmptool::Group;

Group (*const kGroups[])() = {bmptool::pointerBitmaps, bmptool::introBitmaps, bmptool::interfaceBitmaps,
                              bmptool::iconBitmaps};

bool wanted(const char* file, int argc, char** argv) {
    if (argc <= 2) return true;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], file) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bmptool <outdir> [file...] | bmptool --list | bmptool --icons <outdir> <name>\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--icons") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: bmptool --icons <outdir> <name>\n");
            return 2;
        }
        return bmptool::writeIconTheme(argv[2], argv[3]) ? 0 : 1;
    }
    const bool list = std::strcmp(argv[1], "--list") == 0;
    int written = 0, failed = 0;
    for (Group (*group)() : kGroups) {
        const Group g = group();
        for (int i = 0; i < g.count; ++i) {
            const bmptool::Generator& gen = g.generators[i];
            if (list) {
                std::printf("%-16s %3d x %-3d %s\n", gen.file, gen.width, gen.height, gen.what);
                continue;
            }
            if (!wanted(gen.file, argc, argv)) continue;
            draw::Surface s;
            if (!draw::createSurface(s, gen.width, gen.height)) {
                std::fprintf(stderr, "bmptool: %s: %s\n", gen.file, draw::lastErrorText());
                ++failed;
                continue;
            }
            gen.draw(s);
            if (bmptool::writeBitmap(argv[1], gen.file, s)) ++written;
            else ++failed;
        }
    }
    // A name that no generator draws is a mistake worth saying, not a silent success.
    for (int i = 2; i < argc && !list; ++i) {
        bool known = false;
        for (Group (*group)() : kGroups) {
            const Group g = group();
            for (int j = 0; j < g.count; ++j) known = known || std::strcmp(g.generators[j].file, argv[i]) == 0;
        }
        if (!known) {
            std::fprintf(stderr, "bmptool: no bitmap named %s (see bmptool --list)\n", argv[i]);
            ++failed;
        }
    }
    if (!list) std::printf("bmptool: %d written, %d failed\n", written, failed);
    return failed == 0 ? 0 : 1;
}

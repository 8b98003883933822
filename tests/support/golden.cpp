// Golden images stored as 24-bit BMPs under tests/golden.
#include "support/golden.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace golden {

namespace {

std::string pathOf(const std::string& name) { return std::string(VYREX_SOURCE_DIR) + "/tests/golden/" + name + ".bmp"; }

bool updating() {
    const char* v = std::getenv("VYREX_UPDATE_GOLDEN");
    return v && v[0] == '1';
}

bool toFile(void* file, const void* data, size_t size) {
    return std::fwrite(data, 1, size, static_cast<std::FILE*>(file)) == size;
}

}  // namespace

std::string compare(const draw::Surface& surface, int width, int height, const std::string& name) {
    const std::string path = pathOf(name);
    if (updating()) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return "cannot write " + path;
        const bool ok = draw::writeBmp24(toFile, f, surface, width, height);
        std::fclose(f);
        return ok ? "" : "cannot write " + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "no golden image " + path + ": look at the picture, then run the test with VYREX_UPDATE_GOLDEN=1";
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const draw::BitmapPtr stored = draw::parseBmp(bytes.data(), bytes.size());
    if (!stored) return path + " is not a readable BMP";
    if (stored->width != width || stored->height != height)
        return name + ": the golden image is " + std::to_string(stored->width) + " x " +
               std::to_string(stored->height) + ", the picture " + std::to_string(width) + " x " +
               std::to_string(height);
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Both in 8-bit channels: the stored file holds 24 bits per pixel.
            int r, g, b, sr, sg, sb;
            draw::unpackColour(surface.format, draw::getPixel(surface, x, y), r, g, b);
            draw::unpackColour(stored->format, stored->pixels[static_cast<size_t>(y) * stored->width + x], sr, sg, sb);
            if (r == sr && g == sg && b == sb) continue;
            if (differing++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    if (differing == 0) return "";
    return name + ": " + std::to_string(differing) + " pixels differ from " + path + ", the first at (" +
           std::to_string(firstX) + ", " + std::to_string(firstY) +
           "); if the change is meant, look at the picture and run with VYREX_UPDATE_GOLDEN=1";
}

std::string compareFrame(const uint32_t* pixels, int width, int height, const std::string& name) {
    if (!pixels) return name + ": no frame";
    draw::Surface s;
    if (!draw::createSurface(s, width, height)) return name + ": no memory";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) draw::putPixel(s, x, y, pixels[static_cast<size_t>(y) * width + x]);
    const std::string result = compare(s, width, height, name);
    draw::destroySurface(s);
    return result;
}

}  // namespace golden

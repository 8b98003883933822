// File helpers of the asset builder: whole-file reads (plain and gzip), writes, little-endian
// packing and picture loading.
#include "assetbuild.h"

#include <zlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "stb_image.h"

namespace assets {

void fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::fputs("assetbuild: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
    std::exit(1);
}

void note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    std::fputc('\n', stdout);
    va_end(args);
}

bool readFile(const std::string& path, Bytes& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool readGzipFile(const std::string& path, Bytes& out) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buffer[65536];
    int n;
    while ((n = gzread(f, buffer, sizeof buffer)) > 0) out.insert(out.end(), buffer, buffer + n);
    int err = 0;
    gzerror(f, &err);
    gzclose(f);
    return n == 0 && (err == Z_OK || err == Z_STREAM_END);
}

bool writeFile(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

void putLE32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putF64(Bytes& b, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

bool loadImage(const std::string& path, Image& out) {
    int w, h, channels;
    uint8_t* pixels = stbi_load(path.c_str(), &w, &h, &channels, 3);
    if (!pixels) {
        std::fprintf(stderr, "assetbuild: cannot read picture %s (%s)\n", path.c_str(), stbi_failure_reason());
        return false;
    }
    out.w = w;
    out.h = h;
    out.rgb.assign(pixels, pixels + static_cast<size_t>(w) * h * 3);
    stbi_image_free(pixels);
    return true;
}

}  // namespace assets

// PNG previews of the generated pack files, drawn with the same rules the program's drawers use
// (sampled sprites, the line-font text rule, the textured-triangle rule of the body drawer), so that
// looking at them checks the data as the program will show it.
#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "assetbuild.h"
#include "base/vecmath.h"
#include "stb_image_write.h"

namespace assets {

using namespace vmath;  // vector operators

bool writeGreyPng(const std::string& path, const uint8_t* pixels, int w, int h) {
    return stbi_write_png(path.c_str(), w, h, 1, pixels, w) != 0;
}

bool writeRgbPng(const std::string& path, const uint8_t* rgb, int w, int h) {
    return stbi_write_png(path.c_str(), w, h, 3, rgb, w * 3) != 0;
}

namespace {

struct Canvas {
    int w, h;
    std::vector<uint8_t> rgb;
    Canvas(int w_, int h_) : w(w_), h(h_), rgb(static_cast<size_t>(w_) * h_ * 3, 0) {}
    void plot(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    }
    void line(int x0, int y0, int x1, int y1) {
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        while (true) {
            plot(x0, y0, 255, 255, 255);
            if (x0 == x1 && y0 == y1) break;
            int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    bool save(const std::string& path) const { return writeRgbPng(path, rgb.data(), w, h); }
};

double f64(const uint8_t* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v;
}
int32_t i32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The line-font text rule: line height trunc(6s), space trunc(5s), "&" + c → glyph c + 128,
// a..z as small capitals at 0.7s moved down trunc(0.7s × 2.5), pen advance max trunc(x·s') + 2.
void drawText(Canvas& c, const Bytes& font, int x, int y, double s, const char* text) {
    int penX = x, penY = y;
    for (const char* p = text; *p; ++p) {
        int code = static_cast<unsigned char>(*p);
        if (code == '\n') {
            penX = x;
            penY += static_cast<int>(6 * s);
            continue;
        }
        double scale = s;
        int shift = 0;
        if (code == '&' && p[1]) {
            code = static_cast<unsigned char>(*++p) + 128;
        } else if (code >= 'a' && code <= 'z') {
            code -= 32;
            scale = 0.7 * s;
            shift = static_cast<int>(0.7 * s * 2.5);
        }
        if (code <= 32) {
            penX += static_cast<int>(5 * s);
            continue;
        }
        int first = i32(&font[code * 8]), count = i32(&font[code * 8 + 4]);
        int advance = 0;
        for (int k = 0; k < count; ++k) {
            const uint8_t* st = &font[2048 + static_cast<size_t>(first + k) * 32];
            int x0 = static_cast<int>(f64(st) * scale), y0 = static_cast<int>(f64(st + 8) * scale);
            int x1 = static_cast<int>(f64(st + 16) * scale), y1 = static_cast<int>(f64(st + 24) * scale);
            c.line(penX + x0, penY + y0 + shift, penX + x1, penY + y1 + shift);
            advance = std::max({advance, x0, x1});
        }
        penX += advance + 2;
    }
}

void previewLineFont(const Bytes& font, const std::string& out) {
    const char* sample =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789\n"
        "Sirius, Alpha Centauri A/B; M 42 (Orion)\n"
        "!\"#$%'*+-./:<=>?@[\\]^_`{|}~\n"
        "&a Cen &b Per &g Cas &d &e &z &h &q &i &k &l &m &n &x &o &p &r &s &t &u &f &c &y &w\n"
        "&A&B&G&D&E&Z&H&Q&I&K&L&M&N&X&O&P&R&S&T&U&F&C&Y&W\n"
        "&0 &1 &2 &3 &4 &5 &6 &7 &8 &9 &( &* &+  Ab";
    Canvas c(720, 200);
    drawText(c, font, 4, 4, 2.0, sample);
    c.save(out);
    Canvas big(1400, 380);
    drawText(big, font, 4, 4, 4.0, sample);
    big.save(out.substr(0, out.size() - 4) + "-x4.png");
}

void previewConsoleFont(const Bytes& font, const std::string& out) {
    // 1:1 (16 × 6 characters) then enlarged 4 times for reading.
    Canvas c(16 * 6 * 5 + 8, 6 * 8 * 5 + 8);
    for (int code = 32; code < 128; ++code)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 6; ++x) {
                bool ink = font[static_cast<size_t>(code - 32) * 48 + y * 6 + x] == 0xFF;
                int cx = (code - 32) % 16 * 6 + x, cy = (code - 32) / 16 * 8 + y;
                if (ink) c.plot(cx, cy, 0, 255, 0);
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        if (ink) c.plot(8 + cx * 4 + dx, 56 + cy * 4 + dy, 0, 255, 0);
            }
    c.save(out);
}

// The body mesh drawn with the textured-triangle rule: P = P0 + a·U + b·V with
// P0 = v0 − (spin − mapU0)·U + mapV0·V; map row trunc(256b) mod 256, column trunc(512a) mod 512.
void previewMesh(const Bytes& mesh, const Bytes& map, const Bytes& cmap, double azimuth, double elevation,
                 double spin, const std::string& out) {
    const int size = 400;
    Canvas c(size, size);
    const double dist = 4.0, focal = size * 1.8;
    // The body frame as the star-system loader builds it (rows A, W = A × V, V; a reflection), for
    // a body with a small axis angle whose periapsis lies on +x: the preview then shows the maps
    // as the program will. The camera looks at the body from `azimuth`, `elevation` in the frame's
    // output (world) coordinates, world +z up on screen; camera space is x right, y down,
    // z forward (right-handed, as the program's).
    Vector3 axisA{-std::cos(0.03), 0, std::sin(0.03)};
    Vector3 axisV = Vector3{0, 0, 1} - axisA * axisA.z;
    axisV = axisV * (1 / std::sqrt(vmath::lengthSquared(axisV)));
    Vector3 axisW = vmath::cross(axisA, axisV);
    auto toWorld = [&](Vector3 v) { return Vector3{vmath::dot(axisA, v), vmath::dot(axisW, v), vmath::dot(axisV, v)}; };
    Vector3 eye{std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth), std::sin(elevation)};
    Vector3 fwd = eye * -1;
    Vector3 up = Vector3{0, 0, 1} - fwd * vmath::dot(Vector3{0, 0, 1}, fwd);
    up = up * (1 / std::sqrt(vmath::lengthSquared(up)));
    Vector3 right = vmath::cross(fwd, up), down = up * -1;
    auto toCam = [&](Vector3 local) {
        Vector3 v = toWorld(local);
        return Vector3{vmath::dot(v, right), vmath::dot(v, down), vmath::dot(v, fwd)};
    };
    std::vector<double> depth(static_cast<size_t>(size) * size, 1e9);
    const size_t n = mesh.size() / 160;
    for (size_t t = 0; t < n; ++t) {
        const uint8_t* rec = &mesh[t * 160];
        Vector3 v[3], nrm, U, V;
        for (int k = 0; k < 3; ++k) v[k] = toCam({f64(rec + 24 * k), f64(rec + 24 * k + 8), f64(rec + 24 * k + 16)});
        nrm = toCam({f64(rec + 72), f64(rec + 80), f64(rec + 88)});
        U = toCam({f64(rec + 96), f64(rec + 104), f64(rec + 112)});
        V = toCam({f64(rec + 120), f64(rec + 128), f64(rec + 136)});
        double mapU0 = f64(rec + 144), mapV0 = f64(rec + 152);
        for (auto& p : v) p.z += dist;
        Vector3 centre = nrm;
        centre.z += dist;
        if (vmath::dot(centre, nrm) >= 0) continue;  // faces away
        Vector3 P0 = v[0] - U * (spin - mapU0) + V * mapV0;
        double sx[3], sy[3];
        for (int k = 0; k < 3; ++k) sx[k] = size / 2 + focal * v[k].x / v[k].z, sy[k] = size / 2 + focal * v[k].y / v[k].z;
        int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
        int x1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
        int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
        int y1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
        double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
        if (std::fabs(area) < 1e-12) continue;
        double light = std::max(0.0, vmath::dot(nrm, Vector3{-0.5, -0.3, -0.8}) / 0.99);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                double px = x + 0.5, py = y + 0.5;
                double w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
                double w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
                double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                // Ray d = (px', py', 1): t·d = P0 + a·U + b·V, solved by Cramer's rule.
                Vector3 d{(px - size / 2) / focal, (py - size / 2) / focal, 1};
                Vector3 negU = U * -1, negV = V * -1;
                double det = vmath::dot(d, vmath::cross(negU, negV));
                if (std::fabs(det) < 1e-15) continue;
                double tRay = vmath::dot(P0, vmath::cross(negU, negV)) / det;
                double a = vmath::dot(d, vmath::cross(P0, negV)) / det;
                double b = vmath::dot(d, vmath::cross(negU, P0)) / det;
                if (tRay >= depth[static_cast<size_t>(y) * size + x]) continue;
                depth[static_cast<size_t>(y) * size + x] = tRay;
                int row = static_cast<int>(256 * b) & 255, col = static_cast<int>(512 * a) & 511;
                int index = map[static_cast<size_t>(row) * 512 + col];
                double k = 0.25 + 0.75 * light;
                c.plot(x, y, static_cast<uint8_t>(cmap[index * 4 + 2] * k), static_cast<uint8_t>(cmap[index * 4 + 1] * k),
                       static_cast<uint8_t>(cmap[index * 4] * k));
            }
    }
    c.save(out);
}

// A nebula model as seen from Earth: every cell placed at its sky direction in a tangent plane
// (north up, east left), coloured and weighted by brightness; cells without points stay dark.
void previewNebula(const Bytes& model, const Bytes& colours, const std::string& out) {
    Vector3 A{f64(&model[0]), f64(&model[8]), f64(&model[16])};
    Vector3 B{f64(&model[24]), f64(&model[32]), f64(&model[40])};
    Vector3 C{f64(&model[48]), f64(&model[56]), f64(&model[64])};
    // The line of sight is A; east and north at that direction.
    Vector3 north{0, 0, 1};
    Vector3 east = vmath::cross(north, A);
    double el = std::sqrt(vmath::lengthSquared(east));
    east = east * (1 / el);
    north = vmath::cross(A, east);
    const int size = 384;
    Canvas c(size, size);
    for (int r = 0; r < 128; ++r)
        for (int col = 0; col < 128; ++col) {
            const uint8_t* cell = &model[80 + (static_cast<size_t>(r) * 128 + col) * 4];
            int8_t from = static_cast<int8_t>(cell[1]), to = static_cast<int8_t>(cell[2]);
            int bright = static_cast<int8_t>(cell[3]);
            if (from > to) continue;
            Vector3 q = B * (col - 64.0) + C * (r - 64.0);  // in pitch units, relative to the centre
            double e = vmath::dot(q, east), nn = vmath::dot(q, north);
            int x = static_cast<int>(size / 2 - e * 2.8), y = static_cast<int>(size / 2 - nn * 2.8);
            const uint8_t* bgr = &colours[cell[0] * 4];
            double k = 0.35 + 0.65 * bright / 127.0;
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    c.plot(x + dx - 1, y + dy - 1, static_cast<uint8_t>(bgr[2] * k), static_cast<uint8_t>(bgr[1] * k),
                           static_cast<uint8_t>(bgr[0] * k));
        }
    c.save(out);
}

bool endsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

void writePreviews(const std::string& dataDir, const std::string& outDir) {
    DIR* dir = opendir(dataDir.c_str());
    if (!dir) fail("cannot list %s", dataDir.c_str());
    std::vector<std::string> names;
    while (dirent* e = readdir(dir)) names.push_back(e->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    // Colour map of each surface map, as the slot table pairs them.
    const std::map<std::string, std::string> cmapOf = {
        {"mercury", "gray"}, {"europa", "gray"}, {"ganymedes", "gray"}, {"calisto", "gray"}};
    for (const std::string& name : names) {
        std::string path = dataDir + "/" + name, stem = name.substr(0, name.rfind('.'));
        std::string png = outDir + "/" + name + ".png";
        Bytes data;
        if (!readFile(path, data)) continue;
        if (endsWith(name, ".raw")) {
            int side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(data.size()))));
            if (side * side == static_cast<int>(data.size())) writeGreyPng(png, data.data(), side, side);
        } else if (endsWith(name, ".bft") && data.size() == 4608) {
            previewConsoleFont(data, png);
        } else if (endsWith(name, ".lft") && data.size() >= 2048) {
            previewLineFont(data, png);
        } else if (endsWith(name, ".map") && data.size() == 512 * 256) {
            auto it = cmapOf.find(stem);
            Bytes cmap;
            if (!readFile(dataDir + "/" + (it == cmapOf.end() ? stem : it->second) + ".cmap", cmap) || cmap.size() != 1024)
                continue;
            std::vector<uint8_t> rgb(512 * 256 * 3);
            for (size_t i = 0; i < data.size(); ++i)
                for (int k = 0; k < 3; ++k) rgb[i * 3 + k] = cmap[data[i] * 4 + 2 - k];
            writeRgbPng(png, rgb.data(), 512, 256);
        } else if (endsWith(name, ".neb3d") && data.size() == 65616) {
            Bytes colours;
            if (readFile(dataDir + "/" + stem + ".nebcol", colours) && colours.size() == 1024)
                previewNebula(data, colours, png);
        } else if (name == "planet.shape") {
            Bytes map, cmap;
            if (readFile(dataDir + "/earth.map", map) && readFile(dataDir + "/earth.cmap", cmap) &&
                map.size() == 512 * 256 && cmap.size() == 1024) {
                // Africa (longitude 0 faces the camera from world azimuth π), the ±180° seam in
                // the Pacific, the south pole, and Africa again after a quarter turn of spin.
                previewMesh(data, map, cmap, 3.1416, 0.3, 0.0, outDir + "/planet.shape-earth.png");
                previewMesh(data, map, cmap, 0.0, 0.3, 0.0, outDir + "/planet.shape-earth-seam.png");
                previewMesh(data, map, cmap, 2.0, -1.2, 0.0, outDir + "/planet.shape-earth-south.png");
                previewMesh(data, map, cmap, 3.1416, 0.3, 0.25, outDir + "/planet.shape-earth-spin.png");
            }
        }
    }
}

}  // namespace assets

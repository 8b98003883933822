// Reader of Hershey vector fonts (".jhf") and the builder of the line font "default.lft".
//
// Line font layout: a directory of 256 entries (first stroke int32, stroke count int32) followed at
// byte 2048 by strokes of four float64 (x0, y0, x1, y1). Glyph units: y grows downwards, a capital
// spans y 0 (top) to 5 (baseline), x starts at 0 on the glyph's leftmost ink. The text drawer scales
// by s (2.0 in the sky: 10-pixel capitals on 12-pixel lines) and advances the pen by the glyph's
// largest trunc(x·s) plus 2 pixels.
//
// Glyph map (the drawer reaches codes 128..255 with "&" followed by a character, code + 128):
//   33..126   printable ASCII from Hershey simplex roman (futural.jhf); lower-case slots 97..122
//             stay empty: the drawer writes a..z as small capitals with the capitals' glyphs.
//   &A..&Z    capital Greek (193..218), &a..&z lower-case Greek (225..250), by the usual
//             Latin-to-Greek keyboard table: a α, b β, c χ, d δ, e ε, f φ, g γ, h η, i ι, k κ,
//             l λ, m μ, n ν, o ο, p π, q θ, r ρ, s σ, t τ, u υ, w ω, x ξ, y ψ, z ζ (capitals
//             alike), from Hershey simplex Greek (greek.jhf); &j, &v, &J and &V stay empty.
//   &0..&9    the Sun and the planets: &0 Sun, &1 Mercury, &2 Venus, &3 Earth, &4 Mars,
//             &5 Jupiter, &6 Saturn, &7 Uranus, &8 Neptune, &9 Pluto (176..185)
//   &(        the Moon (168); &*  a star (170); &+ the vernal equinox, Aries (171)
#include <cmath>
#include <cstring>

#include "assetbuild.h"

namespace assets {

namespace {

// Hershey simplex fonts: capitals from y −12 (top) to +9 (baseline).
constexpr double kTop = -12.0;
constexpr double kUnit = 5.0 / 21.0;  // font units → glyph units (capital height 5)

struct Stroke {
    double x0, y0, x1, y1;
};

bool loadJhf(const std::string& dir, const char* name, std::vector<HersheyGlyph>& glyphs, std::string& error) {
    Bytes raw;
    std::string path = dir + "/" + name;
    if (!readFile(path, raw)) {
        error = "cannot read " + path;
        return false;
    }
    if (!parseJhf(raw.data(), raw.size(), glyphs, error)) {
        error = path + ": " + error;
        return false;
    }
    if (glyphs.size() < 95) {
        error = path + ": fewer than 95 glyphs";
        return false;
    }
    return true;
}

// Converts a glyph's polylines to strokes, its leftmost ink at x 0.
std::vector<Stroke> toStrokes(const HersheyGlyph& g, double scale, double top) {
    int minX = 1 << 30;
    for (const auto& run : g.polylines)
        for (size_t i = 0; i < run.size(); i += 2) minX = std::min(minX, run[i]);
    std::vector<Stroke> out;
    for (const auto& run : g.polylines)
        for (size_t i = 2; i + 1 < run.size(); i += 2)
            out.push_back({(run[i - 2] - minX) * scale, (run[i - 1] - top) * scale, (run[i] - minX) * scale,
                           (run[i + 1] - top) * scale});
    return out;
}

// Astronomical symbols: slot (key + 128) and the glyph of astrology.jhf (file index) drawn there.
struct Symbol {
    char key;
    int glyph;
    const char* what;
};
constexpr Symbol kSymbols[] = {
    {'0', 3, "Sun"},      {'1', 4, "Mercury"}, {'2', 5, "Venus"},   {'3', 6, "Earth"},  {'4', 7, "Mars"},
    {'5', 10, "Jupiter"}, {'6', 11, "Saturn"}, {'7', 13, "Uranus"}, {'8', 15, "Neptune"}, {'9', 26, "Pluto"},
    {'(', 27, "Moon"},    {'*', 29, "star"},   {'+', 32, "Aries (vernal equinox)"},
};

}  // namespace

bool buildLineFont(const std::string& hersheyDir, Bytes& out, std::string& mapText, std::string& error) {
    std::vector<HersheyGlyph> roman, greek, astro;
    if (!loadJhf(hersheyDir, "futural.jhf", roman, error) || !loadJhf(hersheyDir, "greek.jhf", greek, error) ||
        !loadJhf(hersheyDir, "astrology.jhf", astro, error))
        return false;

    std::vector<std::vector<Stroke>> slots(256);
    mapText.clear();
    for (int code = 33; code < 127; ++code) {
        if (code >= 'a' && code <= 'z') continue;
        slots[code] = toStrokes(roman[code - 32], kUnit, kTop);
    }
    mapText += "33..126 Hershey simplex roman (lower-case slots empty)\n";
    // greek.jhf holds the Greek letters at their Latin keys, except J, V, j and v (not letters).
    for (int key = 'A'; key <= 'z'; ++key) {
        if (key > 'Z' && key < 'a') continue;
        if (key == 'J' || key == 'V' || key == 'j' || key == 'v') continue;
        slots[key + 128] = toStrokes(greek[key - 32], kUnit, kTop);
    }
    mapText += "&A..&Z, &a..&z Hershey simplex Greek\n";
    for (const Symbol& s : kSymbols) {
        if (s.glyph >= static_cast<int>(astro.size())) {
            error = "astrology.jhf lacks a symbol glyph";
            return false;
        }
        slots[static_cast<unsigned char>(s.key) + 128] = toStrokes(astro[s.glyph], kUnit, kTop);
        mapText += std::string("&") + s.key + " " + s.what + "\n";
    }

    out.clear();
    uint32_t first = 0;
    for (int code = 0; code < 256; ++code) {
        putLE32(out, slots[code].empty() ? 0 : first);
        putLE32(out, static_cast<uint32_t>(slots[code].size()));
        first += static_cast<uint32_t>(slots[code].size());
    }
    for (int code = 0; code < 256; ++code)
        for (const Stroke& s : slots[code]) {
            putF64(out, s.x0);
            putF64(out, s.y0);
            putF64(out, s.x1);
            putF64(out, s.y1);
        }
    return true;
}

}  // namespace assets

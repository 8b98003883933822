// Marker definitions and marker files: the definition grammar, loading files from the marker
// folder, and listing them.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "core/app.h"
#include "extensions/markers.h"
#include "navigation/scene_hooks.h"
#include "platform/platform.h"
#include "video/draw.h"
#include "video/video.h"

namespace markers {

namespace {

// Fields are found by scanning forward for the letters that start them, so the words around
// them are free ("rgb", "colour", "red" all work for a colour as long as the r is followed by
// g, or by one character and b). A ")" before the letter, or the end of the line, fails.
const char* scanFor(const char* s, const char* letters) {
    for (; *s; ++s) {
        if (*s == ')') return nullptr;
        if (std::strchr(letters, *s)) return s;
    }
    return nullptr;
}

// The character after the ";" that ends the field read up to `s`, or null when there is none.
const char* nextField(const char* s) {
    const char* semicolon = std::strchr(s, ';');
    return semicolon ? semicolon + 1 : nullptr;
}

// Three reals separated by commas, as "(%lf,%lf,%lf)" reads them: blanks may precede a number
// but not a comma. Returns the position after the third number, or null.
const char* readTriple(const char* s, Vector3& out) {
    double v[3];
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        v[i] = std::strtod(s, &end);
        if (end == s) return nullptr;
        // A position that is not a number the sky can be drawn at would only take a slot.
        if (!std::isfinite(v[i])) return nullptr;
        s = end;
        if (i < 2) {
            if (*s != ',') return nullptr;
            ++s;
        }
    }
    out = Vector3{v[0], v[1], v[2]};
    return s;
}

// A hexadecimal number as "%lx" reads it; returns the position after it, or null.
const char* readHex(const char* s, unsigned long long& out) {
    char* end = nullptr;
    out = std::strtoull(s, &end, 16);
    return end == s ? nullptr : end;
}

// position: p(x,y,z), o(identifier) or n(name). Returns the position after the field.
const char* readPosition(const char* s, Vector3& out) {
    s = scanFor(s, "pon");
    if (!s || s[1] != '(') return nullptr;
    const char letter = s[0];
    s += 2;
    if (letter == 'p') return readTriple(s, out);
    if (letter == 'o') {
        unsigned long long id = 0;
        const char* end = readHex(s, id);
        if (!end || id > 0xFFFFFFFFull) return nullptr;
        if (!catalog::objectPosition(static_cast<catalog::ObjectId>(id), out)) return nullptr;
        return end;
    }
    const char* close = std::strchr(s, ')');
    if (!close) return nullptr;
    const size_t length = static_cast<size_t>(close - s);
    char name[catalog::kNameSize];
    // No catalogue name is this long, so such a name is not found.
    if (length >= sizeof name) return nullptr;
    std::memcpy(name, s, length);
    name[length] = '\0';
    const catalog::ObjectId id = catalog::findByName(name);
    if (id == catalog::kNoObject || !catalog::objectPosition(id, out)) return nullptr;
    return close + 1;
}

// colour: r, then g right after it or b one further, then the hexadecimal 0xRRGGBB after the
// next "(".
const char* readColour(const char* s, int32_t& out) {
    s = scanFor(s, "r");
    if (!s) return nullptr;
    if (s[1] != 'g' && !(s[1] != '\0' && s[2] == 'b')) return nullptr;
    s = std::strchr(s, '(');
    if (!s) return nullptr;
    unsigned long long rgb = 0;
    const char* end = readHex(s + 1, rgb);
    if (!end) return nullptr;
    const uint32_t pixel = draw::packColour(video::state.format, static_cast<int>((rgb >> 16) & 0xFF),
                                            static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
    out = static_cast<int32_t>(pixel);
    return end;
}

// text: the characters between two double quotes; a ")" inside, or no closing quote, fails.
// A text longer than the record holds keeps its first kTextBytes − 1 characters.
const char* readText(const char* s, char (&out)[kTextBytes]) {
    s = scanFor(s, "\"");
    if (!s) return nullptr;
    ++s;
    size_t n = 0;
    for (; s[n] != '"'; ++n)
        if (s[n] == '\0' || s[n] == ')') return nullptr;
    const size_t kept = n < kTextBytes - 1 ? n : kTextBytes - 1;
    std::memcpy(out, s, kept);
    out[kept] = '\0';
    return s + n + 1;
}

// style: the letter f (1) or c (2).
const char* readStyle(const char* s, int32_t& out) {
    s = scanFor(s, "fc");
    if (!s) return nullptr;
    out = *s == 'f' ? 1 : 2;
    return s + 1;
}

void hideMarkers() { markersShown = 0; }

}  // namespace

int markerStart() {
    markerClear();
    scene::hideMarkers = hideMarkers;
    return 1;
}

int markerPosition(const char* text, Vector3& out) {
    Vector3 position;
    if (!text || !readPosition(text, position)) return 0;
    out = position;
    return 1;
}

int markerParse(const char* definition, Marker& out) {
    out = Marker{};
    if (!definition) return 0;
    const char* s = definition;
    // Blanks only: a tab is a control character, and such a line is no definition.
    while (*s == ' ') ++s;
    if (static_cast<unsigned char>(*s) < 32 || (s[0] == '/' && s[1] == '/')) return 0;
    int32_t kind;
    switch (*s) {
        case 'l': kind = kLine; break;
        case 'a': kind = kArrow; break;
        case 't': kind = kText; break;
        case 'm': kind = kMark; break;
        default: return 0;
    }
    s = std::strchr(s, '{');
    if (!s) return 0;
    ++s;
    // Each field is searched from just after the ";" that ends the one before it.
    switch (kind) {
        case kLine:
        case kArrow:
            if (!(s = readPosition(s, out.point1)) || !(s = nextField(s))) return 0;
            if (!(s = readPosition(s, out.point2)) || !(s = nextField(s))) return 0;
            if (!readColour(s, out.colour)) return 0;
            break;
        case kText:
            if (!(s = readPosition(s, out.point1)) || !(s = nextField(s))) return 0;
            if (!(s = readColour(s, out.colour)) || !(s = nextField(s))) return 0;
            if (!readText(s, out.text)) return 0;
            break;
        default:  // kMark
            if (!(s = readPosition(s, out.point1)) || !(s = nextField(s))) return 0;
            if (!(s = readColour(s, out.colour)) || !(s = nextField(s))) return 0;
            if (!readStyle(s, out.style)) return 0;
            break;
    }
    out.kind = kind;
    return 1;
}

int markerAdd(const char* definition) {
    if (markerCount() >= kMaxMarkers) return 0;
    Marker marker;
    if (!markerParse(definition, marker)) return 0;
    return markerAppend(marker);
}

int markerAddLines(std::FILE* file) {
    if (!file) return 0;
    int added = 0;
    // One more byte than a line holds, for the terminator; fgets leaves the rest of a longer
    // line for the next call, which reads it as a line of its own.
    char line[kLineChars + 1];
    while (markerCount() < kMaxMarkers && std::fgets(line, sizeof line, file)) {
        // The line feed ends the line; every field ends at a delimiter, so a carriage return
        // before it stays and does no harm.
        char* feed = std::strchr(line, '\n');
        if (feed) *feed = '\0';
        added += markerAdd(line);
    }
    return added;
}

int markerLoad(const char* name) {
    if (!name) return -1;
    const std::string folder = platform::joinPath(app::programFolder, "marker");
    std::FILE* file = std::fopen(platform::joinPath(folder, name).c_str(), "rb");
    if (!file) return -1;
    const int added = markerAddLines(file);
    std::fclose(file);
    return added;
}

int markerList(char* out, size_t capacity) {
    if (!out || capacity == 0) return 0;
    out[0] = '\0';
    const std::vector<std::string> names =
        platform::listFolder(platform::joinPath(app::programFolder, "marker"), "*.map");
    size_t used = 0;
    int listed = 0;
    for (const std::string& name : names) {
        // The name, its blank and the terminator must all fit.
        if (used + name.size() + 2 > capacity) break;
        std::memcpy(out + used, name.data(), name.size());
        used += name.size();
        out[used++] = ' ';
        out[used] = '\0';
        ++listed;
    }
    return listed;
}

}  // namespace markers

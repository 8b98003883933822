// Marker definitions and marker files: the definition grammar, loading files from the marker
// folder, and listing them.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/app.h"
#include "catalog/catalog.h"
#include "extensions/markers.h"
#include "extensions/markers_internal.h"
#include "navigation/camera.h"
#include "platform/platform.h"
#include "render/scene.h"
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

// A hexadecimal number as "%lx" reads it; returns the position after it, or null.
const char* readHex(const char* s, unsigned long long& out) {
    char* end = nullptr;
    out = std::strtoull(s, &end, 16);
    return end == s ? nullptr : end;
}

// position: p(x,y,z), o(identifier) or n(name). Returns the position after the field.
const char* readPosition(const char* s, Vector3& out) { return catalog::readPosition(s, out); }

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

}  // namespace

int markerStart() {
    markerClear();
    markersShown = 0;
    render::addLayer(markersLayer());
    addMarkerWords();
    return 1;
}

void markerStop() {
    removeMarkerWords();
    render::removeLayer(markersLayer());
    markerClear();
    markersShown = 0;
}

void showMarkers(int shown) {
    markersShown = shown ? 1 : 0;
    camera::settingsChanged(1);
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

int markerAddLines(const char* text, size_t size) {
    if (!text) return 0;
    int added = 0;
    // A line is what one read of at most kLineChars characters takes: up to and with its line
    // feed, or the first kLineChars characters of a longer line, whose rest is read as a line of
    // its own.
    char line[kLineChars + 1];
    size_t at = 0;
    while (markerCount() < kMaxMarkers && at < size) {
        size_t n = 0;
        while (n < static_cast<size_t>(kLineChars) && at + n < size && text[at + n] != '\n') ++n;
        const bool feed = n < static_cast<size_t>(kLineChars) && at + n < size;  // ends at a line feed
        std::memcpy(line, text + at, n);
        line[n] = '\0';
        at += n + (feed ? 1 : 0);
        // Every field ends at a delimiter, so a carriage return before the feed does no harm.
        added += markerAdd(line);
    }
    return added;
}

int markerLoad(const char* name) {
    if (!name) return -1;
    const std::string folder = platform::joinPath(app::programFolder, "marker");
    std::vector<uint8_t> bytes;
    if (!platform::readWholeFile(platform::joinPath(folder, name), bytes, kMaxFileBytes)) return -1;
    return markerAddLines(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<std::string> markerFiles() {
    return platform::listFolder(platform::joinPath(app::programFolder, "marker"), "*.map");
}

int markerList(char* out, size_t capacity) {
    if (!out || capacity == 0) return 0;
    out[0] = '\0';
    const std::vector<std::string> names = markerFiles();
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

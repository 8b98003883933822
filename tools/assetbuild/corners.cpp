// Reader of the corner coordinates that the deep-sky picture collection's textures.json gives for
// each picture. The file is not strict JSON (numbers such as "-.97"), so only the few values needed
// are read, by position after their keys. Kept apart so that tests and the fuzz target can compile
// it alone.
#include <cmath>
#include <cstdlib>

#include "assetbuild.h"

namespace assets {
namespace {

// Reads a JSON number at text[pos], advancing pos; false if there is none.
bool readNumber(const std::string& text, size_t& pos, double& v) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' || text[pos] == '\r' ||
                                 text[pos] == '[' || text[pos] == ']' || text[pos] == ','))
        ++pos;
    if (pos >= text.size()) return false;
    const char* start = text.c_str() + pos;
    char* end;
    v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v)) return false;
    pos += static_cast<size_t>(end - start);
    return true;
}

}  // namespace

bool findCorners(const std::string& json, const std::string& file, double ra[4], double dec[4]) {
    // The entry's "imageUrl" value, then the first "worldCoords" before the next entry.
    std::string quoted = "\"" + file + "\"";
    size_t at = 0;
    while ((at = json.find(quoted, at)) != std::string::npos) {
        size_t key = json.rfind("\"imageUrl\"", at);
        if (key != std::string::npos && json.find_first_not_of(" \t:", key + 10) == at) break;
        at += quoted.size();
    }
    if (at == std::string::npos) return false;
    size_t nextEntry = json.find("\"imageUrl\"", at);
    size_t coords = json.find("\"worldCoords\"", at);
    if (coords == std::string::npos || (nextEntry != std::string::npos && coords > nextEntry)) return false;
    size_t pos = json.find(':', coords);
    if (pos == std::string::npos) return false;
    ++pos;
    for (int i = 0; i < 4; ++i) {
        if (!readNumber(json, pos, ra[i]) || !readNumber(json, pos, dec[i])) return false;
        if (ra[i] < -360 || ra[i] > 720 || dec[i] < -90 || dec[i] > 90) return false;
    }
    // The corners must come with the standard texture corners, in order.
    size_t tex = json.find("\"textureCoords\"", coords);
    if (tex == std::string::npos || (nextEntry != std::string::npos && tex > nextEntry)) return false;
    pos = json.find(':', tex);
    if (pos == std::string::npos) return false;
    ++pos;
    const double expected[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    for (double e : expected) {
        double v;
        if (!readNumber(json, pos, v) || v != e) return false;
    }
    return true;
}

}  // namespace assets

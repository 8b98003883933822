// Positions written as text: p(x,y,z), o(identifier) or n(name).
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "catalog/catalog.h"

namespace catalog {

namespace {

// Three reals separated by commas, as "(%lf,%lf,%lf)" reads them. Returns the position after the
// third number, or null.
const char* readTriple(const char* s, Vector3& out) {
    double v[3];
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        v[i] = std::strtod(s, &end);
        if (end == s) return nullptr;
        // A position that is not a number the sky can be drawn at is no position.
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

}  // namespace

const char* readPosition(const char* s, Vector3& out) {
    if (!s) return nullptr;
    // The field starts at the first of its letters; the words around it are free.
    while (*s && *s != ')' && *s != 'p' && *s != 'o' && *s != 'n') ++s;
    if (*s == '\0' || *s == ')' || s[1] != '(') return nullptr;
    const char letter = s[0];
    s += 2;
    Vector3 position;
    if (letter == 'p') {
        const char* end = readTriple(s, position);
        if (end) out = position;
        return end;
    }
    if (letter == 'o') {
        char* end = nullptr;
        const unsigned long long id = std::strtoull(s, &end, 16);  // "%lx"
        if (end == s || id > 0xFFFFFFFFull) return nullptr;
        if (!objectPosition(static_cast<ObjectId>(id), position)) return nullptr;
        out = position;
        return end;
    }
    const char* close = std::strchr(s, ')');
    if (!close) return nullptr;
    const size_t length = static_cast<size_t>(close - s);
    char name[kNameSize];
    // No catalogue name is this long, so such a name is not found.
    if (length >= sizeof name) return nullptr;
    std::memcpy(name, s, length);
    name[length] = '\0';
    const ObjectId id = findByName(name);
    if (id == kNoObject || !objectPosition(id, position)) return nullptr;
    out = position;
    return close + 1;
}

}  // namespace catalog

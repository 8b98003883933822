// Name lookups: the exact lookup through a name index built once, and the wildcard search.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "catalog/catalog.h"
#include "catalog/catalog_internal.h"

namespace catalog {

namespace {

// Which name of an object an index entry stands for; the order is the order of the scan.
enum Slot : uint8_t { kMain = 0, kBayer = 1, kFlamsteed = 2, kOther = 3, kDeepSkyName = 4 };
enum Forms : uint8_t { kShortForm = 1, kLongForm = 2, kBothForms = 3 };

struct NameEntry {
    uint64_t hash;
    uint32_t id;    // star index or deep-sky ObjectId
    uint8_t slot;   // Slot
    uint8_t forms;  // Forms in which the object bears this name
};

// The exact lookup must answer as a scan over every star (main designation, then the extra
// names) and then every deep-sky object, first equal name winning. Marker files resolve many
// names, so the names are hashed once into one array sorted by (hash, id, slot): among the
// entries of one hash, the first that really equals the name is the scan's first match.
struct NameIndex {
    NameEntry* entries = nullptr;
    size_t count = 0;
    bool built = false;
    bool failed = false;  // the allocation failed; lookups fall back to the scan
};
NameIndex nameIndex;

uint64_t hashName(const char* text) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        h ^= *p;
        h *= 1099511628211ull;
    }
    return h;
}

// The extra names of a star in one form; false when the star has no extra record.
bool starExtraNames(uint32_t index, bool longForm, char names[3][kNameSize]) {
    StarRecord star;
    StarExtraRecord extra;
    if (!readStar(index, star) || !detail::starExtra(star, extra)) return false;
    detail::extraNamesIn(extra.designation, longForm, names[0], names[1], names[2]);
    return true;
}

// The text of one entry, formed again to confirm a hash match.
void entryName(const NameEntry& entry, bool longForm, char out[kNameSize]) {
    out[0] = 0;
    if (entry.slot == kDeepSkyName) {
        deepSkyName(entry.id, out);
    } else if (entry.slot == kMain) {
        StarRecord star;
        if (readStar(entry.id, star)) mainDesignation(star.designation, out);
    } else {
        char names[3][kNameSize];
        if (starExtraNames(entry.id, longForm, names)) std::memcpy(out, names[entry.slot - 1], kNameSize);
    }
}

void add(NameEntry* entries, size_t& count, const char* name, uint32_t id, uint8_t slot, uint8_t forms) {
    if (!name[0]) return;  // empty names are never looked up
    entries[count++] = NameEntry{hashName(name), id, slot, forms};
}

void buildNameIndex() {
    nameIndex.built = true;
    // Count first, from the codes alone, so the index is one allocation of the right size.
    size_t capacity = detail::state.deepSky;
    for (uint32_t i = 0; i < detail::state.stars; ++i) {
        StarRecord star;
        StarExtraRecord extra;
        readStar(i, star);
        capacity += 1;
        if (detail::starExtra(star, extra)) capacity += detail::extraNamesDependOnForm(extra.designation) ? 6 : 3;
    }
    if (capacity == 0) return;
    auto* entries = static_cast<NameEntry*>(std::malloc(capacity * sizeof(NameEntry)));
    if (!entries) {
        nameIndex.failed = true;
        return;
    }
    size_t count = 0;
    char name[kNameSize];
    for (uint32_t i = 0; i < detail::state.stars; ++i) {
        StarRecord star;
        readStar(i, star);
        mainDesignation(star.designation, name);
        add(entries, count, name, i, kMain, kBothForms);
        StarExtraRecord extra;
        if (!detail::starExtra(star, extra)) continue;
        char shortNames[3][kNameSize], longNames_[3][kNameSize];
        detail::extraNamesIn(extra.designation, false, shortNames[0], shortNames[1], shortNames[2]);
        if (!detail::extraNamesDependOnForm(extra.designation)) {
            for (int k = 0; k < 3; ++k) add(entries, count, shortNames[k], i, static_cast<uint8_t>(kBayer + k), kBothForms);
            continue;
        }
        detail::extraNamesIn(extra.designation, true, longNames_[0], longNames_[1], longNames_[2]);
        for (int k = 0; k < 3; ++k) {
            uint8_t slot = static_cast<uint8_t>(kBayer + k);
            if (std::strcmp(shortNames[k], longNames_[k]) == 0) {
                add(entries, count, shortNames[k], i, slot, kBothForms);
            } else {
                add(entries, count, shortNames[k], i, slot, kShortForm);
                add(entries, count, longNames_[k], i, slot, kLongForm);
            }
        }
    }
    for (uint32_t i = 0; i < detail::state.deepSky; ++i) {
        deepSkyName(kDeepSkyBase + i, name);
        add(entries, count, name, kDeepSkyBase + i, kDeepSkyName, kBothForms);
    }
    std::sort(entries, entries + count, [](const NameEntry& a, const NameEntry& b) {
        if (a.hash != b.hash) return a.hash < b.hash;
        if (a.id != b.id) return a.id < b.id;
        return a.slot < b.slot;
    });
    nameIndex.entries = entries;
    nameIndex.count = count;
}

// The plain scan, used only when the index could not be allocated.
ObjectId scanForName(const char* name, bool longForm) {
    char text[kNameSize];
    for (uint32_t i = 0; i < detail::state.stars; ++i) {
        StarRecord star;
        readStar(i, star);
        mainDesignation(star.designation, text);
        if (std::strcmp(text, name) == 0) return i;
        char names[3][kNameSize];
        if (!starExtraNames(i, longForm, names)) continue;
        for (auto& extraName : names)
            if (std::strcmp(extraName, name) == 0) return i;
    }
    for (uint32_t i = 0; i < detail::state.deepSky; ++i) {
        deepSkyName(kDeepSkyBase + i, text);
        if (std::strcmp(text, name) == 0) return kDeepSkyBase + i;
    }
    return kNoObject;
}

// The first character every main designation of a code begins with ("HIP", "HD", "BD", "CD",
// "CP"), 0 for codes that give an empty text.
char mainDesignationInitial(uint32_t code) {
    switch (code >> 24) {
        case 0:
        case 1: return 'H';
        case 2: return 'B';
        case 3:
        case 4: return 'C';
        default: return 0;
    }
}

char folded(char c, bool fold) { return fold && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Most stars are known only by their main designation, and forming it is most of what a search
// costs: a pattern that begins with a plain character that the designation cannot begin with
// is not matched against it at all.
bool mayMatchMain(uint32_t code, const char* pattern, bool fold) {
    const char first = pattern[0];
    if (first == 0 || first == '*' || first == '?' || first == ' ') return true;
    return folded(first, fold) == folded(mainDesignationInitial(code), fold);
}

bool matchesStar(uint32_t index, const char* pattern, LetterCase letterCase) {
    StarRecord star;
    if (!readStar(index, star)) return false;
    const bool fold = letterCase == LetterCase::kIgnored;
    char text[kNameSize];
    if (mayMatchMain(star.designation, pattern, fold)) {
        mainDesignation(star.designation, text);
        if (matchPattern(pattern, text, letterCase)) return true;
    }
    StarExtraRecord extra;
    if (!detail::starExtra(star, extra)) return false;
    char names[3][kNameSize];
    detail::extraNamesIn(extra.designation, false, names[0], names[1], names[2]);
    for (auto& name : names)
        if (matchPattern(pattern, name, letterCase)) return true;
    // Only Bayer, Flamsteed and lettered-variable names have a long form worth matching again.
    if (!detail::extraNamesDependOnForm(extra.designation)) return false;
    detail::extraNamesIn(extra.designation, true, names[0], names[1], names[2]);
    for (auto& name : names)
        if (matchPattern(pattern, name, letterCase)) return true;
    return false;
}

}  // namespace

namespace detail {

void resetNameIndex() {
    std::free(nameIndex.entries);
    nameIndex = NameIndex{};
}

}  // namespace detail

ObjectId findByName(const char* name) {
    if (!name || !name[0]) return kNoObject;
    // No catalogue name is longer than 31 characters.
    if (std::strlen(name) >= static_cast<size_t>(kNameSize)) return kNoObject;
    if (!nameIndex.built) buildNameIndex();
    bool longForm = longNames != 0;
    if (nameIndex.failed) return scanForName(name, longForm);
    uint8_t form = longForm ? kLongForm : kShortForm;
    uint64_t hash = hashName(name);
    const NameEntry* end = nameIndex.entries + nameIndex.count;
    const NameEntry* e = std::lower_bound(static_cast<const NameEntry*>(nameIndex.entries), end, hash,
                                          [](const NameEntry& entry, uint64_t h) { return entry.hash < h; });
    char text[kNameSize];
    for (; e != end && e->hash == hash; ++e) {
        if (!(e->forms & form)) continue;
        entryName(*e, longForm, text);
        if (std::strcmp(text, name) == 0) return e->id;
    }
    return kNoObject;
}

ObjectId searchSome(SearchCursor& cursor, const char* pattern, uint32_t budget, LetterCase letterCase) {
    if (!pattern) {
        cursor.next = kNoObject;
        return kNoObject;
    }
    const uint32_t stars = detail::state.stars, deepSky = detail::state.deepSky;
    for (; budget > 0 && cursor.next != kNoObject; --budget) {
        ObjectId id = cursor.next;
        // Between the last star and the first deep-sky object lie no objects; past the last
        // deep-sky object the catalogue is done.
        if (id < kDeepSkyBase && id >= stars) id = kDeepSkyBase;
        if (id < kDeepSkyBase) {
            cursor.next = id + 1;
            if (matchesStar(id, pattern, letterCase)) return id;
            continue;
        }
        if (id - kDeepSkyBase >= deepSky) {
            cursor.next = kNoObject;
            break;
        }
        cursor.next = id + 1;
        char text[kNameSize];
        deepSkyName(id, text);
        if (matchPattern(pattern, text, letterCase)) return id;
    }
    return kNoObject;
}

ObjectId searchNext(ObjectId previous, const char* pattern, LetterCase letterCase) {
    if (!pattern) return kNoObject;
    SearchCursor cursor{previous + 1};  // kNoObject wraps to the first star
    while (cursor.next != kNoObject) {
        const ObjectId found = searchSome(cursor, pattern, UINT32_MAX, letterCase);
        if (found != kNoObject) return found;
    }
    return kNoObject;
}

}  // namespace catalog

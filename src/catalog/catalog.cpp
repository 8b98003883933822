// Catalogue files in memory: loading, record access, object identifiers and positions, the
// expanded star and deep-sky records, multiple-star components and the notes.
#include "catalog/catalog.h"

#include <cmath>
#include <cstring>

#include "catalog/catalog_internal.h"
#include "base/app.h"
#include "base/log.h"
#include "vfs/vfs.h"

namespace catalog {

namespace {

const BodySource* bodySource = nullptr;

}  // namespace

namespace detail {

State state;

bool starExtra(const StarRecord& star, StarExtraRecord& out) {
    return star.extra >= 0 && readStarExtra(static_cast<uint32_t>(star.extra), out);
}

}  // namespace detail

using detail::state;

namespace {

constexpr const char* kFileNames[kCatalogFileCount] = {
    "stellar.data", "stellar.xdat", "stellar.tree", "stellar.ssys",
    "stellar.note", "galactic.data", "galactic.bmap", "galactic.hmap",
};

// Identifiers and 24-bit tree entries address at most this many stars, deep-sky objects and
// tree nodes; records beyond are unreachable and not counted.
constexpr size_t kMaxAddressable = 0x01000000;
// Link fields are int32: records past INT32_MAX cannot be linked to.
constexpr size_t kMaxLinked = 0x7FFFFFFF;

uint32_t recordCount(const CatalogFiles& files, CatalogFile file, size_t recordSize, size_t cap) {
    size_t count = files.size[file] / recordSize;
    return static_cast<uint32_t>(count < cap ? count : cap);
}

double fixed(int16_t value) { return value / kFixed; }

Vector3 widen(float x, float y, float z) { return Vector3{x, y, z}; }

// appMag = M − 5 + 2.5·log10(d² / 3.2616²); the distance 0 gives −∞, which callers test by the
// distance.
void seenFrom(const Vector3& observer, const Vector3& position, double absMag, Vector3& relative,
              double& distance, double& appMag) {
    relative = vmath::operator-(position, observer);
    double d2 = vmath::lengthSquared(relative);
    appMag = absMag - 5.0 + vmath::distanceModulus(d2);
    distance = std::sqrt(d2);
}

void fillComponent(uint32_t index, const ComponentRecord& record, ComponentInfo& out) {
    out.index = static_cast<int32_t>(index);
    out.letter1 = record.letter1;
    out.letter2 = static_cast<char>(record.letter2 & 0x7F);
    spectralText(record.spectral, out.spectral);
    out.magnitude = fixed(record.magnitude);
    unsigned ra = record.ccdm >> 16;
    unsigned declination = record.ccdm & 0xFFFF;
    if (declination <= 0x8000) detail::formatText(out.ccdm, kCcdmSize, "%05u+%04u", ra, declination);
    else detail::formatText(out.ccdm, kCcdmSize, "%05u-%04u", ra, 0x10000 - declination);
    out.separation = record.separation;
    out.angle = fixed(record.angle);
}

int firstComponentIndex(uint32_t star, uint32_t& index) {
    StarRecord record;
    if (!readStar(star, record)) return 0;
    if (record.firstComponent < 0 || static_cast<uint32_t>(record.firstComponent) >= state.components)
        return 0;
    index = static_cast<uint32_t>(record.firstComponent);
    return 1;
}

bool isUpperHexDigit(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

// ---- Files -----------------------------------------------------------------------------------

void catalogClose() { catalogAttach(CatalogFiles{}); }

int catalogAttach(const CatalogFiles& files) {
    state = detail::State{};
    for (int f = 0; f < kCatalogFileCount; ++f) {
        state.files.data[f] = files.data[f];
        state.files.size[f] = files.data[f] ? files.size[f] : 0;
    }
    state.stars = recordCount(state.files, kStellarData, sizeof(StarRecord), kMaxAddressable);
    state.extras = recordCount(state.files, kStellarXdat, sizeof(StarExtraRecord), kMaxLinked);
    state.nodes = recordCount(state.files, kStellarTree, sizeof(TreeNode), kMaxAddressable);
    state.components = recordCount(state.files, kStellarSsys, sizeof(ComponentRecord), kMaxLinked);
    state.deepSky = recordCount(state.files, kGalacticData, sizeof(DeepSkyRecord), kMaxAddressable);
    detail::resetNameIndex();
    return 1;
}

int catalogLoad() {
    if (app::mode.DB) logc::print(1, "\r\n\tLoad Catalogs:");
    CatalogFiles files;
    for (int f = 0; f < kCatalogFileCount; ++f) {
        files.data[f] = vfs::loadFile(kFileNames[f], &files.size[f]);
        if (!files.data[f]) return 0;
    }
    catalogAttach(files);
    if (app::mode.DB) {
        const int counts[kCatalogFileCount] = {
            static_cast<int>(state.stars),      static_cast<int>(state.extras),
            static_cast<int>(state.nodes),      static_cast<int>(state.components),
            static_cast<int>(state.files.size[kStellarNote]), static_cast<int>(state.deepSky),
            static_cast<int>(state.files.size[kGalacticBmap]),
            static_cast<int>(state.files.size[kGalacticHmap]),
        };
        for (int f = 0; f < kCatalogFileCount; ++f) {
            // The deep-sky files are set apart by an empty line. Pointers are printed whole;
            // they have more than eight digits on a 64-bit system.
            logc::print(1, "%s\t\tLoading %s (%08llX:%d)", f == kGalacticData ? "\r\n\r\n" : "\r\n",
                        kFileNames[f],
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(state.files.data[f])),
                        counts[f]);
        }
    }
    return 1;
}

const CatalogFiles& catalogFiles() { return state.files; }

uint32_t starCount() { return state.stars; }
uint32_t starExtraCount() { return state.extras; }
uint32_t treeNodeCount() { return state.nodes; }
uint32_t componentRecordCount() { return state.components; }
uint32_t deepSkyCount() { return state.deepSky; }

int readStar(uint32_t index, StarRecord& out) { return detail::readRecord(kStellarData, state.stars, index, out); }
int readStarExtra(uint32_t index, StarExtraRecord& out) {
    return detail::readRecord(kStellarXdat, state.extras, index, out);
}
int readTreeNode(uint32_t index, TreeNode& out) { return detail::readRecord(kStellarTree, state.nodes, index, out); }
int readComponent(uint32_t index, ComponentRecord& out) {
    return detail::readRecord(kStellarSsys, state.components, index, out);
}
int readDeepSky(uint32_t index, DeepSkyRecord& out) {
    return detail::readRecord(kGalacticData, state.deepSky, index, out);
}

// ---- Objects ---------------------------------------------------------------------------------

int objectKind(ObjectId id) {
    if (id < kDeepSkyBase) return 0;
    if (id < kBodyBase) return 1;
    if (id < kComponentBase) return 2;
    return 3;
}

int objectPosition(ObjectId id, Vector3& out) {
    if (id == kNoObject) return 0;
    switch (objectKind(id)) {
        case 0: {
            StarRecord star;
            if (!readStar(id, star)) return 0;
            out = widen(star.x, star.y, star.z);
            return 1;
        }
        case 1: {
            DeepSkyRecord object;
            if (!readDeepSky(id - kDeepSkyBase, object)) return 0;
            out = widen(object.x, object.y, object.z);
            return 1;
        }
        default: return bodySource && bodySource->position ? bodySource->position(id, out) : 0;
    }
}

double objectRadius(ObjectId id) {
    const int kind = objectKind(id);
    if (id == kNoObject || (kind != 2 && kind != 3)) return 0.0;
    return bodySource && bodySource->radius ? bodySource->radius(id) : 0.0;
}

int registerBodySource(const BodySource* source) {
    if (!source || (bodySource && bodySource != source)) return 0;
    bodySource = source;
    return 1;
}

void unregisterBodySource(const BodySource* source) {
    if (bodySource == source) bodySource = nullptr;
}

int starInfo(uint32_t index, const Vector3& observer, StarInfo& out) {
    out = StarInfo{};
    StarRecord star;
    if (!readStar(index, star)) return 0;
    out.id = static_cast<int32_t>(index);
    out.position = widen(star.x, star.y, star.z);
    out.absMag = fixed(star.absMag);
    out.colourBV = fixed(star.colourBV);
    spectralText(star.spectral, out.spectral);
    mainDesignation(star.designation, out.designation);

    seenFrom(observer, out.position, out.absMag, out.relative, out.distance, out.appMag);
    out.temperature = 8800.0 / (out.colourBV + 0.82) - 770.0;
    out.luminosity = std::pow(10.0, (4.8 - out.absMag) * 0.4);
    // Up to the low byte 0x51 the mass follows L^(1/4), above it √(L · 5/3).
    if ((star.spectral & 0xFF) < 0x52) out.solarMass = std::sqrt(std::sqrt(out.luminosity));
    else out.solarMass = std::sqrt(out.luminosity * 1.6666666666666667);
    double t = out.temperature / 6050.0;
    out.estRadius = std::sqrt(out.luminosity) / (t * t);
    out.lifeTime = 10.0 * std::pow(1.0 / out.solarMass, 2.5);

    StarExtraRecord extra;
    if (detail::starExtra(star, extra)) {
        out.hasExtra = 1;
        out.minMag = fixed(extra.minMag);
        out.maxMag = fixed(extra.maxMag);
        out.varPeriod = extra.period;
        out.knownRadius = extra.radius;
        out.radialSpeed = extra.radialSpeed;
        extraNames(extra.designation, out.bayerName, out.flamsteedName, out.otherName);
    }
    return 1;
}

int starColourIndex(int16_t colourBV) {
    double t = 8800.0 / (fixed(colourBV) + 0.82) - 770.0 - 3000.0;
    if (t < 0) t = 0;
    if (t > 9000) t = 9000;
    return static_cast<int>(t * 0.014111111111111112);
}

int componentCount(uint32_t star) {
    uint32_t index;
    if (!firstComponentIndex(star, index)) return 0;
    int count = 0;
    ComponentRecord record;
    while (readComponent(index, record)) {
        ++count;
        if (record.letter2 & kLastComponent) break;
        ++index;
    }
    return count;
}

int componentInfo(uint32_t index, ComponentInfo& out) {
    ComponentRecord record;
    if (!readComponent(index, record)) return 0;
    fillComponent(index, record, out);
    return 1;
}

int firstComponent(uint32_t star, ComponentInfo& out) {
    uint32_t index;
    ComponentRecord record;
    if (!firstComponentIndex(star, index) || !readComponent(index, record)) return 0;
    fillComponent(index, record, out);
    return 1;
}

int nextComponent(ComponentInfo& info) {
    ComponentRecord record;
    if (info.index < 0 || !readComponent(static_cast<uint32_t>(info.index), record)) return 0;
    if (record.letter2 & kLastComponent) return 0;
    uint32_t next = static_cast<uint32_t>(info.index) + 1;
    if (!readComponent(next, record)) return 0;
    fillComponent(next, record, info);
    return 1;
}

int noteText(ObjectId id, char* out, size_t capacity) {
    if (!out || capacity == 0) return 0;
    out[0] = 0;
    const uint8_t* note = state.files.data[kStellarNote];
    const size_t size = state.files.size[kStellarNote];
    size_t written = 0;
    // A tag is "<n", anything up to "#", upper-case hexadecimal digits and ">". The scan goes on
    // nine bytes after each "<n", as the tags of the note file are written at least that long.
    size_t i = 0;
    while (i + 1 < size) {
        if (note[i] != '<' || note[i + 1] != 'n') {
            ++i;
            continue;
        }
        size_t p = i + 2;
        // The "#" must come before the tag closes; a tag without one is skipped.
        while (p < size && note[p] != '#' && note[p] != '>' && note[p] != '<') ++p;
        if (p >= size) break;  // the file ends inside the tag
        bool valid = note[p] == '#';
        ++p;
        uint64_t number = 0;
        int digits = 0;
        while (valid && p < size && isUpperHexDigit(note[p])) {
            number = number * 16 + static_cast<uint64_t>(note[p] <= '9' ? note[p] - '0' : note[p] - 'A' + 10);
            if (++digits > 8) valid = false;  // wider than an identifier
            ++p;
        }
        if (valid && p >= size) break;  // the file ends before the ">"
        valid = valid && digits > 0 && note[p] == '>';
        if (valid && number == id) {
            size_t start = p + 1;
            size_t end = start;
            while (end < size && note[end] != '<') ++end;
            size_t room = capacity - 1 - written;
            size_t length = end - start < room ? end - start : room;
            std::memcpy(out + written, note + start, length);
            written += length;
            out[written] = 0;
        }
        i = size - i > 9 ? i + 9 : size;
    }
    return static_cast<int>(written);
}

int deepSkyInfo(ObjectId id, const Vector3& observer, DeepSkyInfo& out) {
    out = DeepSkyInfo{};
    DeepSkyRecord record;
    if (objectKind(id) != 1 || !readDeepSky(id - kDeepSkyBase, record)) return 0;
    out.index = static_cast<int32_t>(id - kDeepSkyBase);
    out.type = record.type;
    out.position = widen(record.x, record.y, record.z);
    out.absMag = fixed(record.absMag);
    seenFrom(observer, out.position, out.absMag, out.relative, out.distance, out.appMag);
    detail::deepSkyNameOf(record, out.name);
    switch (record.type) {
        case kOpenCluster:
            out.value1 = record.v.open.diameter;
            out.value2 = record.v.open.logAge;
            out.value3 = fixed(record.v.open.brightest);
            trumplerText(record.v.open.trumpler, out.trumpler);
            break;
        case kPulsar:
        case kGlobularCluster:
            out.value1 = record.v.f.a;
            out.value2 = record.v.f.b;
            out.value3 = record.v.f.c;
            break;
        case kNebula: out.value1 = record.v.f.a; break;
        default: break;
    }
    return 1;
}

}  // namespace catalog

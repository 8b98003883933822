// Object identifiers and positions, the expanded star and deep-sky records, components, notes,
// and the record counts of attached files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "support/synthcatalog.h"

using namespace catalog;
using namespace synth;

namespace {

TEST(ObjectKind, Ranges) {
    EXPECT_EQ(objectKind(0), 0);
    EXPECT_EQ(objectKind(0x00FFFFFF), 0);
    EXPECT_EQ(objectKind(0x01000000), 1);
    EXPECT_EQ(objectKind(0x01FFFFFF), 1);
    EXPECT_EQ(objectKind(0x02000000), 2);
    EXPECT_EQ(objectKind(0x7FFFFFFF), 2);
    EXPECT_EQ(objectKind(0x80000005), 3);
    EXPECT_EQ(objectKind(0xFFFFFFFF), 3);
}

TEST(Attach, CountsIgnoreTrailingBytesAndNullFiles) {
    std::vector<uint8_t> bytes(32 * 3 + 31, 0);
    CatalogFiles files;
    files.data[kStellarData] = bytes.data();
    files.size[kStellarData] = bytes.size();
    files.data[kStellarXdat] = nullptr;
    files.size[kStellarXdat] = 500;  // a null file is empty whatever its size says
    files.data[kStellarSsys] = bytes.data();
    files.size[kStellarSsys] = 39;
    catalogAttach(files);
    EXPECT_EQ(starCount(), 3u);
    EXPECT_EQ(starExtraCount(), 0u);
    EXPECT_EQ(componentRecordCount(), 1u);
    StarRecord star;
    EXPECT_EQ(readStar(2, star), 1);
    EXPECT_EQ(readStar(3, star), 0);
    catalogAttach(CatalogFiles{});
    EXPECT_EQ(starCount(), 0u);
}

TEST(Attach, RecordsAreReadFromUnalignedBytes) {
    SynthCatalog cat;
    cat.addStar({1.5, -2.5, 3.5}, 4.0, 0.5, 0x0552, hdCode(7));
    std::vector<uint8_t> shifted(sizeof(StarRecord) + 1);
    std::memcpy(shifted.data() + 1, cat.stars.data(), sizeof(StarRecord));
    CatalogFiles files;
    files.data[kStellarData] = shifted.data() + 1;
    files.size[kStellarData] = sizeof(StarRecord);
    catalogAttach(files);
    Vector3 p;
    ASSERT_EQ(objectPosition(0, p), 1);
    EXPECT_EQ(p.y, -2.5);
    catalogAttach(CatalogFiles{});
}

class StarCatalogue : public ::testing::Test {
protected:
    SynthCatalog cat;
    const Vector3 sun{0, 0, 0};
};

int sourceCalls = 0;
int testBodyPosition(ObjectId id, Vector3& position) {
    ++sourceCalls;
    if (id != 0x02000001) return 0;
    position = Vector3{7, 8, 9};
    return 1;
}
double testBodyRadius(ObjectId id) { return id == 0x02000001 ? 6371.0 : 0.0; }
const BodySource kTestBodies = {testBodyPosition, testBodyRadius};
const BodySource kOtherBodies = {testBodyPosition, nullptr};

TEST_F(StarCatalogue, PositionsByKindAndTheBodySource) {
    cat.addStar({10, 20, 30}, 1, 0, 0x0552, hipCode(1));
    ObjectId nebula = cat.addDeepSky(kNebula, {-1, -2, -3}, 0, 0);
    cat.attach();

    Vector3 p;
    ASSERT_EQ(objectPosition(0, p), 1);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.z, 30);
    ASSERT_EQ(objectPosition(nebula, p), 1);
    EXPECT_EQ(p.y, -2);
    EXPECT_EQ(objectPosition(1, p), 0);
    EXPECT_EQ(objectPosition(nebula + 1, p), 0);

    // Bodies and components have no position until the star-system subsystem answers for them.
    EXPECT_EQ(objectPosition(0x02000001, p), 0);
    EXPECT_EQ(objectPosition(0x80000000, p), 0);
    EXPECT_EQ(objectRadius(0x02000001), 0.0);
    ASSERT_EQ(registerBodySource(&kTestBodies), 1);
    EXPECT_EQ(registerBodySource(&kOtherBodies), 0) << "one star system answers at a time";
    sourceCalls = 0;
    ASSERT_EQ(objectPosition(0x02000001, p), 1);
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(objectPosition(0x80000003, p), 0);
    EXPECT_EQ(objectPosition(kNoObject, p), 0);  // "none" never reaches the source
    EXPECT_EQ(sourceCalls, 2);
    EXPECT_EQ(objectRadius(0x02000001), 6371.0);
    EXPECT_EQ(objectRadius(0), 0.0) << "stars have no radius from the body source";
    unregisterBodySource(&kOtherBodies);  // not the registered one: nothing changes
    EXPECT_EQ(objectPosition(0x02000001, p), 1);
    unregisterBodySource(&kTestBodies);
    EXPECT_EQ(objectPosition(0x02000001, p), 0);
}

TEST_F(StarCatalogue, StarInfoPhysics) {
    // 10 parsecs from the Sun along x: apparent equals absolute magnitude.
    uint32_t tenParsecs = cat.addStar({32.616, 0, 0}, 4.75, 0.65, 0x0552, hdCode(1));
    uint32_t oneParsec = cat.addStar({0, 3.2616, 0}, 2.0, 0.65, 0x0552, hdCode(2));
    uint32_t heavy = cat.addStar({0, 0, 5}, -1.2, 0.0, 0x0351, hdCode(3));
    uint32_t giant = cat.addStar({0, 0, 5}, -1.2, 0.0, 0x0352, hdCode(4));
    cat.attach();

    StarInfo info;
    ASSERT_EQ(starInfo(tenParsecs, sun, info), 1);
    EXPECT_EQ(info.id, static_cast<int32_t>(tenParsecs));
    EXPECT_STREQ(info.designation, "HD 1");
    EXPECT_STREQ(info.spectral, "K2V");
    EXPECT_NEAR(info.appMag, info.absMag, 1e-6);
    EXPECT_NEAR(info.distance, 32.616, 1e-5);
    EXPECT_NEAR(info.relative.x, 32.616, 1e-5);
    EXPECT_NEAR(info.absMag, 4.75, 1e-9);
    EXPECT_NEAR(info.colourBV, 0.6484375, 1e-9);  // 166 / 256
    EXPECT_NEAR(info.temperature, 5222.8, 0.1);
    EXPECT_NEAR(info.luminosity, 1.047, 1e-3);  // a Sun-like star
    EXPECT_NEAR(info.estRadius, 1.37, 0.01);
    EXPECT_EQ(info.hasExtra, 0);
    EXPECT_STREQ(info.bayerName, "");

    ASSERT_EQ(starInfo(oneParsec, sun, info), 1);
    EXPECT_NEAR(info.appMag, info.absMag - 5, 1e-6);

    // Seen from an observer placed 10 parsecs beyond the star.
    ASSERT_EQ(starInfo(tenParsecs, Vector3{32.616, -32.616, 0}, info), 1);
    EXPECT_NEAR(info.relative.y, 32.616, 1e-9);
    EXPECT_NEAR(info.relative.x, 0, 1e-5);
    EXPECT_NEAR(info.appMag, info.absMag, 1e-6);
    EXPECT_NEAR(info.position.x, 32.616, 1e-5);  // the position stays the catalogue's

    // The mass law switches between spectral low bytes 0x51 and 0x52.
    StarInfo a, b;
    starInfo(heavy, sun, a);
    starInfo(giant, sun, b);
    EXPECT_NEAR(a.solarMass, std::sqrt(std::sqrt(a.luminosity)), 1e-12);
    EXPECT_NEAR(b.solarMass, std::sqrt(b.luminosity * 1.6666666666666667), 1e-12);
    EXPECT_GT(b.solarMass, a.solarMass);

    EXPECT_EQ(starInfo(99, sun, info), 0);
    EXPECT_EQ(info.id, 0);
}

TEST_F(StarCatalogue, StarInfoExtraRecord) {
    uint32_t star = cat.addStar({1, 0, 0}, 0, 0, 0x0552, hdCode(9));
    cat.addExtra(star, bayerCode(0, 0, 58, 59), 0.5, 1.25, 2.5f, 3.0f, 40);
    uint32_t broken = cat.addStar({1, 0, 0}, 0, 0, 0x0552, hdCode(10));
    cat.stars[broken].extra = 1;  // one past the last extra record
    cat.attach();

    StarInfo info;
    starInfo(star, sun, info);
    EXPECT_EQ(info.hasExtra, 1);
    EXPECT_STREQ(info.bayerName, "Alp Ori");
    EXPECT_STREQ(info.flamsteedName, "58 Ori");
    EXPECT_EQ(info.minMag, 0.5);
    EXPECT_EQ(info.maxMag, 1.25);
    EXPECT_EQ(info.varPeriod, 2.5);
    EXPECT_EQ(info.knownRadius, 3.0);
    EXPECT_EQ(info.radialSpeed, 40);
    longNames = 1;
    starInfo(star, sun, info);
    longNames = 0;
    EXPECT_STREQ(info.bayerName, "Alpha Orionis");

    starInfo(broken, sun, info);
    EXPECT_EQ(info.hasExtra, 0);
    EXPECT_STREQ(info.flamsteedName, "");
    EXPECT_EQ(info.radialSpeed, 0);
}

TEST(StarColourIndex, TemperaturesAndClamps) {
    EXPECT_EQ(starColourIndex(fixed88(0.65)), 31);  // 5216 K
    // Hot stars clamp to 127 from just above −0.82 up to about −0.131.
    EXPECT_EQ(starColourIndex(-209), 127);  // −0.816
    EXPECT_EQ(starColourIndex(fixed88(-0.2)), 127);
    EXPECT_EQ(starColourIndex(fixed88(-0.131)), 127);
    EXPECT_LT(starColourIndex(fixed88(-0.1)), 127);
    // Red stars below 3770 K, and anything below −0.82 (a negative temperature), clamp to 0.
    EXPECT_EQ(starColourIndex(fixed88(1.8)), 0);
    EXPECT_EQ(starColourIndex(fixed88(-0.9)), 0);
    EXPECT_EQ(starColourIndex(-32768), 0);
    EXPECT_GT(starColourIndex(fixed88(1.3)), 0);
    for (int bv = -32768; bv <= 32767; bv += 97) {
        int c = starColourIndex(static_cast<int16_t>(bv));
        ASSERT_GE(c, 0);
        ASSERT_LE(c, 127);
    }
}

TEST_F(StarCatalogue, ComponentWalks) {
    uint32_t single = cat.addStar({}, 0, 0, 0x0552, hdCode(1));
    uint32_t triple = cat.addStar({}, 0, 0, 0x0552, hdCode(2));
    cat.addComponents(triple, {component('A', ' ', 0x0552, 1.5, (123u << 16) | 4567, 0.01f, 1.0),
                               component('B', 'a', 0x8012, -0.5, (12345u << 16) | 0xFFFF, 0.02f, -2.0),
                               component('C', ' ', 0xFFFF, 9.0, (5u << 16) | 0x8000, 0.03f, 0)});
    uint32_t one = cat.addStar({}, 0, 0, 0x0552, hdCode(3));
    cat.addComponents(one, {component('A', 'B', 0x0525, 3, 0, 0, 0)});
    // The file's last record lacks its last-component bit: the walk ends at the end of the file.
    uint32_t open = cat.addStar({}, 0, 0, 0x0552, hdCode(4));
    cat.addComponents(open, {component('A', ' ', 0x0525, 3, 0, 0, 0), component('B', ' ', 0x0525, 3, 0, 0, 0)});
    cat.components.back().letter2 &= 0x7F;
    uint32_t pastEnd = cat.addStar({}, 0, 0, 0x0552, hdCode(5));
    cat.stars[pastEnd].firstComponent = 100;
    cat.attach();

    EXPECT_EQ(componentCount(single), 0);
    ComponentInfo info;
    EXPECT_EQ(firstComponent(single, info), 0);

    EXPECT_EQ(componentCount(triple), 3);
    ASSERT_EQ(firstComponent(triple, info), 1);
    EXPECT_EQ(info.index, 0);
    EXPECT_EQ(info.letter1, 'A');
    EXPECT_STREQ(info.spectral, "K2V");
    EXPECT_EQ(info.magnitude, 1.5);
    EXPECT_STREQ(info.ccdm, "00123+4567");
    EXPECT_NEAR(info.separation, 0.01, 1e-7);
    EXPECT_EQ(info.angle, 1.0);
    ASSERT_EQ(nextComponent(info), 1);
    EXPECT_EQ(info.index, 1);
    EXPECT_EQ(info.letter2, 'a');
    EXPECT_STREQ(info.spectral, "DB2");
    EXPECT_STREQ(info.ccdm, "12345-0001");
    EXPECT_EQ(info.angle, -2.0);
    ASSERT_EQ(nextComponent(info), 1);
    EXPECT_EQ(info.letter2, ' ');  // without the last-component bit
    EXPECT_STREQ(info.spectral, "");
    EXPECT_STREQ(info.ccdm, "00005+3276");  // 0x8000 counts as north; the text is cut at ten
    EXPECT_EQ(nextComponent(info), 0);
    EXPECT_EQ(info.index, 2);

    EXPECT_EQ(componentCount(one), 1);
    ASSERT_EQ(firstComponent(one, info), 1);
    EXPECT_EQ(info.letter2, 'B');
    EXPECT_EQ(nextComponent(info), 0);

    EXPECT_EQ(componentCount(open), 2);
    ASSERT_EQ(firstComponent(open, info), 1);
    ASSERT_EQ(nextComponent(info), 1);
    EXPECT_EQ(nextComponent(info), 0);

    EXPECT_EQ(componentCount(pastEnd), 0);
    EXPECT_EQ(firstComponent(pastEnd, info), 0);
    EXPECT_EQ(componentCount(1000), 0);
    info.index = -4;
    EXPECT_EQ(nextComponent(info), 0);
}

class Notes : public ::testing::Test {
protected:
    SynthCatalog cat;
    std::string note(ObjectId id, size_t capacity = 256) {
        std::vector<char> out(capacity, 'x');
        int n = noteText(id, out.data(), capacity);
        std::string text(out.data());
        EXPECT_EQ(static_cast<size_t>(n), text.size());
        return text;
    }
};

TEST_F(Notes, TagsAndRepeatedNotes) {
    cat.addNote(0xF8FC, "Our star.");
    cat.note += "<nDeepSky#01000002>Nebula text\n";
    cat.addNote(5, "first");
    cat.note += "<n#0000f8fc>lower-case tag";
    cat.addNote(5, " second");
    cat.attach();

    EXPECT_EQ(note(0xF8FC), "Our star.");  // the lower-case tag is not this star's
    EXPECT_EQ(note(0x01000002), "Nebula text\n");
    EXPECT_EQ(note(5), "first second");
    EXPECT_EQ(note(6), "");
    EXPECT_EQ(note(5, 4), "fir");  // cut to the buffer, always terminated
}

TEST_F(Notes, BrokenTagsEndTheScanSafely) {
    struct Case {
        const char* file;
        const char* expected;  // the note of object 5
    };
    const Case cases[] = {
        {"<n#0000000", ""},              // ends inside the number
        {"<n#00000005", ""},             // no ">"
        {"<n", ""},                      // ends after "<n"
        {"<nabc", ""},                   // ends before "#"
        {"<nabcdefgh>x<n#5>y", "y"},     // a tag without "#" is skipped
        {"x<n#5", ""},                   // less than nine bytes after the "<"
        {"<n#00000005>", ""},            // a tag and no text at the very end
        {"<n#00000005>a<", "a"},         // text up to a "<" that is the last byte
        {"<n#GGGGGGGG>t<n#5>y", "y"},    // a bad digit skips the tag
        {"<n#GG>t<n#5>y", ""},           // ... and the scan resumes nine bytes after its "<"
        {"<n#123456789>z<n#5>ok", "ok"}, // nine digits are no identifier
    };
    for (const Case& c : cases) {
        // Exactly the file's bytes, so that a read past them would be caught.
        std::vector<uint8_t> bytes(c.file, c.file + std::strlen(c.file));
        CatalogFiles files;
        files.data[kStellarNote] = bytes.data();
        files.size[kStellarNote] = bytes.size();
        catalogAttach(files);
        EXPECT_EQ(note(5), c.expected) << c.file;
    }
    catalogAttach(CatalogFiles{});
    char none[1] = {'x'};
    EXPECT_EQ(noteText(5, none, 0), 0);
    EXPECT_EQ(none[0], 'x');
}

TEST_F(StarCatalogue, DeepSkyInfoByType) {
    ObjectId open = cat.addDeepSky(kOpenCluster, {32.616, 0, 0}, -2.0, (32u << 24) | 45);
    cat.deepSky.back().v.open.diameter = 12.5f;
    cat.deepSky.back().v.open.logAge = 8.1f;
    cat.deepSky.back().v.open.brightest = fixed88(2.75);
    cat.deepSky.back().v.open.trumpler = (1 << 13) | (3 << 11) | (3 << 9) | 0x100 | 7;
    ObjectId pulsar = cat.addDeepSky(kPulsar, {0, 1, 0}, 0, (531u << 16) | (21u << 8) | ' ', 0.033f, 1.5f, 3.1f);
    ObjectId globular = cat.addDeepSky(kGlobularCluster, {}, 0, 13u << 24, 1.0f, 1.5f, 3.0f);
    ObjectId nebula = cat.addDeepSky(kNebula, {}, 0, (13u << 24) | 5, 24.0f, 7.0f, 8.0f);
    ObjectId unnamed = cat.addDeepSky(kDeepSkyUnnamed, {}, 1, 12345, 1.0f, 2.0f, 3.0f);
    cat.attach();

    DeepSkyInfo info;
    ASSERT_EQ(deepSkyInfo(open, sun, info), 1);
    EXPECT_EQ(info.index, 0);
    EXPECT_EQ(info.type, kOpenCluster);
    EXPECT_STREQ(info.name, "Pleiades");
    EXPECT_NEAR(info.appMag, -2.0, 1e-6);
    EXPECT_NEAR(info.distance, 32.616, 1e-5);
    EXPECT_EQ(info.value1, 12.5);
    EXPECT_NEAR(info.value2, 8.1, 1e-6);
    EXPECT_EQ(info.value3, 2.75);
    EXPECT_STREQ(info.trumpler, "1 3 m n (7)");

    ASSERT_EQ(deepSkyInfo(pulsar, sun, info), 1);
    EXPECT_STREQ(info.name, "PSR B0531+21");
    EXPECT_NEAR(info.value1, 0.033, 1e-7);
    EXPECT_NEAR(info.value3, 3.1, 1e-6);
    EXPECT_STREQ(info.trumpler, "");

    ASSERT_EQ(deepSkyInfo(globular, sun, info), 1);
    EXPECT_STREQ(info.name, "M 13");
    EXPECT_EQ(info.value3, 3.0);

    ASSERT_EQ(deepSkyInfo(nebula, sun, info), 1);
    EXPECT_EQ(info.value1, 24.0);
    EXPECT_EQ(info.value2, 0);  // a nebula has only its diameter

    ASSERT_EQ(deepSkyInfo(unnamed, sun, info), 1);
    EXPECT_STREQ(info.name, "");
    EXPECT_EQ(info.value1, 0);
    EXPECT_EQ(info.absMag, 1);

    EXPECT_EQ(deepSkyInfo(unnamed + 1, sun, info), 0);
    EXPECT_EQ(deepSkyInfo(3, sun, info), 0);
}

}  // namespace

// Exact name lookup (index against a plain scan) and the wildcard search order.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "support/synthcatalog.h"

using namespace catalog;
using namespace synth;

namespace {

// The lookup as a scan in catalogue order, from the public name operations only.
ObjectId scanLookup(const std::string& name) {
    if (name.empty()) return kNoObject;
    char text[kNameSize];
    for (uint32_t i = 0; i < starCount(); ++i) {
        StarRecord star;
        readStar(i, star);
        mainDesignation(star.designation, text);
        if (name == text) return i;
        StarExtraRecord extra;
        if (star.extra < 0 || !readStarExtra(static_cast<uint32_t>(star.extra), extra)) continue;
        char names[3][kNameSize];
        extraNames(extra.designation, names[0], names[1], names[2]);
        for (auto& n : names)
            if (name == n) return i;
    }
    for (uint32_t i = 0; i < deepSkyCount(); ++i) {
        deepSkyName(kDeepSkyBase + i, text);
        if (name == text) return kDeepSkyBase + i;
    }
    return kNoObject;
}

// Many repeated names across stars, forms and deep-sky objects, so that the first match matters.
void fillRandomCatalogue(SynthCatalog& cat, int stars, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<unsigned>(rng() % static_cast<unsigned>(n)); };
    for (int i = 0; i < stars; ++i) {
        uint32_t main;
        switch (pick(4)) {
            case 0: main = hipCode(pick(300)); break;
            case 1: main = hdCode(pick(300)); break;
            case 2: main = durchmusterungCode(2 + static_cast<int>(pick(3)), static_cast<int>(pick(40)) - 20, pick(50)); break;
            default: main = 0x09000000u | pick(10); break;  // no main designation
        }
        uint32_t s = cat.addStar({}, 1, 0.5, 0x0552, main);
        switch (pick(10)) {
            case 0: case 1: case 2:
                cat.addExtra(s, bayerCode(pick(26), pick(3), pick(5), pick(90)));  // some invalid rows
                break;
            case 3: cat.addExtra(s, extraCode(0, pick(100))); break;
            case 4: cat.addExtra(s, extraCode(2, (('R' + pick(3)) << 16) | (('S' + pick(3)) << 8) | pick(89))); break;
            case 5: cat.addExtra(s, extraCode(5, pick(20000))); break;
            case 6: cat.addExtra(s, extraCode(pick(12), pick(3))); break;  // NN, Sol, empty, …
            case 7: cat.stars[s].extra = 1 << 20; break;  // dangling link
            default: break;
        }
    }
    for (int i = 0; i < stars / 10; ++i) {
        switch (pick(3)) {
            case 0: cat.addDeepSky(kOpenCluster, {}, 0, (pick(4) << 24) | pick(300)); break;
            case 1: cat.addDeepSky(kNebula, {}, 0, (pick(16) << 24) | pick(300)); break;
            default: cat.addDeepSky(kGlobularCluster, {}, 0, (pick(20) << 24) | pick(300)); break;
        }
    }
}

TEST(FindByName, IndexAnswersAsTheScanInBothForms) {
    SynthCatalog cat;
    fillRandomCatalogue(cat, 1500, 11);
    cat.attach();

    // Every name the catalogue bears, in both forms, plus names nobody bears.
    std::set<std::string> queries = {"HD 100000", "Alp", "Alp Cen ", "", "NN ", "M 13x"};
    for (int form = 0; form < 2; ++form) {
        longNames = form;
        for (uint32_t i = 0; i < starCount(); ++i) {
            char text[kNameSize];
            StarRecord star;
            readStar(i, star);
            mainDesignation(star.designation, text);
            queries.insert(text);
            StarExtraRecord extra;
            if (star.extra >= 0 && readStarExtra(static_cast<uint32_t>(star.extra), extra)) {
                char names[3][kNameSize];
                extraNames(extra.designation, names[0], names[1], names[2]);
                for (auto& n : names) queries.insert(n);
            }
        }
        for (uint32_t i = 0; i < deepSkyCount(); ++i) {
            char text[kNameSize];
            deepSkyName(kDeepSkyBase + i, text);
            queries.insert(text);
        }
    }
    ASSERT_GT(queries.size(), 300u);
    int found = 0;
    for (int form = 0; form < 2; ++form) {
        longNames = form;
        for (const std::string& q : queries) {
            ObjectId expected = scanLookup(q);
            ASSERT_EQ(findByName(q.c_str()), expected) << "'" << q << "' form " << form;
            found += expected != kNoObject;
        }
    }
    longNames = 0;
    EXPECT_GT(found, 300);
}

TEST(FindByName, FirstMatchFormsAndReattach) {
    {
        SynthCatalog cat;
        cat.addStar({}, 0, 0, 0, hdCode(5));
        uint32_t alpha = cat.addStar({}, 0, 0, 0, hdCode(6));
        cat.addExtra(alpha, bayerCode(0, 0, 0, 18));
        uint32_t again = cat.addStar({}, 0, 0, 0, hdCode(5));  // the same designation later
        cat.addExtra(again, extraCode(5, 5591));
        ObjectId cluster = cat.addDeepSky(kOpenCluster, {}, 0, (1u << 24) | 7);
        cat.addDeepSky(kNebula, {}, 0, (3u << 24) | 7);  // "NGC 7" again
        cat.attach();

        EXPECT_EQ(findByName("HD 5"), 0u);
        EXPECT_EQ(findByName("Alp Cen"), alpha);
        EXPECT_EQ(findByName("Alpha Centauri"), kNoObject);  // short form active
        longNames = 1;
        EXPECT_EQ(findByName("Alpha Centauri"), alpha);
        EXPECT_EQ(findByName("Alp Cen"), kNoObject);
        EXPECT_EQ(findByName("Gl 559"), again);  // the same in both forms
        longNames = 0;
        EXPECT_EQ(findByName("NGC 7"), cluster);
        EXPECT_EQ(findByName("hd 5"), kNoObject);
        EXPECT_EQ(findByName("HD 5 "), kNoObject);
        // An empty name matches nothing, not the first star with an empty extra name.
        EXPECT_EQ(findByName(""), kNoObject);
        EXPECT_EQ(findByName(nullptr), kNoObject);
        EXPECT_EQ(findByName(std::string(100, 'H').c_str()), kNoObject);
    }
    // A new catalogue gets a new index.
    SynthCatalog other;
    other.addStar({}, 0, 0, 0, hdCode(1));
    other.addStar({}, 0, 0, 0, hdCode(5));
    other.attach();
    EXPECT_EQ(findByName("HD 5"), 1u);
    EXPECT_EQ(findByName("Alp Cen"), kNoObject);
}

TEST(SearchNext, StarsThenDeepSkyInOrder) {
    SynthCatalog cat;
    cat.addStar({}, 0, 0, 0, hdCode(10));                 // 0: matches by designation
    uint32_t gliese = cat.addStar({}, 0, 0, 0, hipCode(5));  // 1: matches by its Gliese name
    cat.addExtra(gliese, extraCode(5, 100));              // "Gl 10"
    cat.addStar({}, 0, 0, 0, hdCode(11));                 // 2: no match
    uint32_t longOnly = cat.addStar({}, 0, 0, 0, hdCode(12));  // 3: only its long form matches
    cat.addExtra(longOnly, bayerCode(0, 0, 0, 10));       // Alp Cam / Alpha Camelopardalis
    cat.addDeepSky(kOpenCluster, {}, 0, (1u << 24) | 10);    // NGC 10
    cat.addDeepSky(kOpenCluster, {}, 0, (1u << 24) | 11);    // NGC 11
    cat.addDeepSky(kGlobularCluster, {}, 0, 10u << 24);      // M 10
    cat.attach();

    std::vector<ObjectId> hits;
    for (ObjectId id = searchNext(kNoObject, "*10"); id != kNoObject; id = searchNext(id, "*10")) {
        hits.push_back(id);
        ASSERT_LT(hits.size(), 10u);
    }
    EXPECT_EQ(hits, (std::vector<ObjectId>{0, 1, kDeepSkyBase, kDeepSkyBase + 2}));

    EXPECT_EQ(searchNext(kNoObject, "Alpha C*"), 3u);
    EXPECT_EQ(searchNext(kNoObject, "Alp Cam"), 3u);
    EXPECT_EQ(longNames, 0);
    EXPECT_EQ(searchNext(1, "*10"), kDeepSkyBase);
    EXPECT_EQ(searchNext(kDeepSkyBase - 1, "HD*"), kNoObject);  // starts among the deep-sky objects
    EXPECT_EQ(searchNext(kDeepSkyBase + 2, "*"), kNoObject);
    EXPECT_EQ(searchNext(0x02000000, "*"), kNoObject);
    EXPECT_EQ(searchNext(kNoObject, "hd*"), kNoObject);
    EXPECT_EQ(searchNext(kNoObject, nullptr), kNoObject);
}

// The scan as searchNext defines it, from the public name operations only, in either case rule.
std::vector<ObjectId> scanSearch(const char* pattern, LetterCase letterCase) {
    std::vector<ObjectId> hits;
    char text[kNameSize];
    for (uint32_t i = 0; i < starCount(); ++i) {
        StarRecord star;
        readStar(i, star);
        mainDesignation(star.designation, text);
        bool hit = matchPattern(pattern, text, letterCase);
        StarExtraRecord extra;
        if (!hit && star.extra >= 0 && readStarExtra(static_cast<uint32_t>(star.extra), extra)) {
            for (int form = 0; form < 2 && !hit; ++form) {
                longNames = form;
                char names[3][kNameSize];
                extraNames(extra.designation, names[0], names[1], names[2]);
                for (auto& n : names) hit = hit || matchPattern(pattern, n, letterCase);
            }
            longNames = 0;
        }
        if (hit) hits.push_back(i);
    }
    for (uint32_t i = 0; i < deepSkyCount(); ++i) {
        deepSkyName(kDeepSkyBase + i, text);
        if (matchPattern(pattern, text, letterCase)) hits.push_back(kDeepSkyBase + i);
    }
    return hits;
}

TEST(SearchSome, PiecesOfAnyBudgetFindWhatTheScanFindsInEitherCase) {
    SynthCatalog cat;
    fillRandomCatalogue(cat, 1200, 5);
    cat.attach();
    const char* patterns[] = {"alp*", "Alp*", "*cen", "HD 1*", "hd 1?", "bd-1? *", "M ?", "ngc*", "*", "Gl 1*", "x"};
    for (const char* pattern : patterns) {
        for (LetterCase letterCase : {LetterCase::kSensitive, LetterCase::kIgnored}) {
            const std::vector<ObjectId> expected = scanSearch(pattern, letterCase);
            std::vector<ObjectId> viaNext;
            for (ObjectId id = searchNext(kNoObject, pattern, letterCase); id != kNoObject;
                 id = searchNext(id, pattern, letterCase))
                viaNext.push_back(id);
            EXPECT_EQ(viaNext, expected) << pattern;
            for (uint32_t budget : {1u, 7u, 500u}) {
                std::vector<ObjectId> pieces;
                SearchCursor cursor;
                for (int calls = 0; cursor.next != kNoObject; ++calls) {
                    ASSERT_LT(calls, 20000);
                    const ObjectId id = searchSome(cursor, pattern, budget, letterCase);
                    if (id != kNoObject) pieces.push_back(id);
                }
                EXPECT_EQ(pieces, expected) << pattern << " budget " << budget;
            }
            EXPECT_EQ(longNames, 0);
        }
    }
    // Upper and lower case find the same objects once case is ignored, and more than either
    // finds with case.
    EXPECT_EQ(scanSearch("alp*", LetterCase::kIgnored), scanSearch("ALP*", LetterCase::kIgnored));
    EXPECT_TRUE(scanSearch("alp*", LetterCase::kSensitive).empty());
    EXPECT_FALSE(scanSearch("alp*", LetterCase::kIgnored).empty());
}

TEST(MatchPattern, IgnoringCaseFoldsLettersOnly) {
    EXPECT_TRUE(matchPattern("alp*", "Alpha Centauri", LetterCase::kIgnored));
    EXPECT_TRUE(matchPattern("*cen", "Alp1 Cen", LetterCase::kIgnored));
    EXPECT_TRUE(matchPattern("hip 7?", "HIP 71", LetterCase::kIgnored));
    EXPECT_FALSE(matchPattern("alp*", "Alpha Centauri"));
    EXPECT_FALSE(matchPattern("gl 1[", "Gl 1{", LetterCase::kIgnored));  // [ and { are not letters
    EXPECT_FALSE(matchPattern("M 4?", "m 4", LetterCase::kIgnored));
}

TEST(ComponentInfo, ByRecordIndexAsTheStarsWalkGivesIt) {
    SynthCatalog cat;
    const uint32_t star = cat.addStar({}, 0, 0, 0x0552, hdCode(1));
    ComponentRecord a{}, b{};
    a.letter1 = 'A';
    a.letter2 = ' ';
    a.spectral = 0x0552;
    a.magnitude = 256;
    a.ccdm = (123u << 16) | 4567u;
    b.letter1 = 'B';
    b.letter2 = static_cast<uint8_t>(' ' | kLastComponent);
    b.spectral = 0x0525;
    b.ccdm = (123u << 16) | (0x10000u - 45u);
    cat.addComponents(star, {a, b});
    cat.attach();
    ComponentInfo walked{}, direct{};
    ASSERT_EQ(firstComponent(star, walked), 1);
    ASSERT_EQ(nextComponent(walked), 1);
    ASSERT_EQ(componentInfo(static_cast<uint32_t>(walked.index), direct), 1);
    EXPECT_EQ(direct.index, walked.index);
    EXPECT_EQ(direct.letter1, 'B');
    EXPECT_STREQ(direct.ccdm, "00123-0045");
    EXPECT_STREQ(direct.spectral, "A5V");
    EXPECT_EQ(componentInfo(2, direct), 0);
    EXPECT_EQ(direct.letter1, 'B');  // untouched
}

}  // namespace

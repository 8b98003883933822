// Designation, spectral, deep-sky and Trumpler texts, the best name and the wildcard match.
#include <gtest/gtest.h>

#include <string>

#include "catalog/catalog.h"
#include "support/synthcatalog.h"

using namespace catalog;
using namespace synth;

namespace {

std::string main(uint32_t code) {
    char out[kNameSize];
    mainDesignation(code, out);
    return out;
}

struct Extra {
    std::string bayer, flamsteed, other;
};

Extra extra(uint32_t code, int form = 0) {
    Extra e;
    char b[kNameSize], f[kNameSize], o[kNameSize];
    int saved = longNames;
    longNames = form;
    extraNames(code, b, f, o);
    longNames = saved;
    return {b, f, o};
}

std::string spectral(uint16_t code) {
    char out[kNameSize];
    spectralText(code, out);
    return out;
}

std::string trumpler(uint16_t word) {
    char out[kTrumplerSize];
    trumplerText(word, out);
    return out;
}

TEST(MainDesignation, CataloguesAndDurchmusterungZones) {
    EXPECT_EQ(main(hipCode(71683)), "HIP 71683");
    EXPECT_EQ(main(hdCode(48915)), "HD 48915");
    EXPECT_EQ(main(0x02007F0C), "BD+00 32524");
    EXPECT_EQ(main(durchmusterungCode(2, -16, 123)), "BD-16   123");  // number right-aligned in six
    EXPECT_EQ(main(durchmusterungCode(3, 127, 1)), "CD+127     1");   // 0x7F is still north
    EXPECT_EQ(main(durchmusterungCode(4, -1, 65535)), "CP-01 65535");
    EXPECT_EQ(main(durchmusterungCode(3, -128, 7)), "CD-128     7");  // 0x80 is the first south zone
    EXPECT_EQ(main(0x05000001), "");
    EXPECT_EQ(main(0xFFFFFFFF), "");
}

TEST(ExtraNames, BayerAndFlamsteedInBothForms) {
    Extra s = extra(bayerCode(0, 2, 21, 0), 0);
    EXPECT_EQ(s.bayer, "Alp2 And");
    EXPECT_EQ(s.flamsteed, "21 And");
    EXPECT_EQ(s.other, "");
    Extra l = extra(bayerCode(0, 2, 21, 0), 1);
    EXPECT_EQ(l.bayer, "Alpha2 Andromedae");
    EXPECT_EQ(l.flamsteed, "21 Andromedae");

    Extra f = extra(bayerCode(31, 0, 5, 0));
    EXPECT_EQ(f.bayer, "");
    EXPECT_EQ(f.flamsteed, " 5 And");
    // The last Greek letter and constellation rows, and the kept spellings.
    EXPECT_EQ(extra(bayerCode(23, 0, 0, 87), 1).bayer, "Omega Vulpeculae");
    EXPECT_EQ(extra(bayerCode(1, 0, 0, 1), 1).bayer, "Beta Antiliae");
    EXPECT_EQ(extra(bayerCode(2, 0, 0, 34), 1).bayer, "Gamma Equuiel");
    EXPECT_EQ(extra(bayerCode(2, 0, 0, 34), 0).bayer, "Gam Equ");
    EXPECT_EQ(extra(bayerCode(14, 0, 0, 80), 1).bayer, "Omicron Trianguli Australis");
}

TEST(ExtraNames, RowsOutsideTheTablesGiveEmptyNames) {
    EXPECT_EQ(extra(bayerCode(24, 0, 0, 0)).bayer, "");  // Greek 24..30 are invalid
    EXPECT_EQ(extra(bayerCode(30, 0, 3, 0)).bayer, "");
    EXPECT_EQ(extra(bayerCode(30, 0, 3, 0)).flamsteed, " 3 And");
    Extra beyond = extra(bayerCode(0, 0, 3, 88));  // constellation 88 does not exist
    EXPECT_EQ(beyond.bayer, "");
    EXPECT_EQ(beyond.flamsteed, "");
    EXPECT_EQ(extra(extraCode(2, ('R' << 16) | ('R' << 8) | 200)).other, "");
    EXPECT_EQ(extra(extraCode(3, (12 << 8) | 255)).other, "");
    Extra none = extra(0xFFFFFFFF);
    EXPECT_EQ(none.bayer + none.flamsteed + none.other, "");
    EXPECT_EQ(extra(extraCode(11, 5)).other, "");
}

TEST(ExtraNames, OtherDesignations) {
    EXPECT_EQ(extra(extraCode(0, 2491)).other, "HR 2491");
    uint32_t rrLyr = extraCode(2, ('R' << 16) | ('R' << 8) | 51);
    EXPECT_EQ(extra(rrLyr, 0).other, "RR Lyr");
    EXPECT_EQ(extra(rrLyr, 1).other, "RR Lyrae");
    uint32_t v = extraCode(3, (1057 << 8) | 30);
    EXPECT_EQ(extra(v, 0).other, "V1057 Cyg");
    EXPECT_EQ(extra(v, 1).other, "V1057 Cyg");  // always the short form
    EXPECT_EQ(extra(extraCode(4, 77)).other, "Var 77");
    EXPECT_EQ(extra(extraCode(5, 5591)).other, "Gl 559");
    EXPECT_EQ(extra(extraCode(5, 9999)).other, "Gl 999");
    EXPECT_EQ(extra(extraCode(5, 10010)).other, "Gl 1001.0");
    EXPECT_EQ(extra(extraCode(5, 10017)).other, "Gl 1001.7");
    EXPECT_EQ(extra(extraCode(6, 9)).other, "Wolley 9");
    EXPECT_EQ(extra(extraCode(7, 123)).other, "NN");
    EXPECT_EQ(extra(extraCode(8, (99 << 8) | 44)).other, "G099-044");
    EXPECT_EQ(extra(extraCode(9, 789)).other, "Luyten 789");
    EXPECT_EQ(extra(extraCode(10, 0)).other, "Sol");
    EXPECT_EQ(extra(extraCode(10, 1)).other, "");
}

TEST(SpectralText, ExamplesAndSpecialKinds) {
    EXPECT_EQ(spectral(0x0552), "K2V");
    EXPECT_EQ(spectral(0x0525), "A5V");
    EXPECT_EQ(spectral(0x1546), "dG6V");
    EXPECT_EQ(spectral(0x0320), "A0III");
    EXPECT_EQ(spectral(0x8012), "DB2");
    EXPECT_EQ(spectral(0x2013), "f-k");
    EXPECT_EQ(spectral(0x4001), "WC");

    EXPECT_EQ(spectral(0x4000), "WN");
    EXPECT_EQ(spectral(0x4002), "WR");
    EXPECT_EQ(spectral(0x4003), "");
    EXPECT_EQ(spectral(0x80F5), "D5");   // no letter
    EXPECT_EQ(spectral(0x801F), "DB");   // no subclass
    EXPECT_EQ(spectral(0x8093), "D.3");  // letters past "Z" read as "."
    EXPECT_EQ(spectral(0x2FFF), "pec");
    EXPECT_EQ(spectral(0x2EFF), "...");
    EXPECT_EQ(spectral(0x20F3), "-k");
    EXPECT_EQ(spectral(0x204F), "m");
    EXPECT_EQ(spectral(0x0AF0), "");     // class 15 ends the text
    EXPECT_EQ(spectral(0x1FF0), "d");
    EXPECT_EQ(spectral(0x0B91), "S1IIIb");
    EXPECT_EQ(spectral(0x0C72), "N2");   // luminosity 12..15 add nothing
    EXPECT_EQ(spectral(0x0600), "O0Ia");
    EXPECT_EQ(spectral(0xFFFF), "");
}

TEST(Trumpler, ClassWord) {
    EXPECT_EQ(trumpler((1 << 13) | (2 << 11) | (2 << 9) | 0x100 | 12), "1 2 p n (12)");
    EXPECT_EQ(trumpler(0), "0 0   - (0)");
    EXPECT_EQ(trumpler(0xFFFF), "7 3 m n (255)");
}

class NamedCatalogue : public ::testing::Test {
protected:
    SynthCatalog cat;
    std::string deepName(ObjectId id) {
        char out[kNameSize];
        deepSkyName(id, out);
        return out;
    }
    std::string best(uint32_t star, int form = 0) {
        char out[kNameSize];
        int saved = longNames;
        longNames = form;
        starName(star, out);
        longNames = saved;
        return out;
    }
};

TEST_F(NamedCatalogue, DeepSkyNamesByType) {
    ObjectId ngc = cat.addDeepSky(kOpenCluster, {}, 0, (1u << 24) | 2632);
    ObjectId pleiades = cat.addDeepSky(kOpenCluster, {}, 0, (32u << 24) | 45);
    ObjectId trapezium = cat.addDeepSky(kOpenCluster, {}, 0, (30u << 24) | 1);
    ObjectId aveni = cat.addDeepSky(kOpenCluster, {}, 0, (53u << 24) | 2);
    ObjectId blank = cat.addDeepSky(kOpenCluster, {}, 0, (12u << 24) | 7);
    ObjectId r378 = cat.addDeepSky(kOpenCluster, {}, 0, (62u << 24) | 3);
    ObjectId badOpen = cat.addDeepSky(kOpenCluster, {}, 0, (63u << 24) | 3);
    ObjectId psrJ = cat.addDeepSky(kPulsar, {}, 0, (437u << 16) | (0xB5u << 8) | 'A');  // −75
    ObjectId psrB = cat.addDeepSky(kPulsar, {}, 0, (1919u << 16) | (21u << 8) | ' ');
    ObjectId psrSouth = cat.addDeepSky(kPulsar, {}, 0, (833u << 16) | (0xD3u << 8) | ' ');
    ObjectId psrJPlain = cat.addDeepSky(kPulsar, {}, 0, (1748u << 16) | (0xE4u << 8) | 0x10);
    ObjectId messier = cat.addDeepSky(kGlobularCluster, {}, 0, (13u << 24) | 0x00FFFFFF);
    ObjectId pal = cat.addDeepSky(kGlobularCluster, {}, 0, 0xFF000000u | (1u << 16) | 5);
    ObjectId tuc = cat.addDeepSky(kGlobularCluster, {}, 0, 0xFF000000u | (15u << 16) | 0);
    ObjectId uks = cat.addDeepSky(kGlobularCluster, {}, 0, 0xFF000000u | (15u << 16) | 7);
    ObjectId badNamed = cat.addDeepSky(kGlobularCluster, {}, 0, 0xFF000000u | (15u << 16) | 8);
    ObjectId badGlobular = cat.addDeepSky(kGlobularCluster, {}, 0, 0xFF000000u | (14u << 16) | 8);
    ObjectId type3 = cat.addDeepSky(kDeepSkyUnnamed, {}, 0, (1u << 24) | 5);
    ObjectId sh = cat.addDeepSky(kNebula, {}, 0, (15u << 24) | 155);
    ObjectId orion = cat.addDeepSky(kNebula, {}, 0, (13u << 24) | 5);
    ObjectId horse = cat.addDeepSky(kNebula, {}, 0, (13u << 24) | 17);
    ObjectId badNebula = cat.addDeepSky(kNebula, {}, 0, (13u << 24) | 18);
    ObjectId noName = cat.addDeepSky(kNebula, {}, 0, 0xFF000123u);
    ObjectId messierNebula = cat.addDeepSky(kNebula, {}, 0, (9u << 24) | 42);
    ObjectId minkowski = cat.addDeepSky(kNebula, {}, 0, (10u << 24) | (1u << 8) | 92);
    ObjectId lbn = cat.addDeepSky(kNebula, {}, 0, (11u << 24) | (437u << 8));
    ObjectId pk = cat.addDeepSky(kNebula, {}, 0, (12u << 24) | (2051u << 8) | 14);
    ObjectId pkSouth = cat.addDeepSky(kNebula, {}, 0, (12u << 24) | (361u << 8) | 0x80 | 57);
    ObjectId pkMinusZero = cat.addDeepSky(kNebula, {}, 0, (12u << 24) | (101u << 8) | 0x80);
    ObjectId badCatalogue = cat.addDeepSky(kNebula, {}, 0, (16u << 24) | 1);
    cat.attach();

    EXPECT_EQ(deepName(ngc), "NGC 2632");
    EXPECT_EQ(deepName(pleiades), "Pleiades");
    EXPECT_EQ(deepName(trapezium), "Trapezium");
    EXPECT_EQ(deepName(aveni), "Aveni-Hunter");
    EXPECT_EQ(deepName(blank), " 7");
    EXPECT_EQ(deepName(r378), "R378 3");
    EXPECT_EQ(deepName(badOpen), "");
    EXPECT_EQ(deepName(psrJ), "PSR J0437-75A");
    EXPECT_EQ(deepName(psrB), "PSR B1919+21");
    EXPECT_EQ(deepName(psrSouth), "PSR B0833-45");
    EXPECT_EQ(deepName(psrJPlain), "PSR J1748-28");  // J without a letter: no control character
    EXPECT_EQ(deepName(messier), "M 13");
    EXPECT_EQ(deepName(pal), "Pal 5");
    EXPECT_EQ(deepName(tuc), "47 Tuc");
    EXPECT_EQ(deepName(uks), "UKS 1");
    EXPECT_EQ(deepName(badNamed), "");
    EXPECT_EQ(deepName(badGlobular), "");
    EXPECT_EQ(deepName(type3), "");
    EXPECT_EQ(deepName(sh), "Sh 155");
    EXPECT_EQ(deepName(orion), "Orion Nebula");
    EXPECT_EQ(deepName(horse), "HorseHead Nebula");
    EXPECT_EQ(deepName(badNebula), "");
    EXPECT_EQ(deepName(noName), "");
    EXPECT_EQ(deepName(messierNebula), "M 42");
    EXPECT_EQ(deepName(minkowski), "M 1-92");
    EXPECT_EQ(deepName(lbn), "LBN 437");
    EXPECT_EQ(deepName(pk), "PK 205+14.1");
    EXPECT_EQ(deepName(pkSouth), "PK 036-57.1");
    EXPECT_EQ(deepName(pkMinusZero), "PK 010-00.1");
    EXPECT_EQ(deepName(badCatalogue), "");
    // Identifiers that are not deep-sky objects of this catalogue.
    EXPECT_EQ(deepName(kDeepSkyBase + 1000), "");
    EXPECT_EQ(deepName(5), "");
    EXPECT_EQ(deepName(kNoObject), "");
}

TEST_F(NamedCatalogue, BestNameRule) {
    uint32_t plain = cat.addStar({}, 1, 0, 0x0552, hdCode(1));
    uint32_t bayer = cat.addStar({}, 1, 0, 0x0552, hdCode(2));
    cat.addExtra(bayer, bayerCode(4, 0, 21, 18));
    uint32_t flam = cat.addStar({}, 1, 0, 0x0552, hdCode(3));
    cat.addExtra(flam, bayerCode(31, 0, 5, 0));
    uint32_t other = cat.addStar({}, 1, 0, 0x0552, hdCode(4));
    cat.addExtra(other, extraCode(5, 5591));
    uint32_t none = cat.addStar({}, 1, 0, 0x0552, hdCode(5));
    cat.addExtra(none, extraCode(0, kNoExtraName));  // low 24 bits all set: no extra names
    uint32_t empty = cat.addStar({}, 1, 0, 0x0552, hdCode(6));
    cat.addExtra(empty, extraCode(10, 1));  // an empty other name still wins over the designation
    uint32_t dangling = cat.addStar({}, 1, 0, 0x0552, hdCode(7));
    cat.stars[dangling].extra = 99;  // past the end of the extra file
    cat.attach();

    EXPECT_EQ(best(plain), "HD 1");
    EXPECT_EQ(best(bayer), "Eps Cen");
    EXPECT_EQ(best(bayer, 1), "Epsilon Centauri");
    EXPECT_EQ(best(flam), " 5 And");
    EXPECT_EQ(best(other), "Gl 559");
    EXPECT_EQ(best(none), "HD 5");
    EXPECT_EQ(best(empty), "");
    EXPECT_EQ(best(dangling), "HD 7");
    EXPECT_EQ(best(100), "");
}

TEST(MatchPattern, WildcardsBlanksAndCase) {
    EXPECT_TRUE(matchPattern("HD*", "HD 48915"));
    EXPECT_FALSE(matchPattern("HD*", "HD"));
    EXPECT_TRUE(matchPattern("HD 4891?", "HD 48915"));
    EXPECT_FALSE(matchPattern("HD 4891?", "HD 489150"));
    EXPECT_FALSE(matchPattern("hd*", "HD 48915"));
    EXPECT_TRUE(matchPattern("HD 48915", "HD 48915"));
    EXPECT_FALSE(matchPattern("HD 4891", "HD 48915"));
    // A blank takes any run of blanks, also none.
    EXPECT_TRUE(matchPattern("BD-16 123", "BD-16    123"));
    EXPECT_TRUE(matchPattern("Gl 5 59", "Gl 559"));
    // "*" stops at the first occurrence of the next character and does not backtrack.
    EXPECT_TRUE(matchPattern("*Cen", "Alp Cen"));
    EXPECT_TRUE(matchPattern("A*a", "Alpha"));
    EXPECT_FALSE(matchPattern("*a", "Alpha Cen a"));  // the first "a" is not the last character
    EXPECT_TRUE(matchPattern("*", "x"));
    EXPECT_FALSE(matchPattern("*", ""));
    EXPECT_FALSE(matchPattern("", "x"));
    EXPECT_TRUE(matchPattern("", ""));
    EXPECT_FALSE(matchPattern(nullptr, "x"));
}

}  // namespace

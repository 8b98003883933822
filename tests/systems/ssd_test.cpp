// Star-system files: sections and the load filter, fields as the file gives them, what is derived
// from them (frames, periods, spin), and lines that are refused whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "systems/ssd.h"
#include "systems_fixture.h"

namespace {

using stest::Line;
using stest::read;
using systems::BodyTable;
using systems::LineResult;

TEST(SystemFile, SectionsStopAtTheFirstOneTheFilterRefuses) {
    BodyTable table;
    Line a, b, c, d;
    a.id = "2000001";
    b.id = "2000002";
    c.id = "2000003";
    d.id = "2000004";
    // Filter S and X: the [C] header ends the file, so the [X] section is never read.
    const std::string text = "[S]\n" + a.text() + "\n" + b.text() + "\n[C]\n" + c.text() + "\n[X]\n" + d.text() + "\n";
    const systems::FileReport r = read(text, table, systems::kSectionSolar | systems::kSectionExtraSolar);
    ASSERT_EQ(table.count, 2);
    EXPECT_EQ(table.records[0].id, 0x2000001);
    EXPECT_EQ(table.records[1].id, 0x2000002);
    EXPECT_EQ(r.lines, 4);  // the stopping header is the last line read

    // Lines before any header are read whatever the filter; lower-case letters count.
    table.count = 0;
    read(a.text() + "\n[c]\n" + b.text() + "\n", table, 0);
    ASSERT_EQ(table.count, 1);
    table.count = 0;
    read(a.text() + "\n[xQ]\n" + b.text() + "\n", table, systems::kSectionExtraSolar);
    EXPECT_EQ(table.count, 2);
    // An empty header stops the file; a header without "]" reads its letters to the line's end.
    table.count = 0;
    read("[]\n" + a.text() + "\n", table);
    EXPECT_EQ(table.count, 0);
    table.count = 0;
    read("[1\n" + a.text() + "\n", table, systems::kSectionSciFi1);
    EXPECT_EQ(table.count, 1);
}

TEST(SystemFile, IgnoredLines) {
    BodyTable table;
    const std::string body = Line().text();
    const std::string text = "\n/ a comment\n " + body + "\n\t" + body + "\n\x7f" + body + "\n\xc3" + body +
                             "\n\r\n" + body;
    const systems::FileReport r = read(text, table);
    EXPECT_EQ(table.count, 1);  // only the last line
    EXPECT_EQ(r.dropped, 0);
}

TEST(SystemFile, FieldsAsTheFileWritesThem) {
    BodyTable table;
    Line l;
    l.id = "0x2A0000F";
    l.parent = "0";
    l.host = "f8fc";
    l.tilt = "90";
    l.kind = "11";
    l.radius = "71492km";  // characters after a number are ignored
    l.axis = "5.2";
    l.ecc = "0.048";
    l.incl = "1.3";
    l.node = "100.5";
    l.peri = "-86";
    l.anomaly = "20";
    l.axisAngle = "3";
    l.period = "4332.6";
    l.mass = "189.8";
    l.spin0 = "0.25";
    l.spinPeriod = "0.41";
    l.colour = "FF102030";
    l.name = "Jupiter\r";  // a CR before the LF stays part of the name
    read(l.text() + "\n", table);
    ASSERT_EQ(table.count, 1);
    const systems::BodyRecord& r = table.records[0];
    EXPECT_EQ(r.id, 0x2A0000F);
    EXPECT_EQ(r.hostStar, 0xF8FC);
    EXPECT_EQ(r.kind, systems::kGasGiant);
    EXPECT_DOUBLE_EQ(r.planeTilt, 90 * systems::kDeg);
    EXPECT_DOUBLE_EQ(r.radius, 71492);
    EXPECT_DOUBLE_EQ(r.semiAxis, 5.2);
    EXPECT_DOUBLE_EQ(r.ecc, 0.048);
    EXPECT_DOUBLE_EQ(r.incl, 1.3 * systems::kDeg);
    EXPECT_DOUBLE_EQ(r.node, 100.5 * systems::kDeg);
    EXPECT_DOUBLE_EQ(r.periArg, -86 * systems::kDeg);
    EXPECT_DOUBLE_EQ(r.anomaly0, 20 * systems::kDeg);
    EXPECT_DOUBLE_EQ(r.axisAngle, 3 * systems::kDeg * systems::kDeg);  // degrees twice over
    EXPECT_DOUBLE_EQ(r.period, 4332.6);
    EXPECT_DOUBLE_EQ(r.mass, 189.8);
    EXPECT_DOUBLE_EQ(r.spin0, 0.25);
    EXPECT_DOUBLE_EQ(r.spinRate, -systems::kTwoPi / 0.41);
    EXPECT_EQ(r.colour, 0xFF102030u);
    EXPECT_STREQ(r.name, "Jupiter\r");

    // Kinds are hexadecimal: "10" is a rocky planet, "16" is 22; unreadable numbers are 0.
    table.count = 0;
    Line k;
    k.kind = "16";
    k.mass = "heavy";
    read(k.text(), table);
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.records[0].kind, 0x16);
    EXPECT_EQ(table.records[0].mass, 0.0);
    // No spin period, no rotation; the program's pi, not the library's, converts degrees.
    table.count = 0;
    Line still;
    still.spinPeriod = "0";
    still.spin0 = "1.5";
    read(still.text(), table);
    EXPECT_EQ(table.records[0].spinRate, 0.0);
    EXPECT_EQ(systems::kDeg, 3.14159265359 / 180);
}

TEST(SystemFile, LongLinesAndNamesAreCut) {
    BodyTable table;
    Line l;
    l.name = std::string(40, 'N');
    read(l.text(), table);
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(std::string(table.records[0].name), std::string(31, 'N'));

    // Padding after field 18 pushes the name past character 255: the line is cut before it,
    // so it has 18 fields and is refused.
    table.count = 0;
    Line far;
    far.colour = "4" + std::string(250, ' ');
    const systems::FileReport r = read(far.text() + "\n" + Line().text() + "\n", table);
    EXPECT_EQ(r.dropped, 1);
    EXPECT_EQ(r.firstDropped, LineResult::kTooFewFields);
    EXPECT_EQ(table.count, 1);  // the next line is still read
}

TEST(SystemFile, RefusedLinesLeaveTheTableAsItWas) {
    struct Case {
        const char* what;
        void (*edit)(Line&);
        LineResult result;
    };
    const Case cases[] = {
        {"18 fields", [](Line& l) { l.name = ""; }, LineResult::kTooFewFields},
        {"a star's identifier", [](Line& l) { l.id = "5"; }, LineResult::kBadId},
        {"a component's identifier", [](Line& l) { l.id = "80000005"; }, LineResult::kBadId},
        {"not a number", [](Line& l) { l.radius = "nan"; }, LineResult::kNotFinite},
        {"infinite period", [](Line& l) { l.period = "inf"; }, LineResult::kNotFinite},
        {"spin period 1e-320", [](Line& l) { l.spinPeriod = "1e-320"; }, LineResult::kNotFinite},
        {"parabolic orbit", [](Line& l) { l.ecc = "1"; }, LineResult::kBadOrbit},
        {"negative eccentricity", [](Line& l) { l.ecc = "-0.1"; }, LineResult::kBadOrbit},
        {"negative radius", [](Line& l) { l.radius = "-1"; }, LineResult::kBadOrbit},
        {"negative axis", [](Line& l) { l.axis = "-1"; }, LineResult::kBadOrbit},
        {"an axis beyond the stars", [](Line& l) { l.axis = "2e9"; }, LineResult::kBadOrbit},
        {"a radius beyond the stars", [](Line& l) { l.radius = "2e12"; }, LineResult::kBadOrbit},
        {"a period derived to infinity", [](Line& l) { l.parent = "2000001"; l.period = "0"; l.axis = "1e9"; },
         LineResult::kNotFinite},
        {"unknown parent", [](Line& l) { l.parent = "2000099"; }, LineResult::kNoParent},
    };
    for (const Case& c : cases) {
        BodyTable table;
        Line feather;
        feather.mass = "1e-300";
        read(feather.text(), table);
        const systems::BodyRecord before = table.records[0];
        Line l;
        l.id = "2000002";
        c.edit(l);
        const systems::FileReport r = read(l.text(), table);
        EXPECT_EQ(table.count, 1) << c.what;
        EXPECT_EQ(r.firstDropped, c.result) << c.what;
        EXPECT_EQ(std::memcmp(&before, &table.records[0], sizeof before), 0) << c.what;
    }
}

TEST(SystemFile, TheTableHoldsATousandAndTwentyFourBodies) {
    BodyTable table;
    std::string text;
    for (int i = 0; i < systems::kMaxBodies + 5; ++i) {
        Line l;
        char id[16];
        std::snprintf(id, sizeof id, "%x", 0x2000000 + i);
        l.id = id;
        text += l.text() + "\n";
    }
    const systems::FileReport r = read(text, table);
    EXPECT_EQ(table.count, systems::kMaxBodies);
    EXPECT_EQ(r.dropped, 5);
    EXPECT_EQ(r.firstDropped, LineResult::kTableFull);
    EXPECT_EQ(table.records[systems::kMaxBodies - 1].id, 0x2000000 + systems::kMaxBodies - 1);
}

TEST(SystemFile, DerivedPeriodsAreDays) {
    // The Moon around the Earth (0.5972 × 10^25 kg) at 384,400 km, 27.29 days by the two
    // bodies alone (the Sun's pull makes the observed 27.32), and Io around Jupiter
    // (189.8 × 10^25 kg) at 421,700 km.
    EXPECT_NEAR(systems::derivedPeriod(384400 / systems::kKmPerAu, 0.5972 + 0.00735), 27.29, 0.01);
    EXPECT_NEAR(systems::derivedPeriod(421700 / systems::kKmPerAu, 189.8), 1.769, 0.002);
    EXPECT_EQ(systems::derivedPeriod(1.0, 0.0), 0.0);
    EXPECT_EQ(systems::derivedPeriod(1.0, -5.0), 0.0);

    BodyTable table;
    Line planet, moon, fixed;
    planet.mass = "0.60455";  // the Earth and the Moon
    moon.id = "2000002";
    moon.parent = "2000001";
    moon.axis = "0.0025695";  // 384,400 km
    moon.period = "0";
    fixed = moon;
    fixed.id = "2000003";
    fixed.period = "30";
    fixed.mass = "0";
    Line orphan = moon;  // around a body without mass: no period to derive
    orphan.id = "2000004";
    orphan.parent = "2000003";
    const systems::FileReport r = read(planet.text() + "\n" + moon.text() + "\n" + fixed.text() + "\n" + orphan.text(), table);
    ASSERT_EQ(table.count, 4);
    EXPECT_NEAR(table.records[1].period, 27.29, 0.01);
    EXPECT_EQ(table.records[2].period, 30.0);
    EXPECT_EQ(table.records[3].period, 0.0);
    EXPECT_EQ(r.stillBodies, 1);
}

// The orbit frame turns the orbit's plane rigidly: a circular orbit keeps its radius in space for
// any orientation, and the ascending node lies where the node says.
TEST(SystemFile, OrbitFramesAreRotations) {
    const double tilts[] = {0, 23.44, 123}, incls[] = {0, 7, 90, 157}, nodes[] = {0, 48.3, 250};
    for (double tilt : tilts)
        for (double incl : incls)
            for (double node : nodes) {
                BodyTable table;
                Line l;
                l.tilt = std::to_string(tilt);
                l.incl = std::to_string(incl);
                l.node = std::to_string(node);
                l.peri = "33";
                read(l.text(), table);
                ASSERT_EQ(table.count, 1);
                const systems::BodyRecord& r = table.records[0];
                for (int k = 0; k < 12; ++k) {
                    const Vector3 p = systems::orbitPoint(r.semiAxis, r.ecc, r.periArg, r.orbitFrame, k * 0.5);
                    EXPECT_NEAR(stest::norm(p), systems::kKmPerAu, 1e-3) << tilt << " " << incl << " " << node;
                }
                // Without the tilt, the ascending node (argument of latitude 0) is at the node's
                // longitude in the xy plane and the orbit climbs there.
                if (tilt == 0 && incl > 0 && incl < 90) {
                    const Vector3 n = systems::orbitPoint(1, 0, 0, r.orbitFrame, 0);
                    EXPECT_NEAR(std::atan2(n.y, n.x), std::remainder(node * systems::kDeg, systems::kTwoPi), 1e-9);
                    EXPECT_GT(systems::orbitPoint(1, 0, 0, r.orbitFrame, 0.1).z, 0);
                }
            }
}

// The spin axis lies between the direction from the periapsis to the centre and the system's
// z axis, at the axis angle (less the plane tilt); axis and body frames are orthonormal.
TEST(SystemFile, SpinAxisAndBodyFrame) {
    auto rowOf = [](const Matrix4& m, int k) { return Vector3{m.m[k][0], m.m[k][1], m.m[k][2]}; };
    for (double axisAngle : {0.0, 30.0 / systems::kDeg, 90.0 / systems::kDeg, -45.0 / systems::kDeg}) {
        BodyTable table;
        Line l;
        l.peri = "90";  // periapsis along +y
        l.axisAngle = std::to_string(axisAngle);
        read(l.text(), table);
        ASSERT_EQ(table.count, 1);
        const systems::BodyRecord& r = table.records[0];
        const Vector3 A = rowOf(r.axisFrame, 0), W = rowOf(r.axisFrame, 1), V = rowOf(r.axisFrame, 2);
        const double a = axisAngle * systems::kDeg * systems::kDeg;
        EXPECT_NEAR(A.x, 0, 1e-9);
        EXPECT_NEAR(A.y, -std::cos(a), 1e-6);
        EXPECT_NEAR(A.z, std::sin(a), 1e-6);
        EXPECT_NEAR(vmath::dot(A, V), 0, 1e-12);
        EXPECT_NEAR(vmath::dot(A, W), 0, 1e-12);
        EXPECT_NEAR(stest::norm(V), 1, 1e-12);
        EXPECT_NEAR(stest::norm(W), 1, 1e-12);
        EXPECT_TRUE(std::isfinite(r.bodyFrame.m[2][2]));
    }
}

}  // namespace

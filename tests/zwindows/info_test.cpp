// The object information text against objects of the shipped catalogue: every form of the
// summary and the details, the described object, the note, and texts formed only on change.
#include <cmath>
#include <cstdlib>

#include "panels_fixture.h"
#include "support/golden.h"

namespace {

using ptest::PanelsTest;
using namespace zwindows;

constexpr int32_t kSirius = 0x128CE, kAlphaCenA = 0xF67C, kSun = 0xF8FC;
constexpr int32_t kV1019Cen = 0xFBA0;  // a variable star without a known radius
constexpr int32_t k47Tuc = 0x10004CC, kCrabPulsar = 0x1000641;
constexpr int32_t kEarth = 0x2000300, kJupiter = 0x2000500;

class Info : public PanelsTest {
protected:
    void SetUp() override {
        PanelsTest::SetUp();
        camera::setMode(camera::kModeInterstellar);
    }
    // Describes `object` in lock mode with the bar open in the given form, one frame.
    void describe(int32_t object, bool details = true) {
        if (!infoShowsLock()) setInfoShowsLock(1);
        camera::lockObject(object);
        if (infoFormDetails() != (details ? 1 : 0)) toggleInfoForm();
        if (!toolbarIsOpen()) openToolbar();
        frame();
    }
    void enterSystemOf(int32_t star) {
        cam().system = cam().lock = star;
        ASSERT_EQ(camera::setMode(camera::kModeSystem), 1);
        ASSERT_EQ(systems::enterCameraSystem(), 1);
    }
    static const InfoTexts& t() { return infoTexts(); }
    static std::string detail(int i) { return i < t().detailCount ? t().details[i].text : "(none)"; }
    // The detail line that starts with `start`, or "".
    static std::string lineStarting(const char* start) {
        for (int i = 0; i < t().detailCount; ++i)
            if (std::strncmp(t().details[i].text, start, std::strlen(start)) == 0) return t().details[i].text;
        return "";
    }
    // Whether anything but the bar's face colour lies in the summary line's row.
    bool summaryDrawn() const {
        const int T = toolbarTop();
        for (int y = T + 18; y < T + 26; ++y)
            for (int x = 4; x < 200; ++x)
                if (draw::getPixel(surface, x, y) != colours().face) return true;
        return false;
    }
};

TEST_F(Info, StarsAsTheCatalogueGivesThemSeenFromTheSun) {
    describe(kSirius);
    EXPECT_STREQ(t().name, "Alpha Canis Majoris");  // the long form
    EXPECT_STREQ(t().type, "A1V");
    EXPECT_STREQ(t().summary.text, "Class:A1V , mag:-1.4413 , Dist:        8.60Ly");
    ASSERT_EQ(t().detailCount, 6);  // neither variable nor multiple
    EXPECT_EQ(detail(0), "ID:000128CE   Names:HIP 32349   Alp CMa    9 CMa   ");  // the short form
    EXPECT_EQ(detail(1), "Sol (X:   -1.61  Y:    8.08  Z:   -2.47) Distance:    8.60Ly");
    EXPECT_EQ(detail(2), "Rel (X:   -1.61  Y:    8.08  Z:   -2.47) Distance:    8.60Ly");
    EXPECT_EQ(detail(3), "Mag:1.4531, B-V:0.0117");
    EXPECT_EQ(detail(4), "(9810.50K)");
    EXPECT_EQ(t().details[4].x, 290);
    EXPECT_EQ(t().details[4].dy, t().details[3].dy);  // on the magnitude's row
    EXPECT_EQ(detail(5), "L: 21.81,  Mass:  2.16,  Radius:  1.71 ,  Rspeed:   0.0Km/s");  // a known radius
    EXPECT_EQ(catalog::longNames, 0);

    // A variable star whose radius is estimated: the mark, and the variability on its own row.
    describe(kV1019Cen);
    EXPECT_NE(lineStarting("L:").find("Radius:  3.28*,"), std::string::npos) << lineStarting("L:");
    EXPECT_EQ(lineStarting("minMag:"), "minMag:4.9805,  maxMag:4.9609,  Period:1.569000 days");
    EXPECT_EQ(t().details[6].dy, 92);

    // Alpha Centauri A has two components: the count below the other lines, at its own row.
    describe(kAlphaCenA);
    EXPECT_STREQ(t().summary.text, "Class:G2V , mag:-0.0086 , Dist:        4.39Ly");
    ASSERT_EQ(t().detailCount, 7);
    EXPECT_EQ(detail(6), "Number of comp. 2");
    EXPECT_EQ(t().details[6].dy, 104);

    // A star of a single component record shows no count.
    uint32_t single = catalog::kNoObject;
    for (uint32_t i = 0; i < catalog::starCount() && single == catalog::kNoObject; ++i)
        if (catalog::componentCount(i) == 1) single = i;
    ASSERT_NE(single, catalog::kNoObject);
    describe(static_cast<int32_t>(single));
    EXPECT_EQ(lineStarting("Number of comp."), "");

    // At the star itself there is no magnitude and no distance.
    Vector3 sirius;
    ASSERT_EQ(catalog::objectPosition(kSirius, sirius), 1);
    camera::setIPos(sirius.x, sirius.y, sirius.z);
    describe(kSirius);
    EXPECT_STREQ(t().summary.text, "Class:A1V");
    EXPECT_EQ(detail(2), "Rel (X:    0.00  Y:    0.00  Z:    0.00) Distance:    0.00Ly");
}

TEST_F(Info, DeepSkyObjectsByTheirType) {
    const int32_t pleiades = static_cast<int32_t>(catalog::findByName("Pleiades"));
    describe(pleiades);
    EXPECT_STREQ(t().type, "Open Cluster");
    EXPECT_STREQ(t().summary.text, "Type:Open Cluster , mag:1.2013 , Dist:      433.79Ly");
    ASSERT_EQ(t().detailCount, 5);
    EXPECT_EQ(detail(0), "ID:0100006D");
    EXPECT_EQ(detail(3), "Mag:-4.4180, Mag of brightest star:2.8516");
    EXPECT_EQ(detail(4), "Diameter:  15.1Ly, log(Age):8.131000, Tr:0 0   - (0)");

    describe(k47Tuc);
    EXPECT_STREQ(t().name, "47 Tuc");
    EXPECT_STREQ(t().summary.text, "Type:Globular Cluster , mag:3.9497 , Dist:    14677.20Ly");
    EXPECT_EQ(detail(1), "Sol (X: 4490.77  Y:  473.87  Z:-13965.27) Distance:14677.20Ly");
    EXPECT_EQ(detail(3), "Core Radius:   1.5Ly, Total Radius: 180.6Ly, log(Rt/Rc):2.0700");
    EXPECT_EQ(detail(4), "HalfMass Radius:  13.5Ly");

    // A pulsar's record has a magnitude; its summary does not show one.
    describe(kCrabPulsar);
    EXPECT_STREQ(t().name, "PSR B0531+21");
    EXPECT_STREQ(t().summary.text, "Type:Pulsar Star , Dist:     6523.20Ly");
    ASSERT_EQ(t().detailCount, 4);
    EXPECT_EQ(detail(3), "Period:0.033392sec, log(radioL):3.412292, log(Age):3.099261");

    describe(static_cast<int32_t>(catalog::findByName("Orion Nebula")));
    EXPECT_STREQ(t().summary.text, "Type:Nebula , Dist:     1343.78Ly");
    EXPECT_EQ(detail(3), "Diameter:  35.2Ly");
}

TEST_F(Info, BodiesAndComponentsOfTheEnteredSystemSeenFromTheCamera) {
    enterSystemOf(kSun);
    describe(kEarth);
    EXPECT_STREQ(t().name, "Earth");
    const systems::SystemObject* earth = systems::findObject(kEarth);
    ASSERT_NE(earth, nullptr);
    const double d = std::sqrt(vmath::lengthSquared(vmath::operator-(earth->position, cam().SPos)));
    char expected[128];
    std::snprintf(expected, sizeof expected, "Radius:      6378.1Km , Dist:%12.1lfKm (%4.4lfAU)", d, d / 149600000.0);
    EXPECT_STREQ(t().summary.text, expected);
    ASSERT_EQ(t().detailCount, 2);
    EXPECT_EQ(detail(0), "Type: rocky planet");
    EXPECT_EQ(detail(1).rfind("semiAxis:   1.0AU, ecc:0.016732, incl:", 0), 0u) << detail(1);
    describe(kJupiter);
    EXPECT_EQ(detail(0), "Type: gas giant");

    // A companion of Alpha Centauri A: its catalogue record, seen from the camera in kilometres.
    enterSystemOf(kAlphaCenA);
    ASSERT_GE(systems::objectCount(), 2);
    const systems::SystemObject* b = systems::objectAt(1);
    ASSERT_EQ(catalog::objectKind(static_cast<catalog::ObjectId>(b->id)), 3);
    describe(b->id);
    EXPECT_EQ(std::string(t().summary.text).rfind("Dist:", 0), 0u) << t().summary.text;
    EXPECT_NE(std::string(t().summary.text).find("AU)"), std::string::npos);
    EXPECT_EQ(detail(0), "ID:800018B2   CCDM:14396-6050 B ");
    EXPECT_EQ(detail(1), "Class:K1V, Mag:5.7031");

    // A body of another system than the entered one is described by nothing at all.
    describe(kEarth);
    EXPECT_FALSE(summaryDrawn());
    EXPECT_EQ(t().detailCount, 2);  // what the last body drawn showed stays in the buffers
    describe(b->id);
    EXPECT_TRUE(summaryDrawn());
}

TEST_F(Info, TheDescribedObjectIsTheHoverOrTheLockAndNoneOverTheToolbar) {
    camera::lockObject(kSirius);
    // Mouse over: the object under the pointer, which the scene's pick sets every frame.
    camera::setHover(k47Tuc);
    EXPECT_EQ(describedObject(), k47Tuc);
    input::pointerOverToolbar = 1;
    EXPECT_EQ(describedObject(), -1);
    input::pointerOverToolbar = 0;
    setInfoShowsLock(1);
    EXPECT_EQ(describedObject(), kSirius);
    input::pointerOverToolbar = 1;
    EXPECT_EQ(describedObject(), kSirius);

    // Lock mode is marked by two red lines at the bar's left end.
    frame();
    const int T = toolbarTop();
    for (int x : {1, 2})
        for (int y : {T + 1, T + 14, T + 28}) EXPECT_EQ(draw::getPixel(surface, x, y), video::colours.red[0]) << x << "," << y;
    setInfoShowsLock(0);
    frame();
    EXPECT_NE(draw::getPixel(surface, 1, T + 14), video::colours.red[0]);

    // Over the toolbar in mouse-over mode nothing is described: no summary is drawn.
    moveTo(100, T + 10);
    EXPECT_FALSE(summaryDrawn());
    // The selection mode is a change of the camera settings without a sky rebuild.
    camera::takeRebuild();
    toggleInfoShowsLock();
    EXPECT_EQ(infoShowsLock(), 1);
    EXPECT_EQ(camera::rebuildSky, 0);
}

TEST_F(Info, TextsAreFormedOnlyWhenWhatTheyShowChanges) {
    describe(kSirius);
    const int summaries = t().summaryFormed, details = t().detailsFormed;
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(t().summaryFormed, summaries);
    EXPECT_EQ(t().detailsFormed, details);

    // Moving the camera changes the distances of the same object.
    camera::setIPos(1, 0, 0);
    frame();
    EXPECT_GT(t().summaryFormed, summaries);
    EXPECT_GT(t().detailsFormed, details);
    EXPECT_EQ(std::string(t().summary.text).find("8.60Ly"), std::string::npos) << t().summary.text;

    // Locking another object replaces the details in the next frame.
    camera::lockObject(k47Tuc);
    frame();
    EXPECT_EQ(t().detailObject, k47Tuc);
    EXPECT_EQ(detail(0), "ID:010004CC");

    // A rebuild of the sky and a lock waiting for its journey (the frame-changed flag) change
    // neither.
    const int summariesNow = t().summaryFormed, detailsNow = t().detailsFormed;
    camera::requestRebuild();
    frame();
    frame();
    EXPECT_EQ(camera::lockChanged, 1);
    EXPECT_EQ(t().summaryFormed, summariesNow);
    EXPECT_EQ(t().detailsFormed, detailsNow);
}

TEST_F(Info, TheNoteOfTheObjectWithItsSliderOrAnEmptyBox) {
    describe(kSun, false);
    const Viewer& note = infoNoteViewer();
    ASSERT_GT(note.itemCount, 0);
    EXPECT_GT(note.documentHeight, kNoteHeight);
    EXPECT_TRUE(infoNoteScrolls());
    EXPECT_EQ(infoSlider(), 0);

    // The slider's track scrolls the note in sixtieths of its height.
    const int T = toolbarTop();
    moveTo(W() - 240, T + 56 + 30);
    press();
    EXPECT_EQ(infoSlider(), 30);
    EXPECT_EQ(note.scrollOffset, note.documentHeight * 30 / kSliderSteps);
    release();
    // Its arrows step by one; the top one stops at 0.
    click(W() - 240, T + 40);
    EXPECT_EQ(infoSlider(), 29);
    infoSliderSet(0);
    click(W() - 240, T + 40);
    EXPECT_EQ(infoSlider(), 0);

    // An object without a note shows an empty box and no slider, and the slider starts again.
    infoSliderSet(20);
    describe(kV1019Cen, false);
    EXPECT_EQ(note.itemCount, 0);
    EXPECT_FALSE(infoNoteScrolls());
    EXPECT_EQ(infoSlider(), 0);
}

TEST_F(Info, TheOpenBarWithTheDetailsAndWithTheNote) {
    describe(kSirius);
    EXPECT_EQ(golden::compare(surface, ptest::kWidth, ptest::kHeight, "toolbar-details"), "");
    describe(kSun, false);
    EXPECT_EQ(golden::compare(surface, ptest::kWidth, ptest::kHeight, "toolbar-note"), "");
}

}  // namespace

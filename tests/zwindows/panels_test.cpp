// The panels as a user works them: edits that reach the camera record, the saved cameras and the
// stored settings, the radio pairs, the star-system filter that reloads the systems, the Location
// panel in a star system, the catalogue search with its Look and Lock, and the marker files.
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "panels_fixture.h"
#include "support/golden.h"
#include "render/render.h"

namespace {

using ptest::PanelsTest;
using namespace zwindows;

constexpr int32_t kSun = 0xF8FC, kAlphaCenA = 0xF67C, kSirius = 0x128CE;

class Panels : public PanelsTest {
protected:
    // Shows the panel of `cls` and answers its window.
    Node open(const char* cls) {
        EXPECT_EQ(showPanel(cls), 1) << cls;
        frame();
        return panelWindow(cls);
    }
    Node widget(Node window, const char* cls, const char* caption) {
        const Node n = byCaption(window, cls, caption);
        EXPECT_NE(n, kNoNode) << cls << " \"" << caption << "\"";
        return n;
    }
    // A click on the window's empty client area below everything in it: no field has the keyboard.
    void leave(Node window) {
        const Rect r = clientRect(window);
        click(r.x + r.width - 6, r.y + r.height - 4);
        frame();
    }
    // The items of a LIST: text and value.
    static std::vector<std::pair<std::string, intptr_t>> items(Node list) {
        std::vector<std::pair<std::string, intptr_t>> out;
        // Items past the last answer an empty text and 0.
        for (int i = 0; i < kListMax; ++i) {
            char text[kListTextMax + 1] = "";
            const int length = sendTo(list, kListText, i, reinterpret_cast<intptr_t>(text), sizeof text);
            const intptr_t value = sendTo(list, kListValue, i);
            if (length == 0 && value == 0) break;
            out.emplace_back(text, value);
        }
        return out;
    }
};

TEST_F(Panels, CameraChecksAreRadioButtonsThatFollowTheActiveCamera) {
    const Node w = open(kCameraPanel);
    Node checks[8];
    for (int i = 0; i < 8; ++i) checks[i] = widget(w, "CHECK", std::to_string(i + 1).c_str());
    EXPECT_EQ(checked(checks[0]), 1);

    clickIn(checks[2]);
    EXPECT_EQ(camera::activeCameraIndex(), 2);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(checked(checks[i]), i == 2 ? 1 : 0) << i;
    // A click on the checked camera's box leaves it checked.
    clickIn(checks[2]);
    EXPECT_EQ(camera::activeCameraIndex(), 2);
    EXPECT_EQ(checked(checks[2]), 1);

    // A camera chosen by its key is shown by the checks.
    key(platform::VK_F6);
    EXPECT_EQ(camera::activeCameraIndex(), 5);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(checked(checks[i]), i == 5 ? 1 : 0) << i;

    // The Location window says which camera it shows.
    EXPECT_STREQ(nodeCaption(panelWindow(kLocationPanel)), "Location [6]");
}

TEST_F(Panels, CameraEditsReachTheRecordAndTheSavedCamera) {
    const Node w = open(kCameraPanel);
    const Node mag = widget(w, "EDIT", "mag brighter then");
    EXPECT_EQ(editText(mag), "6.00") << "the default limit as the field shows it";

    camera::rebuildSky = 0;
    typeInto(mag, "4.5");
    EXPECT_DOUBLE_EQ(cam().starMagLimit, 4.5);
    EXPECT_EQ(camera::rebuildSky, 1);
    // The field keeps what was typed while it holds the keyboard and shows the value once left.
    EXPECT_EQ(editText(mag), "4.5");
    leave(w);
    EXPECT_EQ(editText(mag), "4.50");

    // Text that is no number stores nothing and the field shows the value again.
    typeInto(mag, "bright");
    EXPECT_DOUBLE_EQ(cam().starMagLimit, 4.5);
    leave(w);
    EXPECT_EQ(editText(mag), "4.50");

    // The local-space radius also re-aims a journey.
    camera::lockChanged = 0;
    typeInto(widget(w, "EDIT", "Local Space Radius"), "12.25");
    EXPECT_DOUBLE_EQ(cam().vradius, 12.25);
    EXPECT_EQ(camera::lockChanged, 1);

    // Switches: a display flag and a deep-sky type bit, each way.
    const Node stars = widget(w, "CHECK", "Show stars");
    ASSERT_EQ(checked(stars), 1);
    clickIn(stars);
    EXPECT_EQ(cam().flags & camera::kFlagStars, 0u);
    const Node pulsars = widget(w, "CHECK", "Pulsars");
    const bool had = (cam().deepSkyTypes & camera::kTypePulsar) != 0;
    EXPECT_EQ(checked(pulsars), had ? 1 : 0);
    clickIn(pulsars);
    EXPECT_EQ((cam().deepSkyTypes & camera::kTypePulsar) != 0, !had);

    // Save, change, Load: the record comes back from the store as it was saved.
    clickIn(widget(w, "BUTTON", "Save"));
    typeInto(mag, "2");
    clickIn(stars);
    EXPECT_DOUBLE_EQ(cam().starMagLimit, 2.0);
    clickIn(widget(w, "BUTTON", "Load"));
    EXPECT_DOUBLE_EQ(cam().starMagLimit, 4.5);
    EXPECT_EQ(cam().flags & camera::kFlagStars, 0u);
    EXPECT_DOUBLE_EQ(cam().vradius, 12.25);
    EXPECT_EQ(editText(mag), "4.50");
    EXPECT_EQ(checked(stars), 0);

    // A change made elsewhere (the console, a key) is shown at once.
    camera::set(camera::Setting::kLabelMagLimit, 3.25);
    frame();
    EXPECT_EQ(editText(widget(w, "EDIT", "star labels brighter then")), "3.25");
}

TEST_F(Panels, ConfigPairsSetTheirValueAndUncheckTheOtherAndTheSettingsAreStored) {
    settings::loadSettings();
    const Node w = open(kConfigPanel);
    const Node diameter = widget(w, "CHECK", "Diameter"), magnitude = widget(w, "CHECK", "Magnitude");
    ASSERT_EQ(settings::LSmagDiam, 1);
    EXPECT_EQ(checked(magnitude), 1);
    EXPECT_EQ(checked(diameter), 0);

    clickIn(diameter);
    EXPECT_EQ(settings::LSmagDiam, 0);
    EXPECT_EQ(checked(diameter), 1);
    EXPECT_EQ(checked(magnitude), 0);
    // A click on the checked one of a pair keeps it checked.
    clickIn(diameter);
    EXPECT_EQ(settings::LSmagDiam, 0);
    EXPECT_EQ(checked(diameter), 1);
    EXPECT_EQ(checked(magnitude), 0);
    // The B key's toggle is shown by the pair.
    render::toggleLocalDiscMode();
    frame();
    EXPECT_EQ(checked(magnitude), 1);
    EXPECT_EQ(checked(diameter), 0);
    clickIn(diameter);

    const Node mouseOver = widget(w, "CHECK", "mouse over"), lockMode = widget(w, "CHECK", "lock mode");
    const int mode = infoShowsLock();
    clickIn(mode ? mouseOver : lockMode);
    EXPECT_EQ(infoShowsLock(), mode ? 0 : 1);
    EXPECT_EQ(checked(mouseOver), mode ? 1 : 0);
    EXPECT_EQ(checked(lockMode), mode ? 0 : 1);
    // F11 toggles it back and the pair follows.
    key(platform::VK_F11);
    EXPECT_EQ(infoShowsLock(), mode);
    EXPECT_EQ(checked(mouseOver), mode ? 0 : 1);
    EXPECT_EQ(checked(lockMode), mode ? 1 : 0);

    clickIn(widget(w, "CHECK", "SciFi 2"));
    EXPECT_EQ(settings::loadFilter & systems::kSectionSciFi2, 0u);
    const uint32_t filter = settings::loadFilter;

    // What the panel set is what the next start reads.
    settings::saveSettings();
    settings::LSmagDiam = 1;
    settings::loadFilter = 0xFFFFFFFF;
    settings::loadSettings();
    EXPECT_EQ(settings::LSmagDiam, 0);
    EXPECT_EQ(settings::loadFilter, filter);
}

TEST_F(Panels, AFilterCheckReloadsTheStarSystemsWithoutItsSections) {
    const Node w = open(kConfigPanel);
    const Node extra = widget(w, "CHECK", "Extra solar systems");
    ASSERT_EQ(checked(extra), 1);
    const int all = systems::bodyTable().count;
    ASSERT_GT(all, 0);

    // In the Sun's system the Solar System's bodies stay when the extrasolar ones go.
    cam().system = cam().lock = kSun;
    ASSERT_EQ(camera::setMode(camera::kModeSystem), 1);
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    const int bodies = systems::objectCount();

    camera::systemReload = 0;
    clickIn(extra);
    EXPECT_EQ(settings::loadFilter & systems::kSectionExtraSolar, 0u);
    EXPECT_EQ(checked(extra), 0);
    const int without = systems::bodyTable().count;
    EXPECT_LT(without, all);
    EXPECT_GT(without, 0);
    EXPECT_EQ(camera::systemReload, 1);
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    EXPECT_EQ(systems::objectCount(), bodies);

    clickIn(extra);
    EXPECT_EQ(systems::bodyTable().count, all);
    EXPECT_EQ(checked(extra), 1);

    // Without the Solar System the Sun has no bodies at all.
    clickIn(widget(w, "CHECK", "Solar System"));
    clickIn(widget(w, "CHECK", "Complete Solar"));
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    EXPECT_LT(systems::objectCount(), bodies);
}

TEST_F(Panels, LocationInAStarSystemPlacesTheCameraAndStepsTheClock) {
    cam().system = cam().lock = kSun;
    ASSERT_EQ(camera::setMode(camera::kModeSystem), 1);
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    const Node w = open(kLocationPanel);
    const Node inter = find(w, "ZLOCINT"), sys = find(w, "ZLOCSSYS");
    ASSERT_NE(inter, kNoNode);
    ASSERT_NE(sys, kNoNode);

    // The star-system mark is lit, the interstellar one dim.
    const Rect si = clientRect(sys), ii = clientRect(inter);
    EXPECT_EQ(draw::getPixel(surface, si.x + 231, si.y + 5), video::colours.green[3]);
    EXPECT_EQ(draw::getPixel(surface, ii.x + 231, ii.y + 5), video::colours.green[10]);

    typeInto(byCaption(sys, "EDIT", "X:"), "1");
    EXPECT_DOUBLE_EQ(cam().SPos.x, 1.496e8);
    leave(w);
    EXPECT_EQ(editText(byCaption(sys, "EDIT", "X:")), "1.00");

    // Moving the camera otherwise is shown on the next move event.
    camera::setSPos(2 * 1.496e8, 0, 0);
    frame();
    EXPECT_EQ(editText(byCaption(sys, "EDIT", "X:")), "2.00");

    const Node time = find(w, "ZLOCTIME");
    typeInto(byCaption(time, "EDIT", "Time step:"), "0.5");
    EXPECT_DOUBLE_EQ(cam().timeStep, 0.5);
    const double t0 = cam().systemTime;
    const systems::SystemObject* earth = systems::findObject(0x2000300);
    ASSERT_NE(earth, nullptr);
    const Vector3 before = earth->position;
    clickIn(byCaption(time, "BUTTON", "+"));
    clickIn(byCaption(time, "BUTTON", "+"));
    EXPECT_DOUBLE_EQ(cam().systemTime, t0 + 1.0);
    EXPECT_NE(earth->position.x, before.x);
    clickIn(byCaption(time, "BUTTON", "-"));
    clickIn(byCaption(time, "BUTTON", "-"));
    EXPECT_DOUBLE_EQ(cam().systemTime, t0);
    EXPECT_NEAR(earth->position.x, before.x, 1.0);

    // A typed yaw turns the view by that angle about the camera's vertical.
    const Vector3 forward{cam().Cam.m[2][0], cam().Cam.m[2][1], cam().Cam.m[2][2]};
    typeInto(byCaption(find(w, "ZLOCATT"), "EDIT", "Yaw:"), "90");
    const Vector3 turned{cam().Cam.m[2][0], cam().Cam.m[2][1], cam().Cam.m[2][2]};
    EXPECT_NEAR(forward.x * turned.x + forward.y * turned.y + forward.z * turned.z, 0.0, 1e-6);
}

TEST_F(Panels, SearchFindsByWildcardsAndLocksTheChosenObject) {
    const Node w = open(kSearchPanel);
    const Node pattern = find(w, "EDIT"), list = find(w, "LIST");
    ASSERT_NE(pattern, kNoNode);
    ASSERT_NE(list, kNoNode);
    auto search = [&](const char* p) {
        typeInto(pattern, p);
        // The rest of the catalogue is searched a slice a frame.
        for (int i = 0; i < 2000; ++i) frame();
        return items(list);
    };
    auto has = [](const std::vector<std::pair<std::string, intptr_t>>& found, int32_t id) {
        for (auto& [text, value] : found)
            if (value == id) return true;
        return false;
    };

    const auto alpha = search("alp*");
    EXPECT_GT(alpha.size(), 50u);
    EXPECT_TRUE(has(alpha, kAlphaCenA));
    for (auto& [text, value] : alpha) EXPECT_EQ(catalog::objectKind(static_cast<catalog::ObjectId>(value)), 0);

    const auto cen = search("*Cen");
    EXPECT_TRUE(has(cen, kAlphaCenA));
    EXPECT_FALSE(has(cen, kSirius));

    // More than a list holds fill it with the catalogue's first matches in its order; Alpha
    // Centauri A is named by its Bayer letter, not by its Hipparcos number.
    const auto hip = search("HIP 7*");
    ASSERT_EQ(hip.size(), static_cast<size_t>(kListMax));
    catalog::ObjectId id = catalog::kNoObject;
    for (size_t i = 0; i < hip.size(); ++i) {
        id = catalog::searchNext(id, "HIP 7*", catalog::LetterCase::kIgnored);
        ASSERT_EQ(hip[i].second, static_cast<intptr_t>(id)) << i;
    }
    EXPECT_FALSE(has(hip, kAlphaCenA));

    // The deep-sky objects whose names are Messier numbers of the forties.
    const auto messier = search("M 4?");
    ASSERT_FALSE(messier.empty());
    for (auto& [text, value] : messier) {
        EXPECT_EQ(catalog::objectKind(static_cast<catalog::ObjectId>(value)), 1) << text;
        EXPECT_EQ(text.size(), 4u) << text;
        EXPECT_EQ(text.rfind("M 4", 0), 0u) << text;
    }
    EXPECT_EQ(messier.front().first, "M 43");

    // Nothing found leaves the list empty.
    EXPECT_TRUE(search("zzqx*").empty());

    // Choose Alpha Centauri A, look and lock.
    const auto found = search("alp* Cen*");
    int row = -1;
    for (size_t i = 0; i < found.size(); ++i)
        if (found[i].second == kAlphaCenA) row = static_cast<int>(i);
    ASSERT_GE(row, 0);
    const Rect lr = clientRect(list);
    click(lr.x + 20, lr.y + 2 + row * kCellHeight + kCellHeight / 2);
    ASSERT_EQ(sendTo(list, kListSelected), row);
    cam().lock = 0;
    clickIn(widget(w, "BUTTON", "Look & Lock"));
    EXPECT_EQ(cam().lock, kAlphaCenA);
    // The view is turned towards it: its direction lies along the camera's forward axis.
    Vector3 p{};
    ASSERT_EQ(catalog::objectPosition(kAlphaCenA, p), 1);
    Vector3 d{p.x - cam().IPos.x, p.y - cam().IPos.y, p.z - cam().IPos.z};
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    for (int i = 0; i < 400; ++i) frame();  // the turn runs over frames
    const double along = (d.x * cam().Cam.m[2][0] + d.y * cam().Cam.m[2][1] + d.z * cam().Cam.m[2][2]) / len;
    EXPECT_GT(along, 0.999);
}

TEST_F(Panels, MarkersListsTheMarkerFolderAndLoadsAndClearsAFile) {
    const Node w = open(kMarkersPanel);
    const Node list = find(w, "LIST");
    ASSERT_NE(list, kNoNode);
    const std::vector<std::string> files = markers::markerFiles();
    ASSERT_FALSE(files.empty());
    const auto shown = items(list);
    ASSERT_EQ(shown.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(shown[i].first, files[i]);

    int row = -1;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i] == "nearest.map") row = static_cast<int>(i);
    ASSERT_GE(row, 0);
    sendTo(list, kListSelect, row);
    camera::rebuildSky = 0;
    ASSERT_EQ(markers::markerCount(), 0);
    clickIn(widget(w, "BUTTON", "Load"));
    EXPECT_GT(markers::markerCount(), 0);
    EXPECT_EQ(sendTo(list, kListValue, row), 1);
    EXPECT_EQ(markers::markersShown, 1);
    EXPECT_EQ(checked(widget(w, "CHECK", "Show Markers")), 1);
    EXPECT_EQ(camera::rebuildSky, 1);

    clickIn(widget(w, "CHECK", "Show Markers"));
    EXPECT_EQ(markers::markersShown, 0);
    clickIn(widget(w, "BUTTON", "Clear"));
    EXPECT_EQ(markers::markerCount(), 0);
    EXPECT_EQ(sendTo(list, kListValue, row), 0);
}

TEST_F(Panels, TheirKeysShowThemInFrontAndTheLocationSliderSetsTheSpeed) {
    const std::pair<int, const char*> keys[] = {{'C', kCameraPanel},  {'L', kLocationPanel}, {'K', kMarkersPanel},
                                                {'P', kPluginsPanel}, {'S', kSearchPanel},   {'X', kConfigPanel}};
    for (auto [vk, cls] : keys) {
        const Node w = panelWindow(cls);
        ASSERT_NE(w, kNoNode) << cls;
        EXPECT_NE(nodeFlags(w) & kClosed, 0u) << cls;
        key(vk);
        EXPECT_EQ(nodeFlags(w) & kClosed, 0u) << cls;
        EXPECT_EQ(activeNode(), w) << cls;
    }
    // While a field holds the keyboard the keys are its characters.
    const Node w = panelWindow(kLocationPanel);
    key('L');
    const Node step = byCaption(find(w, "ZLOCTIME"), "EDIT", "Time step:");
    clickIn(step, clientRect(step).width - 4);
    key('C');
    EXPECT_NE(activeNode(), panelWindow(kCameraPanel));

    // The speed slider: a logarithmic scale from the top speed (1000 ly a frame) down to 1.
    const Node slider = find(w, "ZLOCSPEED");
    ASSERT_NE(slider, kNoNode);
    const Rect r = clientRect(slider);
    ASSERT_EQ(camera::setMode(camera::kModeInterstellar), 1);
    moveTo(r.x + 10, r.y + 6);
    press();
    EXPECT_NEAR(cam().speed, 1000.0, 1e-9);
    moveTo(r.x + 10, r.y + 6 + 57);
    EXPECT_NEAR(cam().speed, std::sqrt(1000.0), 1e-9);
    // Held past its ends it stays at them.
    moveTo(r.x + 10, r.y + 125);
    EXPECT_NEAR(cam().speed, 1.0, 1e-9);
    release();
    // In a star system it sets the speed there, up to 7.48e8 km a frame.
    cam().system = cam().lock = 0xF8FC;
    ASSERT_EQ(camera::setMode(camera::kModeSystem), 1);
    moveTo(r.x + 10, r.y + 2);
    press();
    EXPECT_NEAR(cam().sspeed, 7.48e8, 1.0);
    release();
    EXPECT_NEAR(cam().speed, 1.0, 1e-9);
}

TEST_F(Panels, ThePluginsPanelListsAnnouncedWindowsAndShowsTheOneClicked) {
    const Node a = createNode(kNoNode, "GROUP", "Star chart", 300, 40, 120, 80, kTitleBar | kFilled | kVisible);
    const Node b = createNode(kNoNode, "GROUP", "Ephemeris", 320, 60, 120, 80, kTitleBar | kFilled | kVisible);
    ASSERT_NE(a, kNoNode);
    ASSERT_NE(b, kNoNode);
    EXPECT_EQ(announceWindow(a, "Star chart"), 1);
    EXPECT_EQ(announceWindow(a, "again"), 0);
    EXPECT_EQ(announceWindow(b, "An ephemeris of the planets with a name far too long"), 1);
    EXPECT_EQ(announceWindow(kNoNode, "none"), 0);
    EXPECT_NE(nodeFlags(a) & kClosed, 0u);
    EXPECT_STREQ(announcedName(1), "An ephemeris of the planets wit");

    const Node w = open(kPluginsPanel);
    const Node list = find(w, "LIST");
    auto shown = items(list);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].first, "Star chart");
    EXPECT_EQ(shown[1].second, static_cast<intptr_t>(b));
    const Rect lr = clientRect(list);
    click(lr.x + 20, lr.y + 2 + kCellHeight + kCellHeight / 2);
    EXPECT_EQ(nodeFlags(b) & kClosed, 0u);
    EXPECT_EQ(activeNode(), b);

    // A withdrawn window and a destroyed one leave the list.
    withdrawWindow(a);
    frame();
    shown = items(list);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].second, static_cast<intptr_t>(b));
    destroyNode(b);
    frame();
    EXPECT_TRUE(items(list).empty());

    // A full table refuses, until a destroyed window gives its place up.
    Node made[kMaxAnnouncements];
    for (int i = 0; i < kMaxAnnouncements; ++i) {
        made[i] = createNode(kNoNode, "GROUP", "w", 0, 0, 10, 10, kVisible);
        ASSERT_EQ(announceWindow(made[i], "w"), 1) << i;
    }
    const Node extra = createNode(kNoNode, "GROUP", "x", 0, 0, 10, 10, kVisible);
    EXPECT_EQ(announceWindow(extra, "x"), 0);
    destroyNode(made[5]);
    EXPECT_EQ(announceWindow(extra, "x"), 1);
    EXPECT_EQ(announcementCount(), kMaxAnnouncements);

    // The next start finds the table empty.
    panelsStop();
    EXPECT_EQ(announcementCount(), 0);
    ASSERT_EQ(panelsStart(), 1);
}

TEST_F(Panels, TheCameraConfigAndLocationPanelsAsDrawn) {
    showPanel(kCameraPanel);
    moveNode(panelWindow(kConfigPanel), 290, 10);
    showPanel(kConfigPanel);
    moveNode(panelWindow(kLocationPanel), 290, 220);
    showPanel(kLocationPanel);
    cam().system = cam().lock = 0xF8FC;
    ASSERT_EQ(camera::setMode(camera::kModeSystem), 1);
    for (int i = 0; i < 4; ++i) frame();
    EXPECT_EQ(golden::compare(surface, ptest::kWidth, ptest::kHeight, "panels-camera-config-location"), "");
}

}  // namespace

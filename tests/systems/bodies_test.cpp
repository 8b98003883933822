// Drawing the running system: the mesh, the surface-map slots, the body list's entries and
// their order, and what lands on the picture (dots and meshes, the day side, rings, paths,
// labels, brackets and the pick).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "render/linefont.h"
#include "render/sprites.h"
#include "systems_fixture.h"
#include "vfs/vfs.h"

namespace {

using stest::Line;
using systems::BodyListEntry;

class BodyDrawing : public stest::SystemFixture {
protected:
    static constexpr int kWidth = 320, kHeight = 200, kCx = kWidth / 2, kCy = kHeight / 2;
    draw::Surface surface;

    static void SetUpTestSuite() {
        // The shipped mesh and surface maps, from the staged packs.
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
        ASSERT_EQ(vfs::openPacks(), 1);
    }
    static void TearDownTestSuite() { vfs::closePacks(); }

    void SetUp() override {
        SystemFixture::SetUp();
        ASSERT_TRUE(draw::createSurface(surface, kWidth, kHeight));
        cam().Cam = vmath::identity();
        cam().flags = camera::kDefaultFlags;
        cam().lock = camera::kNone;
        cam().lockBlink = 0;
        ASSERT_GT(systems::meshTriangleCount(), 0);
        render::loadLineFont();
        render::loadSprites();
    }

    // Enters the lines and puts the camera `distance` km in front of body `id`, looking at it
    // along +z.
    void enterAndFace(const std::string& text, int32_t id, double distance) {
        enter(text);
        systems::advance(0.0);
        const Vector3 p = object(id).position;
        cam().SPos = {p.x, p.y, p.z - distance};
    }

    int countKind(uint8_t kind) const {
        int n = 0;
        for (int i = 0; i < systems::bodyListCount(); ++i) n += systems::bodyListAt(i)->kind == kind;
        return n;
    }
    void draw() {
        draw::clear(surface, 0);
        systems::drawSystem(surface, cam(), kCx, kCy);
    }
    uint32_t at(int x, int y) const { return draw::getPixel(surface, x, y); }
};

TEST_F(BodyDrawing, TheShippedMeshAndMaps) {
    // The sphere's records have unit vertices and a normal that faces out; every slot of the
    // table has its map and shade table.
    for (int t = 0; t < systems::meshTriangleCount(); ++t) {
        const systems::MeshTriangle& tri = *systems::meshTriangle(t);
        for (const Vector3& v : tri.vertex) EXPECT_NEAR(stest::norm(v), 1.0, 1e-9);
        EXPECT_GT(vmath::dot(tri.normal, tri.vertex[0]), 0.9);
    }
    for (int slot = 0; slot < systems::kMapSlots; ++slot) {
        EXPECT_NE(systems::mapSlot(slot).map, nullptr) << slot;
        EXPECT_TRUE(systems::mapSlot(slot).shaded) << slot;
    }
    // Colours below 0x1000000 choose the slot by their low five bits; any alpha byte, slot 0.
    EXPECT_EQ(systems::slotOf(0x00000004), 4);
    EXPECT_EQ(systems::slotOf(0x00FFFF24), 4);
    EXPECT_EQ(systems::slotOf(0xFF000004), 0);
    EXPECT_EQ(systems::slotOf(0x01000000), 0);
}

// The mesh's texture planes reproduce the map coordinates the mesh was made with: for points
// inside each triangle, a from the plane equals the longitude's column and b the colatitude's row.
TEST_F(BodyDrawing, MeshTextureRoundTrip) {
    int checked = 0;
    for (int t = 0; t < systems::meshTriangleCount(); t += 7) {
        const systems::MeshTriangle& tri = *systems::meshTriangle(t);
        const Vector3 P0 = vmath::operator+(vmath::operator+(tri.vertex[0], vmath::operator*(tri.axisU, tri.mapU0)),
                                            vmath::operator*(tri.axisV, tri.mapV0));
        const Vector3 p = vmath::operator*(vmath::operator+(vmath::operator+(tri.vertex[0], tri.vertex[1]), tri.vertex[2]), 1.0 / 3);
        const Vector3 d = vmath::operator-(p, P0);
        const double uu = vmath::dot(tri.axisU, tri.axisU), uv = vmath::dot(tri.axisU, tri.axisV),
                     vv = vmath::dot(tri.axisV, tri.axisV);
        const double du = vmath::dot(d, tri.axisU), dv = vmath::dot(d, tri.axisV), det = uu * vv - uv * uv;
        const double a = (du * vv - dv * uv) / det, b = (dv * uu - du * uv) / det;
        Vector3 u = p;
        vmath::normalize(u);
        const double latitude = std::asin(u.z), longitude = std::atan2(-u.y, u.x);
        if (std::fabs(latitude) > 1.4) continue;  // pole triangles share one vertex for the pole
        double column = a - (longitude + M_PI) / (2 * M_PI);
        column -= std::round(column);
        EXPECT_NEAR(column * systems::kMapWidth * std::cos(latitude), 0, 1.5) << t;
        EXPECT_NEAR((b - (M_PI / 2 - latitude) / M_PI) * systems::kMapHeight, 0, 1.0) << t;
        ++checked;
    }
    EXPECT_GT(checked, 200);
}

TEST_F(BodyDrawing, DotsBelowThreeAndMeshesFromThree) {
    // Apparent size = radius / distance × zoom × 400: a radius of 1000 km at 200,000 km is 3.
    Line l;
    l.radius = "1000";
    enterAndFace(l.text(), 0x2000001, 200000);
    systems::buildBodyList(cam());
    EXPECT_GT(countKind(systems::kEntryTriangle), 0);
    EXPECT_EQ(countKind(systems::kEntryDot), 0);
    EXPECT_EQ(countKind(systems::kEntryMarker), 2);  // the body and its star
    // Only faces turned to the camera enter the list: about half the sphere.
    EXPECT_LT(countKind(systems::kEntryTriangle), systems::meshTriangleCount() * 6 / 10);
    EXPECT_GT(countKind(systems::kEntryTriangle), systems::meshTriangleCount() * 4 / 10);
    // A hair farther, the size is 2: a dot.
    cam().SPos.z -= 1.0;
    systems::buildBodyList(cam());
    EXPECT_EQ(countKind(systems::kEntryTriangle), 0);
    EXPECT_EQ(countKind(systems::kEntryDot), 1);
    // A body behind the camera has nothing in the list.
    cam().SPos.z += 400000;
    systems::buildBodyList(cam());
    EXPECT_EQ(countKind(systems::kEntryDot), 0);
}

TEST_F(BodyDrawing, TheDaySideFacesTheStar) {
    // The planet at 1 AU on +x; the camera looks at it along +z, so the star is to the left.
    Line l;
    l.radius = "6000";
    l.spinPeriod = "0";
    enterAndFace(l.text(), 0x2000001, 40000);
    const systems::SystemObject& p = object(0x2000001);
    ASSERT_NEAR(p.position.x, systems::kKmPerAu, 1);
    systems::buildBodyList(cam());
    int lit = 0, dark = 0;
    for (int i = 0; i < systems::bodyListCount(); ++i) {
        const BodyListEntry& e = *systems::bodyListAt(i);
        if (e.kind != systems::kEntryTriangle) continue;
        const double x = (e.p[0].x + e.p[1].x + e.p[2].x) / 3;
        if (x < -3000) lit += e.level > 60, dark += e.level == 0;  // the half turned to the star
        if (x > 3000) dark += e.level == 0, lit += e.level > 60;
    }
    EXPECT_GT(lit, 50);
    EXPECT_GT(dark, 50);
    draw();
    // Textured: the left limb shows the map, the right one is black.
    const int r = static_cast<int>(kCx * cam().zoom * 6000 / 40000);
    EXPECT_NE(at(kCx - r / 2, kCy), 0u);
    EXPECT_EQ(at(kCx + r / 2, kCy), 0u);
    // Flat faces: bright towards the star (from black to white over the levels), black away.
    cam().flags &= ~camera::kFlagBodyTexture;
    draw();
    int level = -1;
    for (int L = 0; L < systems::kShadeLevels; ++L)
        if (systems::mapSlot(0).shade[L][128] == at(kCx - r * 9 / 10, kCy)) level = L;
    EXPECT_GT(level, 100);
    EXPECT_EQ(at(kCx + r / 2, kCy), 0u);
}

// Where the processor gathers, textured rows are written eight pixels at a time; every pixel must
// be the one the plain path writes. Close up the rows are long and run through the seam of the
// map (the column wraps); turned and rolled they step both ways across it; at the limb the
// texture planes graze the eye.
TEST_F(BodyDrawing, TheGatheredRowsDrawThePlainRowsPixels) {
    if (!draw::setWidePaths(true)) GTEST_SKIP() << "the processor has no gathers";
    Line l;
    l.radius = "6000";
    l.spin0 = "0.3";
    enterAndFace(l.text(), 0x2000001, 7200);
    const CameraRecord start = cam();
    int drawn = 0;
    for (int view = 0; view < 24; ++view) {
        cam() = start;
        vmath::rotateCamera(cam().Cam, 0.02 * view, 0.03 * view, 0.37 * view);
        cam().SPos.z -= 700.0 * (view % 5);
        draw::setWidePaths(true);
        draw();
        const std::vector<uint32_t> wide(surface.pixels, surface.pixels + kWidth * kHeight);
        draw::setWidePaths(false);
        draw();
        int differ = 0, lit = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) differ += wide[i] != surface.pixels[i], lit += wide[i] != 0;
        EXPECT_EQ(differ, 0) << "view " << view;
        drawn += lit > kWidth * kHeight / 4;
    }
    draw::setWidePaths(true);
    EXPECT_GT(drawn, 12);  // most views are mostly planet
}

TEST_F(BodyDrawing, RingsStraddlingTheCameraPlaneLoseTheirHiddenSegments) {
    // A ring of 100,000 km round the star, in the plane of x and z; the camera on that plane
    // 50,000 km out along −z, looking along +z.
    Line ring;
    ring.kind = "F";
    ring.axis = std::to_string(100000 / systems::kKmPerAu);
    ring.incl = "90";
    ring.colour = "FFFF0000";
    enter(ring.text());
    systems::advance(0.0);
    cam().SPos = {0, 0, -50000};
    systems::buildBodyList(cam());
    // Point k of the ring (9k°) is at depth 50,000 + 100,000·sin 9k°: points 24 to 36 are at or
    // behind the camera plane, so the 14 segments that touch them are not in the list.
    int segments = 0;
    bool kept[40] = {};
    for (int i = 0; i < systems::bodyListCount(); ++i) {
        const BodyListEntry& e = *systems::bodyListAt(i);
        if (e.kind != systems::kEntrySegment) continue;
        ++segments;
        EXPECT_GT(e.p[0].z, 0);
        EXPECT_GT(e.p[1].z, 0);
        const double angle = std::atan2(e.p[0].z - 50000, e.p[0].x) / systems::kDeg;
        kept[static_cast<int>(std::lround((angle < 0 ? angle + 360 : angle) / 9)) % 40] = true;
    }
    EXPECT_EQ(segments, 26);
    for (int k = 0; k < 40; ++k) EXPECT_EQ(kept[k], k < 23 || k > 36) << k;
}

TEST_F(BodyDrawing, RingsInFrontOfTheirPlanetCoverIt) {
    Line planet, ring;
    planet.radius = "60000";
    ring.id = "2000002";
    ring.parent = "2000001";
    ring.kind = "F";
    ring.axis = std::to_string(100000 / systems::kKmPerAu);
    ring.incl = "75";
    ring.colour = "FFFF0000";
    enterAndFace(planet.text() + "\n" + ring.text(), 0x2000001, 360000);
    cam().flags &= ~camera::kFlagOrbits;
    draw();
    const uint32_t red = draw::packColour(surface.format, 255, 0, 0);
    int onDisc = 0;
    const int r = static_cast<int>(kCx * cam().zoom * 60000 / 360000) - 2;
    for (int y = kCy - r; y <= kCy + r; ++y)
        for (int x = kCx - r; x <= kCx + r; ++x)
            onDisc += (x - kCx) * (x - kCx) + (y - kCy) * (y - kCy) < r * r && at(x, y) == red;
    // Seen from low over the ring's plane, its near half crosses the disc and its far half is
    // hidden behind it.
    EXPECT_GT(onDisc, 10);
    int nearPixels = 0;
    for (int i = 0; i < systems::bodyListCount(); ++i) {
        const BodyListEntry& e = *systems::bodyListAt(i);
        if (e.kind == systems::kEntrySegment && e.distance < 300000) ++nearPixels;
    }
    EXPECT_GT(nearPixels, 0);
}

TEST_F(BodyDrawing, OrbitPathsInGreenByDistance) {
    Line l;
    enterAndFace(l.text(), 0x2000001, 3e8);
    cam().SPos = {0, 0, -3e8};
    cam().flags |= camera::kFlagOrbits;
    systems::buildBodyList(cam());
    EXPECT_EQ(countKind(systems::kEntryPath), systems::kPathLength - 1);
    draw();
    // 2 AU away the paths are green 159 − 16 × trunc(3e8 · 2 / 2.244e9) = 159.
    const uint32_t green = draw::packColour(surface.format, 0, 159, 0);
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) n += at(x, y) == green;
    EXPECT_GT(n, 100);
    // Paths are off with the switch off, and do not depend on their body being in view.
    cam().SPos = {0.9 * systems::kKmPerAu, 0, 1e7};
    cam().Cam = {{{0, -1, 0, 0}, {0, 0, 1, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}}};  // looking along −x
    systems::buildBodyList(cam());
    EXPECT_EQ(countKind(systems::kEntryMarker), 1);  // the star's: the planet is behind
    EXPECT_GT(countKind(systems::kEntryPath), 0);
    cam().flags &= ~camera::kFlagOrbits;
    systems::buildBodyList(cam());
    EXPECT_EQ(countKind(systems::kEntryPath), 0);
}

TEST_F(BodyDrawing, MoonLabelsOnlyWhileTheirPlanetIsLocked) {
    Line planet, moon;
    planet.name = "Planet";
    moon.id = "2000002";
    moon.parent = "2000001";
    moon.axis = std::to_string(30000 / systems::kKmPerAu);
    moon.period = "3";
    moon.name = "Moon";
    enterAndFace(planet.text() + "\n" + moon.text(), 0x2000001, 200000);
    cam().flags |= camera::kFlagLabels;
    cam().flags &= ~camera::kFlagOrbits;
    const uint32_t blue = video::colours.palette[48];
    auto labelPixels = [&] {
        draw();
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) n += at(x, y) == blue;
        return n;
    };
    const int planetOnly = labelPixels();
    EXPECT_GT(planetOnly, 0);
    cam().lock = 0x2000001;
    EXPECT_GT(labelPixels(), planetOnly);
    cam().lock = camera::kNone;
    cam().flags &= ~camera::kFlagLabels;
    EXPECT_EQ(labelPixels(), 0);
}

TEST_F(BodyDrawing, APulsarsRingsAndJets) {
    const catalog::ObjectId pulsar = sky.addDeepSky(catalog::kPulsar, {5, 5, 5}, 0, 0);
    sky.attach();
    ASSERT_EQ(systems::enterSystem(static_cast<int32_t>(pulsar), table), 1);
    systems::advance(0.0);
    // Seen from 1 AU along −x, looking along +x: the rings (in the xy plane) are edge on and
    // wholly in front, the jets run up and down the picture.
    cam().SPos = {-1.496e8, 0, 0};
    cam().Cam = {{{0, 1, 0, 0}, {0, 0, -1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}};
    systems::buildBodyList(cam());
    EXPECT_EQ(countKind(systems::kEntrySegment), 16 * 40 + 2);
    draw();
    const uint32_t jet = draw::packColour(surface.format, 0xC0, 0xC0, 0xC0);
    EXPECT_EQ(at(kCx, kCy - 40), jet);
    EXPECT_EQ(at(kCx, kCy + 40), jet);
}

TEST_F(BodyDrawing, TheGlareOfTheStarAhead) {
    enter("");
    systems::advance(0.0);
    // The star straight ahead, near enough for a disc of 5 pixels and more.
    cam().SPos = {0, 0, -5e7};
    cam().flags |= camera::kFlagFlare;
    draw();
    // Dark sky around the disc takes the glare's colour; without the switch it stays black.
    const uint32_t glare = at(5, 5);
    EXPECT_EQ(glare, video::colours.star[systems::objectAt(0)->colourCode][76]);  // (1 − 0.7) × 256
    EXPECT_EQ(at(kWidth - 5, kHeight - 5), glare);
    cam().flags &= ~camera::kFlagFlare;
    draw();
    EXPECT_EQ(at(5, 5), 0u);
}

int32_t lastHover = -1, lastSelect = -1;
int32_t onEvent(zode::Message* m) {
    if (m->code == zode::kEventHover) lastHover = static_cast<int32_t>(m->a1);
    if (m->code == zode::kEventSelect) lastSelect = static_cast<int32_t>(m->a1);
    return 0;
}

TEST_F(BodyDrawing, PickingHoverAndLock) {
    ASSERT_EQ(zode::start(), 1);
    zode::Request r{0, reinterpret_cast<const void*>(&onEvent), zode::kDirect, nullptr};
    const int object = zode::registerObject(&r);
    zode::createEventType(zode::kEventHover);
    zode::createEventType(zode::kEventSelect);
    zode::subscribe(zode::kEventHover, object);
    zode::subscribe(zode::kEventSelect, object);
    Line l;
    l.radius = "100";
    enterAndFace(l.text(), 0x2000001, 1e6);
    // The marker is at the centre; within 4 pixels the body is the hover, at 5 it is not.
    input::pointer.x = kCx + 4;
    input::pointer.y = kCy;
    lastHover = -1;
    draw();
    EXPECT_EQ(cam().hover, 0x2000001);
    EXPECT_EQ(lastHover, 0x2000001);
    cam().hover = -1;
    input::pointer.x = kCx + 5;
    draw();
    EXPECT_EQ(cam().hover, -1);
    // A press within 5 pixels locks it, once; the red square marks it, shrinking from 64.
    input::pointer.x = kCx + 3;
    input::pointer.leftDown = 1;
    draw();
    EXPECT_EQ(cam().lock, 0x2000001);
    EXPECT_EQ(lastSelect, 0x2000001);
    EXPECT_EQ(cam().lockBlink, 16);
    lastSelect = -1;
    draw();
    EXPECT_EQ(lastSelect, -1);  // held: not locked again
    EXPECT_EQ(cam().lockBlink, 15);  // this frame drew the 64-pixel square
    const uint32_t red = draw::packColour(surface.format, 255, 0, 0);
    EXPECT_EQ(at(kCx + 64, kCy), red);
    EXPECT_EQ(at(kCx, kCy - 64), red);
    // Over an in-scene window nothing is picked.
    input::pointer.leftDown = 0;
    draw();
    cam().lock = camera::kNone;
    input::pointerOverWindow = 1;
    input::pointer.leftDown = 1;
    draw();
    EXPECT_EQ(cam().lock, camera::kNone);
    input::pointerOverWindow = 0;
    zode::stop();
}

}  // namespace

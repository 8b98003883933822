// Markers in the sky lists: lines, arrows, texts and marks, and how they draw.
#include <cmath>
#include <cstring>
#include <string>

#include "extensions/markers.h"
#include "render/render_fixture.h"
#include "render/sky_internal.h"

namespace {

using render::lists;

double len(const Vector3& v) { return std::sqrt(vmath::dot(v, v)); }

class MarkersInTheSky : public rtest::RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        cam().flags = 0;  // markers alone
        cam().IPos = {10, 20, 30};
        markers::markerClear();
        markers::markersShown = 1;
        ASSERT_EQ(render::addLayer(markers::markersLayer()), 1);
    }
    void TearDown() override {
        render::removeLayer(markers::markersLayer());
        markers::markerClear();
        markers::markersShown = 0;
        RenderFixture::TearDown();
    }
    markers::Marker marker(int kind, Vector3 p1, Vector3 p2 = {}, int32_t colour = 0x00FF00) {
        markers::Marker m{};
        m.kind = kind;
        m.point1 = p1;
        m.point2 = p2;
        m.colour = colour;
        return m;
    }
    void build() { render::buildScene(cam()); }
};

TEST_F(MarkersInTheSky, LineIsOneEntryScaledByItsMidpoint) {
    const Vector3 eye = cam().IPos;
    markers::markerAppend(marker(markers::kLine, {eye.x + 10, eye.y, eye.z + 40}, {eye.x - 10, eye.y, eye.z + 40}));
    build();
    ASSERT_EQ(lists().lines.count, 1);
    ASSERT_EQ(lists().sky.count, 1);
    EXPECT_EQ(lists().sky.items[0].kind, render::kSkyLine);
    EXPECT_NEAR(lists().sky.items[0].distance, 40.0, 1e-9);
    const render::LineEntry& e = lists().lines.items[0];
    const double k = vmath::kSkyRadius / 40.0;
    EXPECT_NEAR(e.p1.x, 10 * k, 1e-3);
    EXPECT_NEAR(e.p2.x, -10 * k, 1e-3);
    EXPECT_NEAR(e.p1.z, 40 * k, 1e-3);
    EXPECT_EQ(e.colour, 0x00FF00u);
    EXPECT_EQ(e.ownColour, 1);

    markers::markersShown = 0;
    build();
    EXPECT_EQ(lists().lines.count, 0) << "hidden markers make no entries";
}

TEST_F(MarkersInTheSky, ArrowIsTheLineAndTwoHeadStrokesAtTheTip) {
    const Vector3 eye = cam().IPos;
    markers::markerAppend(marker(markers::kArrow, {eye.x - 8, eye.y, eye.z + 50}, {eye.x + 8, eye.y, eye.z + 50}));
    build();
    ASSERT_EQ(lists().lines.count, 3);
    ASSERT_EQ(lists().sky.count, 3);
    const auto& l = lists().lines.items;
    const Vector3 shaft = vmath::operator-(l[0].p1, l[0].p2);
    const double shaftLength = len(shaft);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(l[i].p1.x, l[0].p2.x);
        EXPECT_EQ(l[i].p1.y, l[0].p2.y);
        EXPECT_EQ(l[i].p1.z, l[0].p2.z);
        const Vector3 stroke = vmath::operator-(l[i].p2, l[i].p1);
        EXPECT_NEAR(len(stroke), shaftLength / 8, shaftLength * 1e-9);
        const double cosine = vmath::dot(stroke, shaft) / (len(stroke) * shaftLength);
        EXPECT_NEAR(std::acos(cosine) * 180 / vmath::kPi, 25.0, 1e-6);
    }
    // The head opens across the view: one stroke to each side of the line, in y (screen-down),
    // not in depth.
    EXPECT_LT((l[1].p2.y - l[0].p2.y) * (l[2].p2.y - l[0].p2.y), 0);
    EXPECT_NEAR(l[1].p2.z, l[0].p2.z, 1e-6 * vmath::kSkyRadius);

    // Drawn: pixels above and below the shaft near the tip, none beyond the tip.
    render::drawScene(surface, kCx, kCy);
    const uint32_t green = 0x00FF00;
    int tipX = -1;
    for (int x = kWidth - 1; x >= 0 && tipX < 0; --x)
        if (at(x, kCy) == green) tipX = x;
    ASSERT_GT(tipX, kCx);
    bool above = false, below = false;
    for (int x = kCx; x <= tipX; ++x)
        for (int d = 2; d < 20; ++d) {
            above |= at(x, kCy - d) == green;
            below |= at(x, kCy + d) == green;
        }
    EXPECT_TRUE(above && below);
}

TEST_F(MarkersInTheSky, TextEntryKeepsSeventyFiveCharactersAndTheMarkerColour) {
    const Vector3 eye = cam().IPos;
    markers::Marker m = marker(markers::kText, {eye.x, eye.y, eye.z + 3}, {}, 0x0000FF);
    std::string text(131, 'x');
    text[74] = 'L';
    std::memcpy(m.text, text.c_str(), text.size() + 1);
    markers::markerAppend(m);
    build();
    ASSERT_EQ(lists().texts.count, 1);
    const render::TextEntry& t = lists().texts.items[0];
    EXPECT_EQ(std::strlen(t.text), 75u);
    EXPECT_EQ(t.text[74], 'L');
    EXPECT_EQ(t.colour & ~render::kTextDeviceColour, 0x0000FFu);
    EXPECT_NE(t.colour & render::kTextDeviceColour, 0u);
    EXPECT_NEAR(lists().sky.items[0].distance, 3.0, 1e-12);
    EXPECT_NEAR(t.point.z, vmath::kSkyRadius, 1.0);
}

TEST_F(MarkersInTheSky, MarkIsASmallCrossAboutThePoint) {
    const Vector3 eye = cam().IPos;
    markers::markerAppend(marker(markers::kMark, {eye.x, eye.y, eye.z + 7}));
    build();
    ASSERT_EQ(lists().lines.count, 2);
    for (int i = 0; i < 2; ++i) {
        const auto& e = lists().lines.items[i];
        const Vector3 mid = vmath::operator*(vmath::operator+(e.p1, e.p2), 0.5);
        EXPECT_NEAR(mid.z, vmath::kSkyRadius, 1.0);
        EXPECT_NEAR(len(vmath::operator-(e.p1, e.p2)), 2 * 0.007 * vmath::kSkyRadius, 1.0);
        EXPECT_NEAR(lists().sky.items[i].distance, 7.0, 1e-12);
    }
    render::drawScene(surface, kCx, kCy);
    EXPECT_EQ(at(kCx, kCy), 0x00FF00u);
}

TEST_F(MarkersInTheSky, LineWithOneEndBehindTheNearLimitIsDroppedWhole) {
    const Vector3 eye = cam().IPos;
    // Midpoint 10 ly ahead; one end far ahead, the other beside the camera (depth 0 on the
    // sphere's scale), which is behind the near limit.
    markers::markerAppend(marker(markers::kLine, {eye.x, eye.y, eye.z + 20}, {eye.x + 3, eye.y, eye.z}));
    build();
    ASSERT_EQ(lists().lines.count, 1);
    render::drawScene(surface, kCx, kCy);
    EXPECT_EQ(countPixels(0x00FF00), 0);
    // Both ends in front: drawn.
    markers::markerClear();
    markers::markerAppend(marker(markers::kLine, {eye.x, eye.y, eye.z + 20}, {eye.x + 3, eye.y, eye.z + 20}));
    build();
    render::drawScene(surface, kCx, kCy);
    EXPECT_GT(countPixels(0x00FF00), 0);
}

TEST_F(MarkersInTheSky, MarkersWithoutADirectionAreLeftOut) {
    const Vector3 eye = cam().IPos;
    markers::markerAppend(marker(markers::kText, eye));
    markers::markerAppend(marker(markers::kMark, eye));
    markers::markerAppend(marker(markers::kLine, {eye.x - 1, eye.y, eye.z}, {eye.x + 1, eye.y, eye.z}));
    markers::markerAppend(marker(markers::kLine, {NAN, 0, 0}, {1, 1, 1}));
    markers::markerAppend(marker(markers::kArrow, {1, 1, 1}, {INFINITY, 0, 0}));
    markers::markerAppend(marker(9, {1, 1, 1}, {2, 2, 2}));
    build();
    EXPECT_EQ(lists().sky.count, 0);
}

TEST_F(MarkersInTheSky, AFullMarkerTableFitsTheLineList) {
    const Vector3 eye = cam().IPos;
    for (int i = 0; i < markers::kMaxMarkers; ++i)
        EXPECT_EQ(markers::markerAppend(marker(markers::kArrow, {eye.x, eye.y, eye.z + 5},
                                               {eye.x + 1, eye.y, eye.z + 5})), 1);
    EXPECT_EQ(markers::markerAppend(marker(markers::kLine, {1, 1, 1})), 0) << "the table holds 128";
    EXPECT_EQ(markers::markerCount(), markers::kMaxMarkers);
    build();
    EXPECT_EQ(lists().lines.count, 3 * markers::kMaxMarkers);
    markers::markerClear();
    EXPECT_EQ(markers::markerCount(), 0);
    EXPECT_EQ(markers::markerAt(0), nullptr);
}

}  // namespace

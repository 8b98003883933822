// Markers in the sky: the scene layer that turns the marker table into line and text entries of
// the render lists while markers are shown.
//
// Geometry, on the sky sphere (every point is relative to the camera and scaled so that a line
// keeps its angular size):
// - line: one entry from point1 to point2, both ends scaled by the distance of the midpoint;
// - arrow: that line plus two head strokes from the tip (point2), each 1/8 of the scaled line's
//   length, at ±25° from the line pointing back toward point1, spread across the direction in
//   which the tip is seen (the head's plane holds the line and the perpendicular to both the
//   line and the tip's direction), so the head opens on screen; each stroke is sorted by its own
//   midpoint;
// - text: a text entry at point1 with the first 75 characters of the text;
// - mark: a cross of two strokes through point1, across the direction of point1, each reaching
//   kMarkArm of the sky radius (about 0.4°, some ten pixels at the default zoom) either side.
// A marker whose points are not finite, or whose line or point sits exactly on the camera, is
// left out: it has no direction.
#include <cmath>

#include "extensions/markers.h"
#include "render/scene.h"

namespace markers {

namespace {

constexpr double kHeadAngle = 25.0 * vmath::kPi / 180.0;
constexpr double kHeadFraction = 1.0 / 8.0;
constexpr double kMarkArm = 0.007;

using vmath::cross;
using vmath::dot;
using vmath::operator+;
using vmath::operator-;
using vmath::operator*;

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

double length(const Vector3& v) { return std::sqrt(dot(v, v)); }

// A unit vector perpendicular to the unit vector u.
Vector3 anyPerpendicular(const Vector3& u) {
    const Vector3 axis = std::fabs(u.x) < 0.9 ? Vector3{1, 0, 0} : Vector3{0, 1, 0};
    Vector3 n = cross(u, axis);
    return n * (1.0 / length(n));
}

// A line entry from a to b (already on the sky sphere) sorted at `distance` ly.
bool addLine(const Vector3& a, const Vector3& b, uint32_t colour, double distance) {
    return render::addSkyLine(a, b, colour, distance);
}

// Scales a and b (light years relative to the camera) by their midpoint's distance; false when
// the midpoint is the camera.
bool scaleLine(const Vector3& a, const Vector3& b, Vector3& sa, Vector3& sb, double& distance) {
    distance = length((a + b) * 0.5);
    if (!(distance > 0.0)) return false;
    const double k = vmath::kSkyRadius / distance;
    sa = a * k;
    sb = b * k;
    return true;
}

void addArrowHead(const Vector3& s1, const Vector3& s2, double lineDistance, uint32_t colour) {
    const Vector3 back = s1 - s2;
    const double len = length(back);
    if (!(len > 0.0)) return;
    const Vector3 u = back * (1.0 / len);
    // Across both the line and the tip's direction: seen from the camera the head opens fully.
    Vector3 n = cross(u, s2);
    const double nl = length(n);
    n = nl > len * 1e-9 ? n * (1.0 / nl) : anyPerpendicular(u);
    const double strokeLength = len * kHeadFraction;
    for (double side : {1.0, -1.0}) {
        const Vector3 dir = u * std::cos(kHeadAngle) + n * (side * std::sin(kHeadAngle));
        const Vector3 end = s2 + dir * strokeLength;
        // The stroke's own midpoint distance, in light years: sky-sphere lengths are the line's
        // light years times kSkyRadius / lineDistance.
        const double distance = length((s2 + end) * 0.5) * lineDistance / vmath::kSkyRadius;
        if (!addLine(s2, end, colour, distance)) return;
    }
}

void addMark(const Vector3& p, uint32_t colour) {
    const double d = length(p);
    if (!(d > 0.0)) return;
    const Vector3 f = p * (1.0 / d);
    const Vector3 centre = f * vmath::kSkyRadius;
    const Vector3 e1 = anyPerpendicular(f);
    const Vector3 e2 = cross(f, e1);
    const double arm = kMarkArm * vmath::kSkyRadius;
    for (const Vector3& e : {e1, e2}) {
        if (!addLine(centre - e * arm, centre + e * arm, colour, d)) return;
    }
}

void addText(const Vector3& p, uint32_t colour, const char* text) {
    const double d = length(p);
    if (!(d > 0.0)) return;
    // The first 75 characters: the table keeps every text terminated within its 132 bytes.
    render::addSkyText(p * (vmath::kSkyRadius / d),
                       render::kTextDeviceColour | (colour & ~render::kTextDeviceColour), text, d);
}

void collectMarkers(const render::SceneBuild& b) {
    if (!markersShown) return;
    const CameraRecord& camera = b.camera;
    const int count = markerCount();
    for (int i = 0; i < count; ++i) {
        const Marker* m = markerAt(i);
        if (m == nullptr || !finite(m->point1)) continue;
        const Vector3 p1 = m->point1 - camera.IPos;
        const uint32_t colour = static_cast<uint32_t>(m->colour);
        switch (m->kind) {
            case kLine:
            case kArrow: {
                if (!finite(m->point2)) break;
                const Vector3 p2 = m->point2 - camera.IPos;
                Vector3 s1, s2;
                double distance;
                if (!scaleLine(p1, p2, s1, s2, distance)) break;
                if (!addLine(s1, s2, colour, distance)) break;
                if (m->kind == kArrow) addArrowHead(s1, s2, distance, colour);
                break;
            }
            case kText: addText(p1, colour, m->text); break;
            case kMark: addMark(p1, colour); break;
            default: break;
        }
    }
}

constexpr render::SceneLayer kLayer = {"markers", render::kOrderMarkers, render::kInSky, collectMarkers, nullptr};

}  // namespace

const render::SceneLayer* markersLayer() { return &kLayer; }

}  // namespace markers

// The body sphere "planet.shape": a latitude–longitude triangle mesh of the unit sphere whose
// records carry their own texture plane, so that the body drawer's rule maps an equirectangular
// 512 × 256 surface map onto it.
//
// Frame and map convention: z is the body's north pole, latitude φ runs from the equator, and
// longitude λ grows from +x towards −y, i.e. clockwise seen from the north pole:
//   vertex = (cos φ·cos λ, −cos φ·sin λ, sin φ).
// The body frame of the star-system loader (rows A, W = A × V, V) is a reflection (determinant
// −1), so this left-handed layout comes out right-handed in the world: east lies
// counter-clockwise of north seen from outside and the maps are not mirrored.
// Map coordinates are
//   a = (λ + π) / 2π    (column 512·a: the map's left edge is longitude −180°)
//   b = (π/2 − φ) / π   (row 256·b: colatitude, north at the top row)
// The drawer solves P = P0 + a·U + b·V with P0 = v0 − (spin − mapU0)·U + mapV0·V, so the record
// stores mapU0 = −a(v0) and mapV0 = −b(v0): the drawer then reads a = a(P) + spin and b = b(P).
// A falling spin (the loader's spin rates are negative) brings western longitudes under a fixed
// point, which is prograde rotation.
//
// Every triangle lies between two meridians of the grid, one of which is the ±180° meridian at the
// seam, so no triangle crosses it: triangles at the seam's east side use a up to 1.0, and the
// drawer's column wrap (mod 512) makes 1.0 the same column as 0.0. Pole triangles give the pole
// the middle longitude of their sector. Triangles run counter-clockwise seen from outside in the
// body's own frame; the drawer culls by the stored normal, never by winding.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "assetbuild.h"
#include "base/vecmath.h"

namespace assets {

using namespace vmath;  // vector operators
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vert {
    Vector3 p;
    double a, b;
};

Vector3 unit(Vector3 v) { return v * (1.0 / std::sqrt(vmath::lengthSquared(v))); }

Vert vertex(int ring, int segment, int rings, int segments, double aOverride = -1) {
    double phi = kPi / 2 - ring * kPi / rings;
    double lambda = -kPi + segment * 2 * kPi / segments;
    Vert v;
    v.p = {std::cos(phi) * std::cos(lambda), -std::cos(phi) * std::sin(lambda), std::sin(phi)};
    if (ring == 0) v.p = {0, 0, 1};
    if (ring == rings) v.p = {0, 0, -1};
    v.a = aOverride >= 0 ? aOverride : static_cast<double>(segment) / segments;
    v.b = static_cast<double>(ring) / rings;
    return v;
}

void emit(Bytes& out, Vert v0, Vert v1, Vert v2) {
    Vector3 n = vmath::cross(v1.p - v0.p, v2.p - v0.p);
    if (vmath::dot(n, v0.p + v1.p + v2.p) < 0) {  // keep counter-clockwise seen from outside
        std::swap(v1, v2);
        n = n * -1.0;
    }
    n = unit(n);
    // Texture axes: the in-plane vectors U, V with v_i − v0 = (a_i − a_0)·U + (b_i − b_0)·V.
    Vector3 e1 = v1.p - v0.p, e2 = v2.p - v0.p;
    double da1 = v1.a - v0.a, db1 = v1.b - v0.b, da2 = v2.a - v0.a, db2 = v2.b - v0.b;
    double det = da1 * db2 - da2 * db1;
    Vector3 U = (e1 * db2 - e2 * db1) * (1.0 / det);
    Vector3 V = (e2 * da1 - e1 * da2) * (1.0 / det);
    for (const Vert* v : {&v0, &v1, &v2}) {
        putF64(out, v->p.x);
        putF64(out, v->p.y);
        putF64(out, v->p.z);
    }
    for (Vector3 w : {n, U, V}) {
        putF64(out, w.x);
        putF64(out, w.y);
        putF64(out, w.z);
    }
    putF64(out, -v0.a);
    putF64(out, -v0.b);
}

double f64(const uint8_t* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v;
}

struct Tri {
    Vector3 v[3], n, U, V;
    double mapU0, mapV0;
};

Tri readTri(const Bytes& mesh, size_t i) {
    const uint8_t* r = &mesh[i * 160];
    Tri t;
    for (int k = 0; k < 3; ++k) t.v[k] = {f64(r + 24 * k), f64(r + 24 * k + 8), f64(r + 24 * k + 16)};
    t.n = {f64(r + 72), f64(r + 80), f64(r + 88)};
    t.U = {f64(r + 96), f64(r + 104), f64(r + 112)};
    t.V = {f64(r + 120), f64(r + 128), f64(r + 136)};
    t.mapU0 = f64(r + 144);
    t.mapV0 = f64(r + 152);
    return t;
}

// (a, b) of a point in the triangle's plane by the drawer's rule with spin 0.
void mapCoords(const Tri& t, Vector3 p, double& a, double& b) {
    Vector3 P0 = t.v[0] + t.U * t.mapU0 + t.V * t.mapV0;
    Vector3 d = p - P0;
    double uu = vmath::dot(t.U, t.U), uv = vmath::dot(t.U, t.V), vv = vmath::dot(t.V, t.V);
    double du = vmath::dot(d, t.U), dv = vmath::dot(d, t.V), det = uu * vv - uv * uv;
    a = (du * vv - dv * uv) / det;
    b = (dv * uu - du * uv) / det;
}

}  // namespace

Bytes buildSphere(int rings, int segments) {
    Bytes out;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            double mid = (j + 0.5) / segments;
            if (i == 0) {
                emit(out, vertex(0, j, rings, segments, mid), vertex(1, j, rings, segments), vertex(1, j + 1, rings, segments));
            } else if (i == rings - 1) {
                emit(out, vertex(i, j, rings, segments), vertex(i, j + 1, rings, segments),
                     vertex(rings, j, rings, segments, mid));
            } else {
                Vert A = vertex(i, j, rings, segments), B = vertex(i, j + 1, rings, segments);
                Vert C = vertex(i + 1, j + 1, rings, segments), D = vertex(i + 1, j, rings, segments);
                emit(out, A, D, C);
                emit(out, A, C, B);
            }
        }
    return out;
}

MeshStats measureSphere(const Bytes& mesh, int rings, int segments) {
    (void)rings;
    (void)segments;
    MeshStats s;
    s.triangles = static_cast<int>(mesh.size() / 160);
    // Neighbours by shared edge (vertex positions rounded to 1e-9).
    auto key = [](Vector3 p) {
        return std::make_tuple(std::llround(p.x * 1e9), std::llround(p.y * 1e9), std::llround(p.z * 1e9));
    };
    std::map<std::pair<decltype(key({})), decltype(key({}))>, int> edges;
    for (int i = 0; i < s.triangles; ++i) {
        Tri t = readTri(mesh, i);
        s.maxSilhouetteError = std::max(s.maxSilhouetteError, 1.0 - vmath::dot(t.n, t.v[0]));
        for (int k = 0; k < 3; ++k) {
            auto a = key(t.v[k]), b = key(t.v[(k + 1) % 3]);
            auto e = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
            auto it = edges.find(e);
            if (it == edges.end()) {
                edges[e] = i;
            } else {
                Tri o = readTri(mesh, it->second);
                double c = std::clamp(vmath::dot(t.n, o.n), -1.0, 1.0);
                s.maxNormalStep = std::max(s.maxNormalStep, std::acos(c));
            }
        }
        // Map error over interior points, in map pixels on the surface (columns shrink with cos φ).
        for (int p = 1; p < 8; ++p)
            for (int q = 1; p + q < 8; ++q) {
                double w1 = p / 8.0, w2 = q / 8.0;
                Vector3 pt = t.v[0] + (t.v[1] - t.v[0]) * w1 + (t.v[2] - t.v[0]) * w2;
                double a, b;
                mapCoords(t, pt, a, b);
                Vector3 u = unit(pt);
                double phi = std::asin(std::clamp(u.z, -1.0, 1.0));
                double trueA = (std::atan2(-u.y, u.x) + kPi) / (2 * kPi), trueB = (kPi / 2 - phi) / kPi;
                double da = a - trueA;
                da -= std::round(da);
                double err = std::hypot(512 * da * std::cos(phi), 256 * (b - trueB));
                if (std::fabs(phi) < kPi / 2 - kPi / rings) s.maxMapError = std::max(s.maxMapError, err);
            }
    }
    return s;
}

}  // namespace assets

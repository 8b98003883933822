// Shared helpers of the sky import tool: input errors with their place, text fields, sky vectors.
//
// The import reads trusted public data files, but a truncated download or a changed upstream
// layout must stop the run with the file and line at fault rather than write a wrong catalogue,
// so every parser reports through ImportError.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sky {

// An input that cannot be used; the message names the file and, where known, the line.
struct ImportError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
[[noreturn]] void fail(const std::string& where, const std::string& what);

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDeg = kPi / 180.0;
inline constexpr double kLyPerParsec = 3.2616;
inline constexpr double kArcsec = kPi / 648000.0;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalised(Vec3 a) { return a * (1.0 / length(a)); }

// Unit vector of an equatorial J2000 direction: x towards RA 0h Dec 0°, y towards RA 6h, z north.
inline Vec3 direction(double raDeg, double decDeg) {
    double ra = raDeg * kDeg, dec = decDeg * kDeg;
    return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
}
inline double raOf(Vec3 v) {
    double ra = std::atan2(v.y, v.x) / kDeg;
    return ra < 0 ? ra + 360.0 : ra;
}
inline double decOf(Vec3 v) { return std::asin(std::fmax(-1.0, std::fmin(1.0, v.z / length(v)))) / kDeg; }
inline double angleBetween(Vec3 a, Vec3 b) {
    return std::atan2(length(cross(a, b)), dot(a, b));
}

// Text helpers. Fields are taken by 1-based byte columns as the catalogues' own descriptions
// give them; a field past the end of a short line is empty.
std::string trim(std::string_view s);
std::string column(const std::string& line, size_t first, size_t last);
std::vector<std::string> splitTabs(const std::string& line);
std::vector<std::string> splitBlanks(const std::string& line);
bool parseDouble(const std::string& text, double& out);  // whole trimmed text must be a number
bool parseInt(const std::string& text, long& out);
std::vector<std::string> readLines(const std::string& path);  // fails when unreadable
std::vector<uint8_t> readBinary(const std::string& path);
void writeBinary(const std::string& path, const void* data, size_t size);
void writeText(const std::string& path, const std::string& text);
std::string joinPath(const std::string& folder, const std::string& name);
std::string where(const std::string& path, size_t lineIndex);  // "path:line" (1-based)

// Signed 8.8 fixed point of a magnitude or colour index, clamped to the int16 range.
int16_t fixed88(double value);

}  // namespace sky

// The source readers of the star-system data builder: 3 × 3 algebra, a small XML reader for the
// exoplanet catalogue, the INI reader for the Solar System files and the JPL element table.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ssdgen.h"

namespace ssdgen {

// ---- Algebra -------------------------------------------------------------------------------------

Mat3 identity3() { return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }
Mat3 rotX(double a) {
    const double c = std::cos(a), s = std::sin(a);
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}
Mat3 rotZ(double a) {
    const double c = std::cos(a), s = std::sin(a);
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}
Mat3 mul(const Mat3& a, const Mat3& b) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}
Mat3 transpose(const Mat3& a) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
    return r;
}
Mat3 fromColumns(const Vector3& x, const Vector3& y, const Vector3& z) {
    return {{{x.x, y.x, z.x}, {x.y, y.y, z.y}, {x.z, y.z, z.z}}};
}
Vector3 apply(const Mat3& m, const Vector3& v) {
    return {m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z, m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z,
            m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z};
}
Vector3 unit(const Vector3& v) {
    const double l = std::sqrt(vmath::lengthSquared(v));
    return {v.x / l, v.y / l, v.z / l};
}
double det(const Mat3& m) { return vmath::dot(m.row(0), vmath::cross(m.row(1), m.row(2))); }
double separation(const Vector3& a, const Vector3& b) {
    const double c = vmath::dot(unit(a), unit(b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kRad;
}

Vector3 equatorial(double raDeg, double decDeg) {
    const double ra = raDeg * kRad, dec = decDeg * kRad;
    return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
}

Mat3 equatorFrame(const Vector3& pole) {
    const Vector3 p = unit(pole);
    Vector3 q = vmath::cross(Vector3{0, 0, 1}, p);
    // An equator that is the Earth's own has no node on it: the IAU then takes the pole's right
    // ascension as 0 and the node 90° from it.
    q = std::sqrt(vmath::lengthSquared(q)) < 1e-12 ? Vector3{0, 1, 0} : unit(q);
    return fromColumns(q, vmath::cross(p, q), p);
}

Mat3 orbitOrientation(const Mat3& reference, double node, double incl, double periArg) {
    return mul(reference, mul(rotZ(node), mul(rotX(incl), rotZ(periArg))));
}

bool readText(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

// ---- XML ---------------------------------------------------------------------------------------

const XmlNode* XmlNode::child(const std::string& name) const {
    for (const auto& c : children)
        if (c->tag == name) return c.get();
    return nullptr;
}

std::vector<const XmlNode*> XmlNode::all(const std::string& name) const {
    std::vector<const XmlNode*> out;
    for (const auto& c : children)
        if (c->tag == name) out.push_back(c.get());
    return out;
}

std::string XmlNode::childText(const std::string& name) const {
    const XmlNode* c = child(name);
    return c ? c->text : std::string();
}

bool XmlNode::number(const std::string& name, double& out) const {
    const XmlNode* c = child(name);
    if (!c) return false;
    const char* s = c->text.c_str();
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s || !std::isfinite(v)) return false;
    out = v;
    return true;
}

namespace {

std::string decodeEntities(const std::string& s) {
    static const std::pair<const char*, char> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool done = false;
        if (s[i] == '&')
            for (const auto& [name, c] : kEntities) {
                const size_t n = std::char_traits<char>::length(name);
                if (s.compare(i, n, name) == 0) {
                    out += c;
                    i += n;
                    done = true;
                    break;
                }
            }
        if (!done) out += s[i++];
    }
    return out;
}

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

}  // namespace

std::unique_ptr<XmlNode> parseXml(const std::string& text, std::string& error) {
    auto root = std::make_unique<XmlNode>();
    root->tag = "#document";
    std::vector<XmlNode*> stack{root.get()};
    size_t i = 0;
    while (i < text.size()) {
        const size_t lt = text.find('<', i);
        const std::string chunk = text.substr(i, lt == std::string::npos ? std::string::npos : lt - i);
        stack.back()->text += decodeEntities(chunk);
        if (lt == std::string::npos) break;
        if (text.compare(lt, 4, "<!--") == 0) {
            const size_t end = text.find("-->", lt);
            if (end == std::string::npos) return error = "unclosed comment", nullptr;
            i = end + 3;
            continue;
        }
        if (text.compare(lt, 2, "<?") == 0 || text.compare(lt, 2, "<!") == 0) {
            const size_t end = text.find('>', lt);
            if (end == std::string::npos) return error = "unclosed declaration", nullptr;
            i = end + 1;
            continue;
        }
        const size_t gt = text.find('>', lt);
        if (gt == std::string::npos) return error = "unclosed tag", nullptr;
        std::string inside = text.substr(lt + 1, gt - lt - 1);
        i = gt + 1;
        if (!inside.empty() && inside[0] == '/') {
            const std::string name = trim(inside.substr(1));
            if (stack.size() < 2 || stack.back()->tag != name) return error = "mismatched </" + name + ">", nullptr;
            stack.back()->text = trim(stack.back()->text);
            stack.pop_back();
            continue;
        }
        const bool selfClosing = !inside.empty() && inside.back() == '/';
        if (selfClosing) inside.pop_back();
        auto node = std::make_unique<XmlNode>();
        size_t p = 0;
        while (p < inside.size() && !std::isspace(static_cast<unsigned char>(inside[p]))) ++p;
        node->tag = inside.substr(0, p);
        if (node->tag.empty()) return error = "empty tag", nullptr;
        while (p < inside.size()) {
            while (p < inside.size() && std::isspace(static_cast<unsigned char>(inside[p]))) ++p;
            const size_t eq = inside.find('=', p);
            if (eq == std::string::npos) break;
            const std::string key = trim(inside.substr(p, eq - p));
            size_t q = eq + 1;
            while (q < inside.size() && std::isspace(static_cast<unsigned char>(inside[q]))) ++q;
            if (q >= inside.size() || (inside[q] != '"' && inside[q] != '\'')) return error = "bad attribute", nullptr;
            const size_t close = inside.find(inside[q], q + 1);
            if (close == std::string::npos) return error = "unclosed attribute", nullptr;
            node->attributes[key] = decodeEntities(inside.substr(q + 1, close - q - 1));
            p = close + 1;
        }
        XmlNode* raw = node.get();
        stack.back()->children.push_back(std::move(node));
        if (!selfClosing) stack.push_back(raw);
    }
    if (stack.size() != 1) return error = "unclosed <" + stack.back()->tag + ">", nullptr;
    return root;
}

// ---- INI ---------------------------------------------------------------------------------------

IniFile parseIni(const std::string& text) {
    IniFile file;
    IniSection* current = nullptr;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            current = &file[name];
            continue;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string key = trim(line.substr(0, eq));
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string value = line.substr(eq + 1);
        const size_t hash = value.find('#');
        if (hash != std::string::npos) value = value.substr(0, hash);
        (*current)[key] = trim(value);
    }
    return file;
}

bool iniNumber(const IniSection& s, const std::string& key, double& out) {
    const auto it = s.find(key);
    if (it == s.end()) return false;
    char* end = nullptr;
    const double v = std::strtod(it->second.c_str(), &end);
    if (end == it->second.c_str() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// ---- The JPL table -------------------------------------------------------------------------------

bool parseJplTable(const std::string& text, std::vector<JplPlanet>& out, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int table = 0;  // 1 inside Table 2a, 2 inside Table 2b
    JplPlanet* pendingRates = nullptr;
    while (std::getline(in, line)) {
        if (line.rfind("Table 2a", 0) == 0) table = 1;
        if (line.rfind("Table 2b", 0) == 0) table = 2;
        std::istringstream words(line);
        std::vector<std::string> names;
        std::vector<double> numbers;
        std::string w;
        while (words >> w) {
            char* end = nullptr;
            const double v = std::strtod(w.c_str(), &end);
            if (*end == 0 && end != w.c_str()) numbers.push_back(v);
            else if (numbers.empty()) names.push_back(w);
            else numbers.clear(), names.clear();  // not a row of the table
        }
        if (table == 1 && names.empty() && numbers.size() == 6 && pendingRates) {
            JplPlanet& p = *pendingRates;
            p.da = numbers[0], p.de = numbers[1], p.dI = numbers[2], p.dL = numbers[3], p.dperi = numbers[4],
            p.dnode = numbers[5];
            pendingRates = nullptr;
        } else if (table == 1 && !names.empty() && numbers.size() == 6) {
            JplPlanet p;
            for (size_t k = 0; k < names.size(); ++k) p.name += (k ? " " : "") + names[k];
            p.a = numbers[0], p.e = numbers[1], p.I = numbers[2], p.L = numbers[3], p.peri = numbers[4],
            p.node = numbers[5];
            out.push_back(p);
            pendingRates = &out.back();
        } else if (table == 2 && names.size() == 1 && !numbers.empty()) {
            for (JplPlanet& p : out)
                if (p.name == names[0]) {
                    p.b = numbers[0];
                    if (numbers.size() >= 4) p.c = numbers[1], p.s = numbers[2], p.f = numbers[3];
                }
        }
    }
    if (out.size() != 9) {
        error = "the JPL table holds " + std::to_string(out.size()) + " planets, not 9";
        return false;
    }
    for (const JplPlanet& p : out)
        if (p.dL == 0) {
            error = p.name + " has no rates";
            return false;
        }
    return true;
}

}  // namespace ssdgen

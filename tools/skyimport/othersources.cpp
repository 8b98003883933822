// Readers of the KStars text catalogue, the western proper names and the exoplanet files'
// Gliese cross-identifications.
#include "othersources.h"

#include <algorithm>
#include <filesystem>

namespace sky {

std::vector<TextStar> readKStarsText(const std::string& path) {
    std::vector<TextStar> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.empty() || l[0] == '#') continue;
        if (l.size() < 58) fail(where(path, i), "line too short for the star columns");
        double h, m, s, d, dm, ds, v, bv, pmRa, pmDec;
        if (!parseDouble(l.substr(0, 2), h) || !parseDouble(l.substr(2, 2), m) || !parseDouble(l.substr(4, 5), s) ||
            !parseDouble(l.substr(11, 2), d) || !parseDouble(l.substr(13, 2), dm) || !parseDouble(l.substr(15, 4), ds) ||
            !parseDouble(l.substr(46, 5), v) || !parseDouble(l.substr(51, 5), bv))
            fail(where(path, i), "unreadable position, magnitude or colour");
        if (!parseDouble(l.substr(20, 9), pmRa) || !parseDouble(l.substr(29, 9), pmDec))
            fail(where(path, i), "unreadable proper motion");
        double sign = l[10] == '-' ? -1.0 : 1.0;
        TextStar t;
        t.dir = direction((h + m / 60 + s / 3600) * 15.0, sign * (d + dm / 60 + ds / 3600));
        t.vmag = v;
        t.bv = bv;
        t.pmRa = pmRa;
        t.pmDec = pmDec;
        t.hipparcos = l[57] != '?';
        out.push_back(t);
    }
    return out;
}

std::map<uint32_t, std::string> readProperNames(const std::string& path) {
    std::map<uint32_t, std::string> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string l = trim(lines[i]);
        if (l.empty() || l[0] == '#') continue;
        size_t bar = l.find('|'), q1 = l.find("(\""), q2 = l.find("\")");
        long hip;
        if (bar == std::string::npos || q1 == std::string::npos || q2 == std::string::npos || q2 < q1 ||
            !parseInt(l.substr(0, bar), hip) || hip <= 0)
            fail(where(path, i), "expected 'HIP|_(\"Name\")'");
        out.emplace(static_cast<uint32_t>(hip), l.substr(q1 + 2, q2 - q1 - 2));
    }
    return out;
}

namespace {

// Numbers of "<name>HIP 51317</name>" and "<name>GJ 393</name>" style entries of one <star>.
void scanStar(const std::string& block, std::map<uint32_t, uint32_t>& out) {
    long hip = 0;
    double gliese = 0;
    size_t p = 0;
    while ((p = block.find("<name>", p)) != std::string::npos) {
        size_t e = block.find("</name>", p);
        if (e == std::string::npos) break;
        std::string name = trim(block.substr(p + 6, e - p - 6));
        p = e;
        std::vector<std::string> w = splitBlanks(name);
        if (w.size() < 2) continue;
        double number;
        if (w[0] == "HIP" && w.size() == 2) parseInt(w[1], hip);
        else if ((w[0] == "GJ" || w[0] == "Gl" || w[0] == "Gliese") && parseDouble(w[1], number) && number > 0 && number < 10000)
            gliese = number;
    }
    if (hip > 0 && gliese > 0) out.emplace(static_cast<uint32_t>(hip), static_cast<uint32_t>(std::lround(gliese * 10)));
}

}  // namespace

std::map<uint32_t, uint32_t> readGlieseNumbers(const std::string& folder) {
    std::map<uint32_t, uint32_t> out;
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".xml") files.push_back(entry.path().string());
    if (ec) fail(folder, "cannot list the exoplanet system files");
    std::sort(files.begin(), files.end());
    for (const std::string& f : files) {
        std::vector<uint8_t> bytes = readBinary(f);
        std::string text(bytes.begin(), bytes.end());
        size_t p = 0;
        while ((p = text.find("<star>", p)) != std::string::npos) {
            size_t e = text.find("</star>", p);
            if (e == std::string::npos) fail(f, "a <star> element is not closed");
            scanStar(text.substr(p, e - p), out);
            p = e;
        }
    }
    return out;
}

}  // namespace sky

// ssdgen: writes the shipped star-system files (data/systems/*.ssd) from public sources: the
// Solar System from the JPL element table, the Stellarium data files and the Open Exoplanet
// Catalogue's Solar System file; the planets of other stars from the Open Exoplanet Catalogue,
// matched to the program's catalogue; and the project's own fictional systems. Prints a report of
// what it matched and what it left out, and why. Run through tools/ssdgen/generate.sh.
//
//   ssdgen --sources DIR --catalog DIR --crossindex FILE --out DIR
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "ssdgen.h"

namespace {

bool write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

int fail(const std::string& what) {
    std::fprintf(stderr, "ssdgen: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string sources, catalog, crossIndex, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--sources") sources = argv[i + 1];
        else if (flag == "--catalog") catalog = argv[i + 1];
        else if (flag == "--crossindex") crossIndex = argv[i + 1];
        else if (flag == "--out") out = argv[i + 1];
        else return fail("unknown option " + flag);
    }
    if (sources.empty() || catalog.empty() || crossIndex.empty() || out.empty())
        return fail("usage: ssdgen --sources DIR --catalog DIR --crossindex FILE --out DIR");

    std::string error, solar, solarExt, exo, scifi;
    ssdgen::SolarReport sr;
    if (!ssdgen::buildSolar(sources, solar, solarExt, sr, error)) return fail(error);
    ssdgen::ExoReport er;
    if (!ssdgen::buildExoplanets(sources, catalog, crossIndex, exo, er, error)) return fail(error);
    std::printf("Solar System: %d bodies\n", sr.bodies);
    for (const std::string& n : sr.notes) std::printf("  %s\n", n.c_str());
    std::printf("Exoplanets: %d systems read; %d planets (%d unconfirmed) of %d host stars written\n", er.systems,
                er.planets, er.unconfirmed, er.hosts);
    std::printf("  defaults: axis from period %d, period from axis %d, inclination %d, radius from mass %d\n",
                er.defaultedAxis, er.defaultedPeriod, er.defaultedIncl, er.defaultedRadius);
    for (const auto& [why, count] : er.leftOut) std::printf("  left out: %d, %s\n", count, why.c_str());
    if (!ssdgen::buildSciFi(scifi, error)) return fail(error);
    for (const auto& [name, text] : {std::pair<const char*, const std::string&>{"solar.ssd", solar},
                                     {"solarext.ssd", solarExt}, {"exoplanets.ssd", exo}, {"scifi.ssd", scifi}})
        if (!write(out + "/" + name, text)) return fail(std::string("cannot write ") + name);

    return 0;
}

// Choice of a star record's V and B-V among the zone files, the KStars catalogue and the table of
// published magnitudes; residual histograms for the run's report.
#include "magnitudes.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace sky {
namespace {

// Johnson V of bright stars whose Hipparcos V (1997, field H5) lies off the standard photometry
// by 0.05 mag or more: B. Ducati 2002, "Catalogue of Stellar Photometry in Johnson's 11-color
// system", CDS II/237, as SIMBAD gives it.
struct PublishedV {
    uint32_t hip;
    double v;
};
const PublishedV kPublishedV[] = {
    {30438, -0.74},  // Canopus (Hipparcos -0.62)
    {24436, 0.13},   // Rigel (Hipparcos 0.18)
};

const double kEdges[ResidualHistogram::kBins - 1] = {0.02, 0.05, 0.1, 0.3, 1.0};

std::string format(const char* f, double a, double b) {
    char buf[160];
    std::snprintf(buf, sizeof buf, f, a, b);
    return buf;
}

}  // namespace

double combinedMagnitude(const std::vector<double>& magnitudes) {
    double flux = 0;
    for (double m : magnitudes) flux += std::pow(10.0, -0.4 * m);
    return flux > 0 ? -2.5 * std::log10(flux) : std::numeric_limits<double>::infinity();
}

const char* magnitudeSourceName(MagnitudeSource s) {
    switch (s) {
        case MagnitudeSource::kPublished: return "published V (Ducati 2002)";
        case MagnitudeSource::kHipparcos: return "Hipparcos V, B-V of the KStars catalogue";
        case MagnitudeSource::kZoneCombined: return "zone records of one HIP number combined";
        case MagnitudeSource::kZone: return "zone record (0.05 steps)";
        case MagnitudeSource::kZoneComponent: return "zone record of a component alone under its number";
        default: return "?";
    }
}

MagnitudeChoice chooseMagnitude(const MagnitudeInput& in) {
    MagnitudeChoice c;
    std::vector<double> light;
    for (double v : in.zoneV) light.push_back(v + kZoneVStep / 2);
    const double zoneTotal = combinedMagnitude(light);
    const bool hipparcos = in.text && in.text->hipparcos;
    const bool tycho = in.text && !in.text->hipparcos;
    c.bv = hipparcos ? in.text->bv : in.zoneBv + kZoneBvStep / 2;

    for (const PublishedV& p : kPublishedV)
        if (p.hip == in.hip) {
            c.v = p.v;
            c.source = MagnitudeSource::kPublished;
            c.caveat = hipparcos ? format("published V %.2f for the Hipparcos %.2f", p.v, in.text->vmag)
                                 : format("published V %.2f for the zone files' %.2f", p.v, zoneTotal);
            return c;
        }
    if (hipparcos) {
        c.v = in.text->vmag;
        c.source = MagnitudeSource::kHipparcos;
        return c;
    }
    if (light.empty()) {
        c.v = std::numeric_limits<double>::infinity();
        c.caveat = "no magnitude in any source";
        return c;
    }
    c.v = zoneTotal;
    if (light.size() > 1) c.source = MagnitudeSource::kZoneCombined;
    else c.source = in.component >= 'B' ? MagnitudeSource::kZoneComponent : MagnitudeSource::kZone;
    if (tycho && std::fabs(in.text->vmag - c.v) > kDisagreement)
        c.caveat = format(light.size() > 1 ? "sources disagree: components combine to %.2f, Tycho-based V %.2f"
                                           : "sources disagree: zone V %.2f, Tycho-based V %.2f",
                          c.v, in.text->vmag);
    else if (c.v > kHipparcosFaintLimit)
        c.caveat = format("V %.2f is fainter than any Hipparcos entry (%.1f): the entry's own V is not in the sources",
                          c.v, kHipparcosFaintLimit);
    return c;
}

void ResidualHistogram::add(double residual) {
    double a = std::fabs(residual);
    int bin = kBins - 1;
    for (int i = 0; i < kBins - 1; ++i)
        if (a <= kEdges[i] + 1e-9) {
            bin = i;
            break;
        }
    ++count[bin];
    ++total;
    if (a > largest) largest = a;
}

size_t ResidualHistogram::within(double limit) const {
    size_t n = 0;
    for (int i = 0; i < kBins - 1 && kEdges[i] <= limit + 1e-12; ++i) n += count[i];
    return n;
}

std::string ResidualHistogram::text() const {
    static const char* const kLabels[kBins] = {"<=0.02", "<=0.05", "<=0.1", "<=0.3", "<=1", ">1"};
    std::string s = std::to_string(total) + " stars:";
    for (int i = 0; i < kBins; ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "  %s %zu (%.2f%%)", kLabels[i], count[i],
                      total ? 100.0 * static_cast<double>(count[i]) / static_cast<double>(total) : 0.0);
        s += buf;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "  largest %.2f", largest);
    return s + buf;
}

}  // namespace sky

// Fuzz target for marker definitions and marker files: the bytes are read once as a marker file
// (line splitting and every line's definition) and once as a single definition.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalog/catalog.h"
#include "extensions/markers.h"

namespace {

// A few stars and a deep-sky object, so that o(…) and n(…) find something: star 0 "HIP 1",
// star 1 "HIP 2" and deep-sky object 0x01000000.
struct Sky {
    catalog::StarRecord stars[2]{};
    catalog::DeepSkyRecord deepSky[1]{};
    Sky() {
        for (uint32_t i = 0; i < 2; ++i) {
            stars[i].x = static_cast<float>(i + 1);
            stars[i].designation = i + 1;  // HIP i + 1
            stars[i].firstComponent = -1;
            stars[i].extra = -1;
        }
        deepSky[0].type = 2;
        deepSky[0].name = 13u << 24;  // "M 13"
        catalog::CatalogFiles files;
        files.data[catalog::kStellarData] = reinterpret_cast<const uint8_t*>(stars);
        files.size[catalog::kStellarData] = sizeof stars;
        files.data[catalog::kGalacticData] = reinterpret_cast<const uint8_t*>(deepSky);
        files.size[catalog::kGalacticData] = sizeof deepSky;
        catalog::catalogAttach(files);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Sky sky;
    markers::markerClear();
    {
        // The file path: the same reader markerLoad uses, over the bytes in memory.
        const int added = markers::markerAddLines(reinterpret_cast<const char*>(data), size);
        if (added < 0 || added > markers::kMaxMarkers || added != markers::markerCount()) __builtin_trap();
    }
    // One definition as the console hands it over: the bytes up to the first zero.
    const std::string text(reinterpret_cast<const char*>(data), size);
    markers::Marker marker;
    if (markers::markerParse(text.c_str(), marker)) {
        if (marker.kind < markers::kLine || marker.kind > markers::kMark) __builtin_trap();
        if (marker.text[markers::kTextBytes - 1] != '\0' && marker.kind == markers::kText) __builtin_trap();
    }
    return 0;
}

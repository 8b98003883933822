// Fuzz target: the asset builder's reader of Hershey ".jhf" vector fonts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../tools/assetbuild/jhf.cpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<assets::HersheyGlyph> glyphs;
    std::string error;
    assets::parseJhf(data, size, glyphs, error);
    return 0;
}

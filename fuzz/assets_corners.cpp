// Fuzz target: the asset builder's reader of picture corner coordinates in textures.json. The
// first input byte chooses the picture name looked up in the rest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../tools/assetbuild/corners.cpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const kNames[] = {"m42.png", "a", "", "\"", "imageUrl"};
    const std::string json(reinterpret_cast<const char*>(data + 1), size - 1);
    double ra[4], dec[4];
    assets::findCorners(json, kNames[data[0] % 5], ra, dec);
    return 0;
}

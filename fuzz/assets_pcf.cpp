// Fuzz target: the asset builder's reader of X11 PCF bitmap fonts and the console-font builder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../tools/assetbuild/pcf.cpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    assets::BitmapFont font;
    std::string error;
    if (assets::parsePcf(data, size, font, error)) {
        assets::Bytes out;
        assets::buildConsoleFont(font, out, error);
    }
    return 0;
}

// The present path's choice and the frame's place in the window, shared by both backends.
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/backend.h"

namespace platform {
namespace {

// Graphics devices that are programs on the processor, as their GL_RENDERER strings name them.
// Drawing a texture through one of them costs more than the whole frame the program drew.
constexpr const char* kSoftwareRasterizers[] = {
    "llvmpipe",             // Mesa on LLVM: virtual machines, containers, a missing driver
    "softpipe",             // Mesa's reference rasterizer
    "swrast",               // Mesa's classic software path
    "Software Rasterizer",  // the same, as older Mesa names it
    "SwiftShader",          // Google's implementation on the processor
    "lavapipe",             // Mesa's Vulkan on the processor
};

bool sameText(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

bool containsText(const char* text, const char* part) {
    const size_t n = std::strlen(part);
    for (const char* p = text; *p; ++p) {
        size_t i = 0;
        while (i < n && p[i] &&
               std::tolower(static_cast<unsigned char>(p[i])) == std::tolower(static_cast<unsigned char>(part[i])))
            ++i;
        if (i == n) return true;
    }
    return false;
}

}  // namespace

const char* presentPathName(PresentPath path) {
    switch (path) {
        case PresentPath::kSurface: return "window surface";
        case PresentPath::kTexture: return "streaming texture";
        default: return "automatic";
    }
}

void appendReason(char* reason, size_t reasonSize, const char* format, ...) {
    if (reason == nullptr || reasonSize == 0) return;
    const size_t used = strnlen(reason, reasonSize - 1);
    reason[used] = 0;
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason + used, reasonSize - used, format, args);
    va_end(args);
}

PresentPath forcedPresentPath(PresentPath requested, const char* environment, char* reason,
                              size_t reasonSize) {
    if (environment != nullptr && *environment) {
        if (sameText(environment, "surface") || sameText(environment, "texture")) {
            appendReason(reason, reasonSize, "forced by VYREX_PRESENT=%s", environment);
            return sameText(environment, "surface") ? PresentPath::kSurface : PresentPath::kTexture;
        }
        // "auto" overrides the settings too: the machine decides.
        if (sameText(environment, "auto")) return PresentPath::kAutomatic;
        appendReason(reason, reasonSize, "VYREX_PRESENT=%.24s is not surface, texture or auto; ", environment);
    }
    if (requested == PresentPath::kSurface || requested == PresentPath::kTexture) {
        appendReason(reason, reasonSize, "asked for by the start-up settings");
        return requested;
    }
    return PresentPath::kAutomatic;
}

bool softwareRasterizer(const char* device) {
    if (device == nullptr) return false;
    for (const char* name : kSoftwareRasterizers)
        if (containsText(device, name)) return true;
    return false;
}

PresentPath automaticPresentPath(const RendererDescription& r, char* reason, size_t reasonSize) {
    if (!r.exists) {
        appendReason(reason, reasonSize, "SDL has no renderer for the window");
        return PresentPath::kSurface;
    }
    if (!r.accelerated) {
        appendReason(reason, reasonSize, "SDL's renderer \"%s\" is not hardware-accelerated", r.driver);
        return PresentPath::kSurface;
    }
    if (softwareRasterizer(r.device)) {
        appendReason(reason, reasonSize, "SDL's renderer \"%s\" draws with %s, a software rasterizer",
                     r.driver, r.device);
        return PresentPath::kSurface;
    }
    if (r.device[0])
        appendReason(reason, reasonSize, "SDL's renderer \"%s\" draws with %s", r.driver, r.device);
    else
        appendReason(reason, reasonSize, "SDL's renderer \"%s\" is hardware-accelerated", r.driver);
    return PresentPath::kTexture;
}

Rect frameView(int areaW, int areaH, int frameW, int frameH) {
    if (areaW <= 0 || areaH <= 0 || frameW <= 0 || frameH <= 0) return Rect{};
    const int k = areaW / frameW < areaH / frameH ? areaW / frameW : areaH / frameH;
    Rect r;
    if (k >= 1) {
        r.width = frameW * k;
        r.height = frameH * k;
    } else if (static_cast<int64_t>(areaW) * frameH > static_cast<int64_t>(areaH) * frameW) {
        r.height = areaH;
        r.width = static_cast<int>(static_cast<int64_t>(areaH) * frameW / frameH);
    } else {
        r.width = areaW;
        r.height = static_cast<int>(static_cast<int64_t>(areaW) * frameH / frameW);
    }
    if (r.width < 1) r.width = 1;
    if (r.height < 1) r.height = 1;
    r.x = (areaW - r.width) / 2;
    r.y = (areaH - r.height) / 2;
    return r;
}

}  // namespace platform

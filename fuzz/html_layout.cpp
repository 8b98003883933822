// Fuzz target for the hypertext viewer: any bytes as a page, laid out at a width taken from the
// first byte, scrolled, drawn, and clicked where its links are; and the same bytes as the notes
// file, searched for the note whose number the next four bytes give and laid out from there.
// The layout's own records are checked against its tables on every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "catalog/catalog.h"
#include "video/draw.h"
#include "zwindows/viewer.h"

namespace {

using namespace zwindows;

void checkLayout(const Viewer& v) {
    if (v.itemCount < 0 || v.itemCount > kMaxItems || v.linkCount < 0 || v.linkCount > kMaxLinks ||
        v.textUsed > uint32_t(kPageTextBytes))
        std::abort();
    for (int k = 0; k < v.itemCount; ++k)
        if (uint64_t(v.items[k].text) + v.items[k].length > v.textUsed || v.items[k].type > kRuleItem) std::abort();
    for (int k = 0; k < v.linkCount; ++k)
        if (std::memchr(v.links[k].reference, 0, sizeof v.links[k].reference) == nullptr) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Viewer* viewer = new Viewer();
    static draw::Surface surface;
    if (!surface.pixels && !draw::createSurface(surface, 320, 240)) return 0;
    if (size < 5) return 0;
    Viewer& v = *viewer;
    v.wrapWidth = int(data[0]) * 2 - 16;  // narrower than a character up to wider than the surface
    v.clientHeight = 100;
    const char* text = reinterpret_cast<const char*>(data + 5);
    layoutPage(v, Page{text, size - 5});
    checkLayout(v);
    scrollPage(v, v.documentHeight / 2);
    drawPage(v, surface, Rect{8, 8, 300, 220});
    // Clicks on links follow only object links (the camera is not there) and files (no packs):
    // the page stays; each link is hit where it lies.
    for (int k = 0; k < v.linkCount && k < 4; ++k)
        if (v.links[k].reference[0] != '@') clickLink(v, v.links[k].x, v.links[k].y - v.scrollOffset);
    checkLayout(v);

    // The bytes as the notes file.
    catalog::CatalogFiles files;
    files.data[catalog::kStellarNote] = data + 5;
    files.size[catalog::kStellarNote] = size - 5;
    catalog::catalogAttach(files);
    uint32_t number;
    std::memcpy(&number, data + 1, sizeof number);
    char reference[16];
    static const char digits[] = "0123456789ABCDEF";
    reference[0] = '@';
    for (int i = 0; i < 8; ++i) reference[1 + i] = digits[(number >> (28 - 4 * i)) & 15];
    reference[9] = 0;
    Page page;
    if (resolveReference(reference, page)) {
        if (page.text < text || page.text + page.size != text + (size - 5)) std::abort();
        layoutPage(v, page);
        checkLayout(v);
    }
    catalog::catalogClose();
    return 0;
}

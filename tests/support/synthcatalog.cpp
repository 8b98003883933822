// Synthetic catalogues for tests: records built in memory and attached as the catalogue.
#include "support/synthcatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace synth {

using namespace catalog;

uint32_t hipCode(uint32_t number) { return number & 0xFFFFFF; }
uint32_t hdCode(uint32_t number) { return 0x01000000u | (number & 0xFFFFFF); }
uint32_t durchmusterungCode(int kind, int zone, uint32_t number) {
    uint32_t z = static_cast<uint32_t>(zone) & 0xFF;
    return (static_cast<uint32_t>(kind) << 24) | (z << 16) | (number & 0xFFFF);
}
uint32_t bayerCode(unsigned greek, unsigned superscript, unsigned flamsteed, unsigned constellation) {
    return 0x01000000u | ((constellation & 0xFF) << 16) | ((flamsteed & 0xFF) << 8) | ((superscript & 7) << 5) |
           (greek & 0x1F);
}
uint32_t extraCode(unsigned kind, uint32_t low24) { return (kind << 24) | (low24 & 0xFFFFFF); }
uint16_t spectralCode(unsigned kind, unsigned luminosity, unsigned letter, unsigned subclass) {
    return static_cast<uint16_t>(((kind & 0xF) << 12) | ((luminosity & 0xF) << 8) | ((letter & 0xF) << 4) |
                                 (subclass & 0xF));
}
int16_t fixed88(double value) { return static_cast<int16_t>(std::lround(value * 256.0)); }

ComponentRecord component(char letter1, char letter2, uint16_t spectral, double magnitude, uint32_t ccdm,
                          float separation, double angle) {
    ComponentRecord c{};
    c.letter1 = letter1;
    c.letter2 = static_cast<uint8_t>(letter2 & 0x7F);
    c.spectral = spectral;
    c.magnitude = fixed88(magnitude);
    c.ccdm = ccdm;
    c.separation = separation;
    c.angle = fixed88(angle);
    return c;
}

namespace {
// The catalogue attached last; only that one detaches itself when it goes away.
const SynthCatalog* attachedCatalog = nullptr;
}  // namespace

SynthCatalog::~SynthCatalog() {
    if (attachedCatalog == this) {
        catalogAttach(CatalogFiles{});
        attachedCatalog = nullptr;
    }
}

uint32_t SynthCatalog::addStar(Vector3 position, double absMag, double colourBV, uint16_t spectral,
                               uint32_t designation) {
    StarRecord s{};
    s.x = static_cast<float>(position.x);
    s.y = static_cast<float>(position.y);
    s.z = static_cast<float>(position.z);
    s.absMag = fixed88(absMag);
    s.colourBV = fixed88(colourBV);
    s.spectral = spectral;
    s.flags = kLastOfRun;
    s.designation = designation;
    s.firstComponent = -1;
    s.extra = -1;
    stars.push_back(s);
    return static_cast<uint32_t>(stars.size() - 1);
}

uint32_t SynthCatalog::addExtra(uint32_t star, uint32_t designation, double minMag, double maxMag, float period,
                                float radius, uint16_t radialSpeed) {
    StarExtraRecord e{};
    e.minMag = fixed88(minMag);
    e.maxMag = fixed88(maxMag);
    e.designation = designation;
    e.period = period;
    e.radius = radius;
    e.radialSpeed = radialSpeed;
    extras.push_back(e);
    uint32_t index = static_cast<uint32_t>(extras.size() - 1);
    stars.at(star).extra = static_cast<int32_t>(index);
    return index;
}

uint32_t SynthCatalog::addComponents(uint32_t star, std::vector<ComponentRecord> records) {
    uint32_t first = static_cast<uint32_t>(components.size());
    for (size_t i = 0; i < records.size(); ++i) {
        ComponentRecord c = records[i];
        if (i + 1 == records.size()) c.letter2 |= kLastComponent;
        components.push_back(c);
    }
    stars.at(star).firstComponent = static_cast<int32_t>(first);
    return first;
}

ObjectId SynthCatalog::addDeepSky(uint8_t type, Vector3 position, double absMag, uint32_t name, float a, float b,
                                  float c) {
    DeepSkyRecord d{};
    d.type = type;
    d.absMag = fixed88(absMag);
    d.x = static_cast<float>(position.x);
    d.y = static_cast<float>(position.y);
    d.z = static_cast<float>(position.z);
    d.v.f.a = a;
    d.v.f.b = b;
    d.v.f.c = c;
    d.name = name;
    deepSky.push_back(d);
    return kDeepSkyBase + static_cast<ObjectId>(deepSky.size() - 1);
}

void SynthCatalog::addNote(ObjectId id, const std::string& text) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "<n#%08X>", id);
    note += tag;
    note += text;
}

std::vector<uint32_t> SynthCatalog::buildTree(size_t leafSize, int maxDepth) {
    std::vector<StarRecord> ordered;
    std::vector<uint32_t> newIndex(stars.size(), 0);
    tree.clear();
    auto position = [&](uint32_t i) { return Vector3{stars[i].x, stars[i].y, stars[i].z}; };

    std::function<void(uint32_t, const Box&, std::vector<uint32_t>&, int)> fill =
        [&](uint32_t node, const Box& box, std::vector<uint32_t>& members, int depth) {
            std::vector<uint32_t> inOctant[8];
            for (uint32_t i : members) {
                for (int o = 0; o < 8; ++o) {
                    Box child;
                    octantBox(o, box, child);
                    // A star on a shared face goes to the first octant that holds it.
                    if (pointInBox(position(i), child)) {
                        inOctant[o].push_back(i);
                        break;
                    }
                }
            }
            for (int o = 0; o < 8; ++o) {
                std::vector<uint32_t>& run = inOctant[o];
                if (run.empty()) {
                    tree[node].octant[o] = kTreeEmpty;
                } else if (run.size() <= leafSize || depth + 1 >= maxDepth) {
                    std::stable_sort(run.begin(), run.end(),
                                     [&](uint32_t a, uint32_t b) { return stars[a].absMag < stars[b].absMag; });
                    tree[node].octant[o] = static_cast<uint32_t>(ordered.size());
                    for (uint32_t i : run) {
                        newIndex[i] = static_cast<uint32_t>(ordered.size());
                        StarRecord s = stars[i];
                        s.flags = static_cast<uint16_t>(s.flags & ~kLastOfRun);
                        ordered.push_back(s);
                    }
                    ordered.back().flags |= kLastOfRun;
                } else {
                    uint32_t child = static_cast<uint32_t>(tree.size());
                    tree.push_back(TreeNode{});
                    tree[node].octant[o] = kTreeChildFlag | child;
                    Box childBox;
                    octantBox(o, box, childBox);
                    fill(child, childBox, run, depth + 1);
                }
            }
        };

    std::vector<uint32_t> all(stars.size());
    for (uint32_t i = 0; i < all.size(); ++i) all[i] = i;
    tree.push_back(TreeNode{});
    fill(0, rootBox(), all, 0);
    stars = std::move(ordered);
    return newIndex;
}

CatalogFiles SynthCatalog::files() const {
    CatalogFiles f;
    auto set = [&](CatalogFile file, const void* data, size_t size) {
        f.data[file] = static_cast<const uint8_t*>(data);
        f.size[file] = size;
    };
    set(kStellarData, stars.data(), stars.size() * sizeof(StarRecord));
    set(kStellarXdat, extras.data(), extras.size() * sizeof(StarExtraRecord));
    set(kStellarTree, tree.data(), tree.size() * sizeof(TreeNode));
    set(kStellarSsys, components.data(), components.size() * sizeof(ComponentRecord));
    set(kStellarNote, note.data(), note.size());
    set(kGalacticData, deepSky.data(), deepSky.size() * sizeof(DeepSkyRecord));
    set(kGalacticBmap, brightnessMap.data(), brightnessMap.size());
    set(kGalacticHmap, secondMap.data(), secondMap.size());
    return f;
}

void SynthCatalog::attach() {
    catalogAttach(files());
    attachedCatalog = this;
}

}  // namespace synth

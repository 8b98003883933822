// Small synthetic catalogues built in memory and attached as the program's catalogue, for tests
// of every subsystem that reads stars, components, notes, deep-sky objects or the tree.
//
// Fill the public vectors (directly or with the add* helpers), optionally call buildTree(), then
// attach(). The catalogue reads the vectors in place, so keep the SynthCatalog alive and
// unchanged while it is attached; its destructor detaches it (an empty catalogue).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog.h"

namespace synth {

// Codes as the catalogue files store them.
uint32_t hipCode(uint32_t number);
uint32_t hdCode(uint32_t number);
// kind 2 BD, 3 CD, 4 CP; zone −127..127, number 0..65535.
uint32_t durchmusterungCode(int kind, int zone, uint32_t number);
// Extra designation codes: Bayer/Flamsteed (greek 31 = none, superscript 0 = none,
// flamsteed 0 = none), HR, Gliese and the rest by their kind byte.
uint32_t bayerCode(unsigned greek, unsigned superscript, unsigned flamsteed, unsigned constellation);
uint32_t extraCode(unsigned kind, uint32_t low24);
// Spectral code from kind, luminosity class, class letter and subclass nibbles.
uint16_t spectralCode(unsigned kind, unsigned luminosity, unsigned letter, unsigned subclass);
int16_t fixed88(double value);

catalog::ComponentRecord component(char letter1, char letter2, uint16_t spectral, double magnitude,
                                   uint32_t ccdm, float separation, double angle);

class SynthCatalog {
public:
    SynthCatalog() = default;
    SynthCatalog(const SynthCatalog&) = delete;
    SynthCatalog& operator=(const SynthCatalog&) = delete;
    ~SynthCatalog();

    std::vector<catalog::StarRecord> stars;
    std::vector<catalog::StarExtraRecord> extras;
    std::vector<catalog::TreeNode> tree;
    std::vector<catalog::ComponentRecord> components;
    std::string note;
    std::vector<catalog::DeepSkyRecord> deepSky;
    std::vector<uint8_t> brightnessMap, secondMap;

    // A star without components or extra record; returns its index.
    uint32_t addStar(Vector3 position, double absMag, double colourBV, uint16_t spectral,
                     uint32_t designation);
    // Gives a star an extra record; returns the extra record's index.
    uint32_t addExtra(uint32_t star, uint32_t designation, double minMag = 0, double maxMag = 0,
                      float period = 0, float radius = 0, uint16_t radialSpeed = 0);
    // Appends the records as the star's components and marks the last one; returns the first
    // record's index.
    uint32_t addComponents(uint32_t star, std::vector<catalog::ComponentRecord> records);
    // A deep-sky object with its three type-dependent floats; returns its ObjectId.
    catalog::ObjectId addDeepSky(uint8_t type, Vector3 position, double absMag, uint32_t name,
                                 float a = 0, float b = 0, float c = 0);
    // Appends "<n#XXXXXXXX>text" to the note file.
    void addNote(catalog::ObjectId id, const std::string& text);

    // Sorts the stars into an octree over the root cube: a node is split while it holds more
    // than `leafSize` stars (up to `maxDepth` levels); leaf runs are brightest first and end
    // with the last-of-run flag. Stars move: the result maps each old index to its new one.
    std::vector<uint32_t> buildTree(size_t leafSize = 8, int maxDepth = 20);

    catalog::CatalogFiles files() const;
    void attach();
};

}  // namespace synth

// Catalogues and objects: the star, multiple-star, deep-sky and galaxy files in memory, object
// identifiers, the spatial tree, designations and names, name lookup and the expanded records.
//
// Contract. `catalogLoad` loads the eight catalogue files once at start-up and keeps them exactly
// as they lie in the packs: nothing is parsed, converted or copied, and no memory is allocated
// per star. Every query reads fixed-size little-endian records in place (catalog_records.h),
// through bounds-checked readers that copy one record at a time, so a file need not be aligned
// and a truncated or malformed file can never be read past its end:
//   - codes and indexes outside the name tables give empty texts;
//   - a star whose component or extra link points past the end of its file has none;
//   - tree walks never follow a node index past the end of the tree file and stop at
//     kMaxTreeDepth levels, so a cyclic tree cannot recurse forever;
//   - the note scan stops cleanly on a tag cut off by the end of the file.
// `catalogAttach` installs the same state from memory (tests, fuzzing, tools); the caller keeps
// the bytes alive while they are attached.
//
// Names are formed into 32-character buffers (kNameSize) in the short or long form chosen by
// `longNames`. Tree queries and name formatting allocate nothing; `findByName` builds one name
// index on first use (a single allocation) and answers exactly as a scan in catalogue order.
// One thread uses all of this.
#pragma once

#include <cstddef>
#include <cstdint>

#include "catalog/catalog_records.h"
#include "base/vecmath.h"

namespace catalog {

inline constexpr int kNameSize = 32;       // every name buffer; names fit in 31 characters
inline constexpr int kTrumplerSize = 16;   // trumplerText buffer
inline constexpr int kCcdmSize = 11;       // ten-character CCDM identifier and its zero
// Deepest tree level followed. Below about 48 halvings of the 400,000 ly root cube the boxes
// approach the resolution of a double, where a point could lie in all eight octants at every
// level; real trees are far shallower.
inline constexpr int kMaxTreeDepth = 48;

// ---- Files -----------------------------------------------------------------------------------

enum CatalogFile {
    kStellarData,    // "stellar.data"   StarRecord
    kStellarXdat,    // "stellar.xdat"   StarExtraRecord
    kStellarTree,    // "stellar.tree"   TreeNode
    kStellarSsys,    // "stellar.ssys"   ComponentRecord
    kStellarNote,    // "stellar.note"   text
    kGalacticData,   // "galactic.data"  DeepSkyRecord
    kGalacticBmap,   // "galactic.bmap"  bytes
    kGalacticHmap,   // "galactic.hmap"  bytes
    kCatalogFileCount
};

// The eight files as pointers and sizes in bytes. A null pointer counts as an empty file.
struct CatalogFiles {
    const uint8_t* data[kCatalogFileCount] = {};
    size_t size[kCatalogFileCount] = {};
};

// Start-up step: loads the eight files in order from the packs; 0 as soon as one is missing
// (the later ones are not loaded). Logs the files with the DB start-mode flag.
int catalogLoad();
// Installs the given files as the catalogue (same checks and counts as catalogLoad). Returns 1.
int catalogAttach(const CatalogFiles& files);
// Forgets the files (the packs that own them close after): an empty catalogue.
void catalogClose();
// The attached files, for readers of the raw bytes (the galaxy maps, plug-ins).
const CatalogFiles& catalogFiles();

// Record counts (file size / record size; stars, deep-sky objects and tree nodes are capped at
// 16,777,216, the most an identifier or a tree entry can address).
uint32_t starCount();
uint32_t starExtraCount();
uint32_t treeNodeCount();
uint32_t componentRecordCount();
uint32_t deepSkyCount();

// Copies one record; 0 (and `out` untouched) when the index lies past the end of its file.
int readStar(uint32_t index, StarRecord& out);
int readStarExtra(uint32_t index, StarExtraRecord& out);
int readTreeNode(uint32_t index, TreeNode& out);
int readComponent(uint32_t index, ComponentRecord& out);
int readDeepSky(uint32_t index, DeepSkyRecord& out);

// ---- Objects ---------------------------------------------------------------------------------

// 0 short names (three-letter forms, the default), 1 long names (Greek letter and genitive).
extern int longNames;

// 0 star, 1 deep-sky object, 2 body of the star system, 3 multiple-star component (and
// kNoObject), by the identifier's range.
int objectKind(ObjectId id);

// The bodies (kind 2) and components (kind 3) of the entered star system are known to the
// star-system layer, which registers them here while it runs. Their positions are kilometres in
// the entered system's frame (not light years among the stars); their radii are kilometres.
struct BodySource {
    int (*position)(ObjectId id, Vector3& km);  // 1 found, 0 not in the entered system
    double (*radius)(ObjectId id);              // km; 0 when unknown
};
// 1 registered (also again for the same source); 0 when another source is registered.
int registerBodySource(const BodySource* source);
// Forgets the source if it is the registered one.
void unregisterBodySource(const BodySource* source);

// Position of a star or deep-sky object in light years, or of a body or component in kilometres
// (through the body source). 1 found, 0 not (unknown identifier, index past the table,
// kNoObject, no body source).
int objectPosition(ObjectId id, Vector3& out);
// Radius in kilometres of a body or component of the entered system; 0 for anything else.
double objectRadius(ObjectId id);

// The expanded record of one star; the derived quantities are computed on demand.
struct StarInfo {
    int32_t id;                    // the star's ObjectId
    char designation[kNameSize];   // main designation (HIP, HD, BD, CD, CP)
    char bayerName[kNameSize];     // empty if none
    char flamsteedName[kNameSize]; // empty if none
    char otherName[kNameSize];     // HR, variable-star, Gliese and others; empty if none
    Vector3 position;              // light years
    double absMag;                 // absolute visual magnitude
    double colourBV;               // B−V
    char spectral[kNameSize];      // spectral class text
    double minMag, maxMag;         // magnitudes of a variable star; 0 without an extra record
    double varPeriod;              // days; 0 = not variable
    double knownRadius;            // solar radii; 0 = unknown
    double radialSpeed;            // km/s
    int32_t hasExtra;              // 1 if the star has an extra record
    Vector3 relative;              // position − the observer's position, light years
    double distance;               // |relative|, light years
    double appMag;                 // apparent magnitude from the observer
    double temperature;            // kelvin
    double luminosity;             // solar luminosities
    double solarMass;              // solar masses
    double estRadius;              // solar radii, from luminosity and temperature
    double lifeTime;               // main-sequence life time, 10 × solarMass^−2.5
};
// Fills `out` for star `index` as seen from `observer` (light years); 0 (and `out` zeroed) when
// there is no such star. Extra names are in the current `longNames` form.
int starInfo(uint32_t index, const Vector3& observer, StarInfo& out);

// Colour class 0 to 127 of the star colour ramp for a B−V code (× 256).
int starColourIndex(int16_t colourBV);

// One component of a multiple star.
struct ComponentInfo {
    int32_t index;             // record index in "stellar.ssys"
    char letter1, letter2;     // component letters
    char spectral[kNameSize];  // spectral class text
    double magnitude;
    char ccdm[kCcdmSize];      // "%05d" RA part then the signed declination part, e.g. 00123+4567
    double separation;         // light years from the primary
    double angle;              // radians around the primary
};
// The component of record `index` of "stellar.ssys"; 0 (and `out` untouched) past its end.
int componentInfo(uint32_t index, ComponentInfo& out);
// Component records of a star: 0 for none, else the records up to and including the one that
// is marked last (or the end of the file).
int componentCount(uint32_t star);
// 1 and the first component, or 0 when the star has none.
int firstComponent(uint32_t star, ComponentInfo& out);
// 1 and the next component, or 0 (info unchanged) after the last one or at the end of the file.
int nextComponent(ComponentInfo& info);

// Copies the notes of `id` from "stellar.note" into `out` (capacity bytes, always terminated;
// several notes with the same identifier follow one another). Returns the characters copied:
// 0 when the object has no note.
int noteText(ObjectId id, char* out, size_t capacity);

// ---- Spatial tree ----------------------------------------------------------------------------

// An axis-aligned box in light years; faces belong to the box.
struct Box {
    double x0, y0, z0, x1, y1, z1;
};
// The root cube, ±200,000 ly on each axis.
Box rootBox();

int pointInBox(const Vector3& point, const Box& box);
// 1 if a corner of the box with the smaller x extent lies inside the other. Exact for cubes
// (tree boxes and the renderers' query boxes), which is all it is used for.
int boxesOverlap(const Box& a, const Box& b);
// Smallest and largest squared distance from the point to the box's eight corners.
void boxDistanceRange(const Box& box, const Vector3& point, double& minDistance2,
                      double& maxDistance2);
// Child box of an octant: x upper half with bit 1, y upper half with bit 0, z LOWER half with
// bit 2, so octant 0 is (low x, low y, high z).
void octantBox(int octant, const Box& box, Box& out);
// The node whose octant holding `point` is not subdivided (a leaf run or empty), searching from
// `node` with its box. Octants 0 to 7 are tried in order and the search goes on after a
// subdivided one, so for a point on a shared face the last matching octant decides. Returns 1
// and sets leafNode, or 0 (leafNode untouched) if no octant of a valid node holds the point.
int findLeafNode(const Box& box, uint32_t node, const Vector3& point, uint32_t& leafNode);
// The octant letters "A" to "H" from the root down to the leaf holding `point`; a point on a
// shared face may collect the letters of both sides. `out` is always terminated. Returns the
// length of the text.
int treePath(const Vector3& point, char* out, size_t capacity);

// ---- Designations and names ------------------------------------------------------------------

// Main designation code: top byte 0 "HIP", 1 "HD", 2 "BD", 3 "CD", 4 "CP".
void mainDesignation(uint32_t code, char out[kNameSize]);
// Extra designation code → Bayer, Flamsteed and other name, in the current `longNames` form.
void extraNames(uint32_t code, char bayer[kNameSize], char flamsteed[kNameSize],
                char other[kNameSize]);
// Spectral code → class text ("K2V", "DB2", "WC", "f-k"); kNoSpectral gives an empty text.
void spectralText(uint16_t code, char out[kNameSize]);
// The best name of a star: Bayer, else Flamsteed, else other name, else main designation.
void starName(uint32_t index, char out[kNameSize]);
// Name of a deep-sky object by its ObjectId; empty for other identifiers.
void deepSkyName(ObjectId id, char out[kNameSize]);
// Trumpler class word of an open cluster → "%d %d %c %c (%d)".
void trumplerText(uint16_t word, char out[kTrumplerSize]);

// The first star (main designation, then its extra names in the current form) or else deep-sky
// object whose name equals `name` exactly (case-sensitive), in catalogue order; kNoObject if
// none. An empty name matches nothing.
ObjectId findByName(const char* name);
// Whether letters must match in case. The catalogue's own lookups are case-sensitive; the
// search panel lets "alp*" find "Alpha Centauri", as a person typing expects.
enum class LetterCase { kSensitive, kIgnored };

// The next object after `previous` (kNoObject starts at the first star) whose main designation,
// extra names in either form, or deep-sky name match `pattern`; kNoObject at the end.
ObjectId searchNext(ObjectId previous, const char* pattern, LetterCase letterCase = LetterCase::kSensitive);
// The same search in pieces, so that a search over the whole catalogue can be spread over
// frames: `next` is the object to look at first (0 at the start), kNoObject once the catalogue
// has been gone through.
struct SearchCursor {
    ObjectId next = 0;
};
// Looks at no more than `budget` objects from the cursor on and returns the first that matches
// (the cursor then stands after it), or kNoObject when the budget ran out first or the catalogue
// ended (cursor.next is kNoObject then). Matches come in the order of searchNext.
ObjectId searchSome(SearchCursor& cursor, const char* pattern, uint32_t budget,
                    LetterCase letterCase = LetterCase::kSensitive);
// Wildcard match: "?" one character, "*" at least one character up to the first occurrence of
// the next pattern character, a blank any run of blanks (also none). Case-sensitive unless
// asked otherwise (then ASCII letters match either case).
int matchPattern(const char* pattern, const char* text, LetterCase letterCase = LetterCase::kSensitive);

// A position written as text, the grammar of marker files and of the console's position
// arguments: the first of the letters p, o, n in `text` followed by "(": p(x,y,z) three finite
// reals in light years separated by commas ("%lf" each, blanks allowed before a number but not
// before a comma), o(identifier) the position of the object with that hexadecimal identifier,
// n(name) the position of the first object of that exact name (findByName). A ")" before the
// letter fails. Returns the character after the position (after the third number, the
// identifier or the closing parenthesis of the name) and sets `out`, or null and leaves it.
const char* readPosition(const char* text, Vector3& out);

// The expanded record of one deep-sky object.
struct DeepSkyInfo {
    int32_t index;                 // record index in "galactic.data"
    uint32_t type;                 // DeepSkyType
    char name[kNameSize];
    Vector3 position;              // light years
    double absMag;
    Vector3 relative;              // position − the observer's position, light years
    double distance;               // light years
    double appMag;
    double value1, value2, value3; // the type-dependent fields (open cluster: value3 is the
                                   // brightest star's magnitude)
    char trumpler[kTrumplerSize];  // open clusters only
};
// Fills `out` for a deep-sky identifier as seen from `observer` (light years); 0 (and `out`
// zeroed) for anything else.
int deepSkyInfo(ObjectId id, const Vector3& observer, DeepSkyInfo& out);

}  // namespace catalog

// Private to the catalogue: the attached files with their counts, the record readers, and the
// name formatters with the short/long form as an argument instead of the global switch.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "catalog/catalog.h"

namespace catalog::detail {

struct State {
    CatalogFiles files;
    uint32_t stars = 0;       // StarRecord count
    uint32_t extras = 0;      // StarExtraRecord count
    uint32_t nodes = 0;       // TreeNode count
    uint32_t components = 0;  // ComponentRecord count
    uint32_t deepSky = 0;     // DeepSkyRecord count
};
extern State state;

// Copies record `index` of a file of `count` records of T. Reading through memcpy makes the
// in-place data safe whatever its alignment in the pack.
template <typename T>
inline bool readRecord(CatalogFile file, uint32_t count, uint32_t index, T& out) {
    if (index >= count) return false;
    std::memcpy(&out, state.files.data[file] + static_cast<size_t>(index) * sizeof(T), sizeof(T));
    return true;
}

// The star's extra record, if its link points into "stellar.xdat".
bool starExtra(const StarRecord& star, StarExtraRecord& out);

// Called by catalogAttach: the name index belongs to the files it was built from.
void resetNameIndex();

// Formats into a fixed buffer, always terminated, cut at its size.
void formatText(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Name formatters with an explicit form (false short, true long).
void extraNamesIn(uint32_t code, bool longForm, char bayer[kNameSize], char flamsteed[kNameSize],
                  char other[kNameSize]);
void starNameIn(uint32_t index, bool longForm, char out[kNameSize]);
// Whether the extra names of a code differ between the short and the long form.
bool extraNamesDependOnForm(uint32_t code);
// The deep-sky name of record `index` (no range check on the identifier).
void deepSkyNameOf(const DeepSkyRecord& record, char out[kNameSize]);

}  // namespace catalog::detail

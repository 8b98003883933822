// Fuzz target for the configuration store's parser: any bytes either fail cleanly or parse into a
// store that writes out and reads back unchanged.
#include <cstdint>
#include <cstdlib>

#include "platform/posix/store_internal.h"

using store::detail::Model;

static bool sameModel(const Model& a, const Model& b) {
    if (a.keys.size() != b.keys.size()) return false;
    for (size_t k = 0; k < a.keys.size(); ++k) {
        const auto& ka = a.keys[k];
        const auto& kb = b.keys[k];
        if (ka.path != kb.path || ka.values.size() != kb.values.size()) return false;
        for (size_t v = 0; v < ka.values.size(); ++v) {
            const auto& va = ka.values[v];
            const auto& vb = kb.values[v];
            if (va.name != vb.name || va.type != vb.type || va.data != vb.data) return false;
        }
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Model model;
    store::detail::ParseError error;
    if (!store::detail::parse(data, size, model, error)) return 0;
    std::string text = store::detail::serialize(model);
    Model again;
    if (!store::detail::parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), again, error)) std::abort();
    if (!sameModel(model, again)) std::abort();
    return 0;
}

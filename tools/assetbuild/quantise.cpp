// Colour quantiser: weighted median cut over the picture's distinct colours, refined by k-means
// (Lloyd's iterations), without dithering, because the map bytes index a shade table and must
// stay smooth. The palette is sorted by luminance, so an index also orders brightness: a map
// drawn through another body's colour map (the tinted map slots) stays a plausible picture.
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "assetbuild.h"

namespace assets {
namespace {

struct Colour {
    double c[3];
    double weight;
};

struct Box {
    std::vector<int> members;  // indexes into the distinct colours
    double error = 0;          // weighted sum of squared distances to the mean
    int axis = 0;
};

void measure(Box& box, const std::vector<Colour>& colours) {
    double sum[3] = {0, 0, 0}, sq[3] = {0, 0, 0}, w = 0;
    for (int i : box.members) {
        const Colour& c = colours[i];
        for (int k = 0; k < 3; ++k) sum[k] += c.c[k] * c.weight, sq[k] += c.c[k] * c.c[k] * c.weight;
        w += c.weight;
    }
    box.error = 0;
    double best = -1;
    for (int k = 0; k < 3; ++k) {
        double var = sq[k] - sum[k] * sum[k] / w;
        box.error += var;
        if (var > best) best = var, box.axis = k;
    }
}

double luminance(const double c[3]) { return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]; }

}  // namespace

void quantise(const std::vector<uint8_t>& rgb, size_t pixels, Bytes& indexes, std::vector<uint8_t>& palette) {
    // Distinct colours with their pixel counts, in a fixed order.
    std::unordered_map<uint32_t, double> counts;
    for (size_t i = 0; i < pixels; ++i)
        counts[static_cast<uint32_t>(rgb[i * 3]) << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]] += 1;
    std::vector<uint32_t> keys;
    keys.reserve(counts.size());
    for (const auto& kv : counts) keys.push_back(kv.first);
    std::sort(keys.begin(), keys.end());
    std::vector<Colour> colours;
    for (uint32_t k : keys)
        colours.push_back({{static_cast<double>(k >> 16), static_cast<double>(k >> 8 & 255), static_cast<double>(k & 255)},
                           counts[k]});

    // Median cut: split the box with the largest error at the weighted median of its widest axis.
    std::vector<Box> boxes(1);
    for (size_t i = 0; i < colours.size(); ++i) boxes[0].members.push_back(static_cast<int>(i));
    measure(boxes[0], colours);
    while (boxes.size() < 256) {
        int pick = -1;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].members.size() > 1 && (pick < 0 || boxes[i].error > boxes[pick].error)) pick = static_cast<int>(i);
        if (pick < 0 || boxes[pick].error <= 0) break;
        Box& box = boxes[pick];
        int axis = box.axis;
        std::sort(box.members.begin(), box.members.end(), [&](int a, int b) {
            return colours[a].c[axis] != colours[b].c[axis] ? colours[a].c[axis] < colours[b].c[axis] : a < b;
        });
        double total = 0, run = 0;
        for (int i : box.members) total += colours[i].weight;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.members.size(); ++i) {
            run += colours[box.members[i]].weight;
            cut = i + 1;
            if (run >= total / 2) break;
        }
        Box other;
        other.members.assign(box.members.begin() + static_cast<long>(cut), box.members.end());
        box.members.resize(cut);
        measure(box, colours);
        measure(other, colours);
        boxes.push_back(std::move(other));
    }
    std::vector<std::array<double, 3>> centres;
    for (const Box& b : boxes) {
        double s[3] = {0, 0, 0}, w = 0;
        for (int i : b.members)
            for (int k = 0; k < 3; ++k) s[k] += colours[i].c[k] * colours[i].weight;
        for (int i : b.members) w += colours[i].weight;
        centres.push_back({s[0] / w, s[1] / w, s[2] / w});
    }

    // k-means refinement over the distinct colours.
    std::vector<int> owner(colours.size(), 0);
    auto nearest = [&](const double c[3]) {
        int best = 0;
        double bestD = 1e300;
        for (size_t j = 0; j < centres.size(); ++j) {
            double d = 0;
            for (int k = 0; k < 3; ++k) d += (c[k] - centres[j][k]) * (c[k] - centres[j][k]);
            if (d < bestD) bestD = d, best = static_cast<int>(j);
        }
        return best;
    };
    for (int iteration = 0; iteration < 10; ++iteration) {
        for (size_t i = 0; i < colours.size(); ++i) owner[i] = nearest(colours[i].c);
        std::vector<std::array<double, 4>> acc(centres.size(), {0, 0, 0, 0});
        for (size_t i = 0; i < colours.size(); ++i) {
            for (int k = 0; k < 3; ++k) acc[owner[i]][k] += colours[i].c[k] * colours[i].weight;
            acc[owner[i]][3] += colours[i].weight;
        }
        for (size_t j = 0; j < centres.size(); ++j)
            if (acc[j][3] > 0)
                for (int k = 0; k < 3; ++k) centres[j][k] = acc[j][k] / acc[j][3];
    }

    // Round to the palette's 8-bit colours, sort those by luminance and assign every pixel its
    // nearest entry, so that the stored palette is exactly in order and exactly what is matched.
    for (auto& c : centres)
        for (double& v : c) v = static_cast<double>(std::clamp(std::lround(v), 0L, 255L));
    std::sort(centres.begin(), centres.end(), [](const auto& a, const auto& b) {
        double la = luminance(a.data()), lb = luminance(b.data());
        return la != lb ? la < lb : a < b;
    });
    palette.assign(256 * 3, 0);
    for (size_t j = 0; j < centres.size(); ++j)
        for (int k = 0; k < 3; ++k) palette[j * 3 + k] = static_cast<uint8_t>(centres[j][k]);
    std::unordered_map<uint32_t, uint8_t> lookup;
    for (size_t i = 0; i < colours.size(); ++i) lookup[keys[i]] = static_cast<uint8_t>(nearest(colours[i].c));
    indexes.resize(pixels);
    for (size_t i = 0; i < pixels; ++i)
        indexes[i] = lookup[static_cast<uint32_t>(rgb[i * 3]) << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]];
}

}  // namespace assets

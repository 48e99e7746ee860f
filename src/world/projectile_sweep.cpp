#include "world/projectile_sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bastion {

namespace {

float largestMagnitude(Vec3 v) { return std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}); }

}  // namespace

Bounds everywhere() {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    return {{-infinity, -infinity, -infinity}, {infinity, infinity, infinity}};
}

Bounds segmentBounds(Vec3 a, Vec3 b, float reach, float share) {
    if (!isFinite(a) || !isFinite(b)) return everywhere();
    const float slack = reach + share * (1.0f + largestMagnitude(a) + largestMagnitude(b));
    return {{std::min(a.x, b.x) - slack, std::min(a.y, b.y) - slack, std::min(a.z, b.z) - slack},
            {std::max(a.x, b.x) + slack, std::max(a.y, b.y) + slack, std::max(a.z, b.z) + slack}};
}

Bounds boxBounds(Vec3 centre, Vec3 half, float share) {
    if (!isFinite(centre) || !isFinite(half)) return everywhere();
    const Vec3 size{std::fabs(half.x), std::fabs(half.y), std::fabs(half.z)};
    const float slack = share * (1.0f + largestMagnitude(centre) + largestMagnitude(size));
    const Vec3 grown = size + Vec3{slack, slack, slack};
    return {centre - grown, centre + grown};
}

void BoundsColumns::clear() {
    index.clear();
    lowX.clear();
    lowY.clear();
    lowZ.clear();
    highX.clear();
    highY.clear();
    highZ.clear();
    blocks.clear();
}

void BoundsColumns::add(std::size_t i, const Bounds& bounds) {
    const std::size_t at = index.size();
    index.push_back(i);
    if (at % kBlock == 0) {
        // Whole blocks of columns, so that a query always runs a full block;
        // the padding lies beyond every bound and is never reported.
        constexpr float infinity = std::numeric_limits<float>::infinity();
        for (std::vector<float>* low : {&lowX, &lowY, &lowZ}) low->resize(at + kBlock, infinity);
        for (std::vector<float>* high : {&highX, &highY, &highZ}) high->resize(at + kBlock, -infinity);
        blocks.push_back(bounds);
    } else {
        Bounds& block = blocks.back();
        block.low = {std::min(block.low.x, bounds.low.x), std::min(block.low.y, bounds.low.y),
                     std::min(block.low.z, bounds.low.z)};
        block.high = {std::max(block.high.x, bounds.high.x), std::max(block.high.y, bounds.high.y),
                      std::max(block.high.z, bounds.high.z)};
    }
    lowX[at] = bounds.low.x;
    lowY[at] = bounds.low.y;
    lowZ[at] = bounds.low.z;
    highX[at] = bounds.high.x;
    highY[at] = bounds.high.y;
    highZ[at] = bounds.high.z;
}

namespace {

// Written so that a NaN bound never separates.
bool apart(const Bounds& a, const Bounds& b) {
    return a.high.x < b.low.x || b.high.x < a.low.x || a.high.y < b.low.y || b.high.y < a.low.y ||
           a.high.z < b.low.z || b.high.z < a.low.z;
}

}  // namespace

void findOverlaps(const BoundsColumns& candidates, const Bounds& query, std::vector<std::size_t>& found) {
    found.clear();
    const std::size_t n = candidates.size();
    for (std::size_t block = 0; block < candidates.blocks.size(); ++block) {
        if (apart(query, candidates.blocks[block])) continue;
        const std::size_t first = block * BoundsColumns::kBlock;
        const std::size_t count = std::min(BoundsColumns::kBlock, n - first);
        const float* lowX = candidates.lowX.data() + first;
        const float* lowY = candidates.lowY.data() + first;
        const float* lowZ = candidates.lowZ.data() + first;
        const float* highX = candidates.highX.data() + first;
        const float* highY = candidates.highY.data() + first;
        const float* highZ = candidates.highZ.data() + first;
        // Non-short-circuit operators keep the loop free of branches, and a
        // local array of marks cannot alias the columns: the loop vectorises.
        unsigned char out[BoundsColumns::kBlock];
        for (std::size_t c = 0; c < BoundsColumns::kBlock; ++c) {
            const bool away = (query.high.x < lowX[c]) | (highX[c] < query.low.x) | (query.high.y < lowY[c]) |
                              (highY[c] < query.low.y) | (query.high.z < lowZ[c]) | (highZ[c] < query.low.z);
            out[c] = static_cast<unsigned char>(!away);
        }
        for (std::size_t c = 0; c < count; ++c) {
            if (out[c]) found.push_back(candidates.index[first + c]);
        }
    }
}

}  // namespace bastion

#pragma once

#include <algorithm>

#include "world/world.h"

namespace bastion {

// Unlike std::clamp, defined for an inverted range (a negative extent).
inline float limitToRange(float v, float low, float high) { return std::max(low, std::min(v, high)); }

// The point of the target's box (position ± extent) nearest to `point`.
// Inline: every blast tests it against every target.
inline Vec3 nearestBoxPoint(const Target& target, Vec3 point) {
    const Vec3 low = target.position - target.extent;
    const Vec3 high = target.position + target.extent;
    return {limitToRange(point.x, low.x, high.x), limitToRange(point.y, low.y, high.y),
            limitToRange(point.z, low.z, high.z)};
}

}  // namespace bastion

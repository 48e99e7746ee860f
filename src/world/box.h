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

// SB1 mission index 2 protects its object tagged 32: blasts, blows and enemy
// fire leave it whole, only a player's direct grenade hit harms it.
inline bool shieldedObjective(const World& world, const Target& target) {
    return world.campaign == 0 && world.missionIndex == 2 && target.tag == 32;
}

}  // namespace bastion

#include "world/box.h"

#include <algorithm>

namespace bastion {

namespace {

// Unlike std::clamp, defined for an inverted range (a negative extent).
float limit(float v, float low, float high) { return std::max(low, std::min(v, high)); }

}  // namespace

Vec3 nearestBoxPoint(const Target& target, Vec3 point) {
    const Vec3 low = target.position - target.extent;
    const Vec3 high = target.position + target.extent;
    return {limit(point.x, low.x, high.x), limit(point.y, low.y, high.y), limit(point.z, low.z, high.z)};
}

bool shieldedObjective(const World& world, const Target& target) {
    return world.campaign == 0 && world.missionIndex == 2 && target.tag == 32;
}

}  // namespace bastion

#include <algorithm>
#include <stdexcept>

#include "world/debris.h"
#include "world/world.h"

namespace bastion {
namespace {

// Height of a model's origin above (x, z) at which its lowest point, turned by
// `orientation`, touches the ground under that point; -1e9 for no points.
template <typename Points, typename PointOf>
float restingHeight(const World& world, float x, float z, Quaternion orientation, const Points& points,
                    PointOf pointOf) {
    float best = -1e9f;
    for (const auto& point : points) {
        const Vec3 p = rotate(orientation, pointOf(point));
        best = std::max(best, world.surfaceHeight(x + p.x, z + p.z) - p.y);
    }
    return best;
}

}  // namespace

float World::debrisFloor(const WeaponEffect& effect) const {
    const Vec3 at = effect.position;
    const auto shape = fragmentShapes.find(static_cast<u32>(effect.model));
    if (shape == fragmentShapes.end()) return surfaceHeight(at.x, at.z) + 0.5f * effect.size;
    return restingHeight(*this, at.x, at.z, debrisOrientation(effect.age), shape->second,
                         [&](Vec3 v) { return v * effect.size; });
}

Vec3 World::pickupPosition(const Pickup& pickup) const {
    const u32 slot = pickupSlots[static_cast<u32>(pickup.kind) & 31u];
    if (slot >= pickupMeshes.size()) throw std::out_of_range("array::at");
    float low = 0.0f;
    for (const WorldVertex& vertex : pickupMeshes[slot]) low = std::min(low, vertex.position.y);
    const Vec3 at = pickup.position;
    return {at.x, surfaceHeight(at.x, at.z) - low, at.z};
}

Vec3 World::wreckPosition(const Target& target) const {
    const Vec3 home = target.home;
    if (!target.wreck || target.wreck->empty()) return home;
    const Quaternion orientation = angles(target.homeYaw, target.pitch, target.roll);
    return {home.x,
            restingHeight(*this, home.x, home.z, orientation, *target.wreck,
                          [](const WorldVertex& v) { return v.position; }),
            home.z};
}

}  // namespace bastion

#include <cmath>

#include "world/world.h"

namespace bastion {

bool World::hasWater(float x, float z, float radius) const {
    // An unusable query is kept out of the water's way by calling it wet.
    if (!std::isfinite(x) || !std::isfinite(z) || !std::isfinite(radius) || radius < 0.0f) return true;
    if (water.empty()) return false;
    const float minX = x - radius, maxX = x + radius, minZ = z - radius, maxZ = z + radius;
    for (const ProceduralWater& body : water) {
        const float* b = body.bounds;
        if (!(b[0] < maxX && minX < b[2] && b[1] < maxZ && minZ < b[3])) continue;
        if (cover.empty()) return true;
        // Only the part of the square over this body has to be bridged.
        const float clipMinX = std::fmax(minX, b[0]), clipMaxX = std::fmin(maxX, b[2]);
        const float clipMinZ = std::fmax(minZ, b[1]), clipMaxZ = std::fmin(maxZ, b[3]);
        bool covered = false;
        for (const Rectangle& deck : cover) {
            if (deck[0] <= clipMinX && clipMaxX <= deck[2] && deck[1] <= clipMinZ && clipMaxZ <= deck[3]) {
                covered = true;
                break;
            }
        }
        if (!covered) return true;
    }
    return false;
}

}  // namespace bastion

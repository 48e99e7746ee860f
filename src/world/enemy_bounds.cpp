#include <cmath>

#include "world/internal/mesh_bounds.h"
#include "world/world.h"

namespace bastion {
namespace {

bool hasVertices(const Target& target) { return target.mesh && !target.mesh->empty(); }

// Aircraft and ships keep their own height on procedural ground.
bool keepsHeight(int unitType) {
    return unitType == 1 || unitType == 7 || unitType == 9 || unitType == 12 || unitType == 18;
}

}  // namespace

void World::updateEnemyBounds(Target& target) {
    const float yaw = target.homeYaw;
    if (!target.boundsReady) {
        if (hasVertices(target)) {
            const MeshBox box = turnedMeshBox(*target.mesh, 0.0f);
            target.modelCentre = box.centre();
            target.modelHalf = box.half();
        } else {
            target.modelCentre = rotate(angles(-yaw, 0.0f, 0.0f), target.position - target.home);
            target.modelHalf = target.extent;
        }
        target.boundsReady = true;
    }
    const int type = target.unitType;
    const bool grounded = type == 0 || type == 3 || type == 14 || (proceduralTerrain && !keepsHeight(type));
    if (grounded && !target.dropped && hasVertices(target))
        target.home.y = surfaceHeight(target.home.x, target.home.z) + target.modelHalf.y - target.modelCentre.y;
    const Vec3 half = target.modelHalf;
    const float c = std::fabs(std::cos(yaw)), s = std::fabs(std::sin(yaw));
    target.position = target.home + rotate(angles(yaw, 0.0f, 0.0f), target.modelCentre);
    target.extent = {half.x * c + half.z * s, half.y, half.x * s + half.z * c};
}

}  // namespace bastion

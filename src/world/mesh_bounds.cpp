#include "world/internal/mesh_bounds.h"

#include <algorithm>

namespace bastion {

MeshBox turnedMeshBox(const Mesh& mesh, float yaw) {
    const Quaternion turn = angles(yaw, 0.0f, 0.0f);
    MeshBox box;
    for (const WorldVertex& vertex : mesh) {
        const Vec3 p = rotate(turn, vertex.position);
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
    }
    return box;
}

}  // namespace bastion

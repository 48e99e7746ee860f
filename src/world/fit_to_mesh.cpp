#include "world/internal/mesh_bounds.h"
#include "world/internal/mission_loading.h"

namespace bastion {

void fitToMesh(Target& target) {
    const MeshBox box = target.mesh ? turnedMeshBox(*target.mesh, target.homeYaw) : MeshBox{};
    target.position = target.home + box.centre();
    target.extent = box.half();
}

}  // namespace bastion

#include "procedural/internal/texture_band.h"

#include <memory>

namespace bastion {

void bandTextures(SharedMesh& mesh, int source) {
    if (!mesh) return;
    auto copy = std::make_shared<Mesh>(*mesh);
    for (WorldVertex& vertex : *copy) {
        if (vertex.textured == 0.0f) continue;
        vertex.v = source == 0 ? vertex.v * kSB1AtlasHeight / kSharedAtlasHeight
                               : (vertex.v * (kSharedAtlasHeight - kSB1AtlasHeight) + kSB1AtlasHeight) /
                                     kSharedAtlasHeight;
    }
    mesh = std::move(copy);
}

void bandTargetTextures(Target& target, int source) {
    bandTextures(target.mesh, source);
    bandTextures(target.wreck, source);
}

}  // namespace bastion

#include "procedural/atlas_band.h"

#include <memory>

namespace bastion {
namespace {

constexpr float kSB1Rows = 158.0f;
constexpr float kSB2Rows = 451.0f;
constexpr float kAtlasRows = 609.0f;

SharedMesh banded(const SharedMesh& mesh, int campaign) {
    if (!mesh) return mesh;
    auto copy = std::make_shared<Mesh>(*mesh);
    for (WorldVertex& vertex : *copy) {
        if (vertex.textured == 0.0f) continue;
        vertex.v = campaign == 0 ? vertex.v * kSB1Rows / kAtlasRows : (vertex.v * kSB2Rows + kSB1Rows) / kAtlasRows;
    }
    return copy;
}

}  // namespace

void bandMeshes(Target& target, int campaign) {
    target.mesh = banded(target.mesh, campaign);
    target.wreck = banded(target.wreck, campaign);
}

}  // namespace bastion

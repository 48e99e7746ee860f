#include "render/renderer.h"

namespace bastion {

// The world's meshes, effects and other walkers come
// with the world and model drawing; until then a slice shows only what the
// stages around it draw.
void Renderer::drawWorldLayer(const World&, const Matrix&, bool, const Frontend*) {}


}  // namespace bastion

#include "render/renderer.h"

namespace bastion {

// The decoded models and rigs are not read yet: `models` stays empty and
// `armRig` keeps its preset.
void Renderer::loadModels(const std::filesystem::path&) {}

}  // namespace bastion

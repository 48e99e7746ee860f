#include "render/renderer.h"

namespace bastion {

// The authored cockpit ("cockpit.mesh", "mesh-manifest.json", "layout.json")
// is not read yet: the renderer stands without it and draws no cockpit.
void Renderer::loadCockpit(const std::filesystem::path&) {}

}  // namespace bastion

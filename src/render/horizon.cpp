#include <algorithm>
#include <cstdio>

#include <GL/glew.h>

#include "render/internal/scene_texts.h"
#include "render/internal/transforms.h"
#include "render/renderer.h"
#include "world/world.h"

namespace bastion {

std::string horizonName(int campaign, int horizonIndex) {
    char name[40];
    if (campaign == 0) {
        std::snprintf(name, sizeof name, "horizon-%02d", std::clamp(horizonIndex, 0, 5) + 1);
    } else {
        // Unclamped: widen first so the largest index still names an image.
        std::snprintf(name, sizeof name, "sb2-horizon-%02lld", static_cast<long long>(horizonIndex) + 1);
    }
    return name;
}

// Twelve panels 30 degrees apart, 390 units out, following the pilot's ground
// position but not its heading, behind everything drawn later.
void Renderer::horizon(const World& world) {
    glDepthMask(GL_FALSE);
    const std::string name = horizonName(world.campaign, world.horizon);
    for (int k = 0; k < 12; ++k) {
        const float a = static_cast<float>(2 * k) * 3.1415927f / 12.0f;
        const Matrix panel = vant::chain(vant::translation(world.pilot.position.x, 0.0f, world.pilot.position.z),
                                         vant::rotationY(a), vant::translation(-107.0f, 36.0f, -390.0f),
                                         vant::scaling(214.0f, -36.0f, 1.0f));
        art(name, panel, {0.0f, 0.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f});
    }
    glDepthMask(GL_TRUE);
}

}  // namespace bastion

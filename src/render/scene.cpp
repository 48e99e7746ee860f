#include <GL/glew.h>

#include "render/renderer.h"
#include "world/world.h"

namespace bastion {

void Renderer::drawScene(const World& world, const Matrix& projection, const Matrix& camera, const Matrix&,
                         bool, const Frontend*) {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glClearColor(world.skyColour.x, world.skyColour.y, world.skyColour.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(basicProgram);
    glBindVertexArray(cubeVertexArray);
    frameMatrix = vant::multiply(projection, vant::rigidInverse(camera));
    // The menu panel, the horizon, the three depth slices, the arms and
    // cockpit and the head-up display are composed here as they arrive.
}

}  // namespace bastion

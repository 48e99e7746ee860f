#include "render/draw_stage.h"

#include <GL/glew.h>

#include "support/gl/gl_window.h"
#include "support/demo_content.h"

namespace bastion::testing_support {

std::unique_ptr<Renderer> makeRenderer() { return makeRenderer(demoContent()); }

std::unique_ptr<Renderer> makeRenderer(const std::filesystem::path& retail) {
    requireGlContext();
    return std::make_unique<Renderer>(retail / "cockpit");
}

void beginPrimitives(Renderer& renderer, const vant::Matrix& frame, bool depthTest) {
    glUseProgram(renderer.basicProgram);
    glBindVertexArray(renderer.cubeVertexArray);
    renderer.frameMatrix = frame;
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDisable(GL_BLEND);
}

}  // namespace bastion::testing_support

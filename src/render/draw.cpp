#include <algorithm>
#include <stdexcept>

#include <GL/glew.h>

#include "render/renderer.h"

namespace bastion {
namespace {

constexpr GLint kMaxSceneSamples = 4;

}  // namespace

void Renderer::draw(const World& world, const Matrix& projection, const Matrix& camera, const Matrix& hud,
                    bool paused, const Frontend* frontend) {
    GLint drawBinding = 0;
    GLint readBinding = 0;
    GLint viewport[4] = {};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLint x = viewport[0];
    const GLint y = viewport[1];
    const GLint width = viewport[2];
    const GLint height = viewport[3];
    // An empty view has nothing to show, and a zero-sized target could never
    // be complete: leave the caller's framebuffer untouched.
    if (width <= 0 || height <= 0) return;

    if (sceneFramebuffer == 0) {
        glGenFramebuffers(1, &sceneFramebuffer);
        glGenRenderbuffers(1, &sceneColour);
        glGenRenderbuffers(1, &sceneDepth);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);

    if (width != sceneWidth || height != sceneHeight) {
        sceneWidth = width;
        sceneHeight = height;
        GLint maxSamples = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
        const GLint samples = std::min(maxSamples, kMaxSceneSamples);
        glBindRenderbuffer(GL_RENDERBUFFER, sceneColour);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, sceneColour);
        glBindRenderbuffer(GL_RENDERBUFFER, sceneDepth);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT32F, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, sceneDepth);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            throw std::runtime_error("Multisample scene framebuffer incomplete");
        }
    }

    glEnable(GL_MULTISAMPLE);
    glViewport(0, 0, width, height);
    drawScene(world, projection, camera, hud, paused, frontend);

    glBindFramebuffer(GL_READ_FRAMEBUFFER, sceneFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawBinding));
    glBlitFramebuffer(0, 0, width, height, x, y, x + width, y + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBinding));
    glViewport(x, y, width, height);
}

}  // namespace bastion

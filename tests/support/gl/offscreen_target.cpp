#include "support/gl/offscreen_target.h"

#include <stdexcept>

#include "support/gl/gl_window.h"

namespace bastion::testing_support {

OffscreenTarget::OffscreenTarget(int width, int height) {
    requireGlContext();
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glGenRenderbuffers(1, &depth_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        throw std::runtime_error("Offscreen target incomplete");
    }
    glViewport(0, 0, width, height);
}

OffscreenTarget::~OffscreenTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
}

void OffscreenTarget::bindAndClear(float red, float green, float blue) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    GLint size[2] = {};
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &size[0]);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &size[1]);
    glViewport(0, 0, size[0], size[1]);
    glDepthMask(GL_TRUE);
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::array<int, 4> OffscreenTarget::pixel(int x, int y) const {
    GLint readBinding = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    std::uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBinding));
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

}  // namespace bastion::testing_support

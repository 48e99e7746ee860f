#include <functional>
#include <stdexcept>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "art_tree.h"
#include "support/gl/gl_window.h"
#include "render/renderer.h"

namespace bastion {
namespace {

// How many of the first names of each kind of GL object are alive; names are
// handed out from the bottom, so a leak shows as a higher count.
int liveObjects() {
    const std::function<GLboolean(GLuint)> kinds[] = {
        [](GLuint name) { return glIsProgram(name); },     [](GLuint name) { return glIsShader(name); },
        [](GLuint name) { return glIsBuffer(name); },      [](GLuint name) { return glIsVertexArray(name); },
        [](GLuint name) { return glIsTexture(name); },     [](GLuint name) { return glIsFramebuffer(name); },
        [](GLuint name) { return glIsRenderbuffer(name); },
    };
    int live = 0;
    for (const auto& isLive : kinds) {
        for (GLuint name = 1; name <= 512; ++name) live += isLive(name) == GL_TRUE ? 1 : 0;
    }
    return live;
}

// A renderer refused half way (here at the art, after the cockpit and its
// shader were made) gives back every GL object it had made.
TEST(RendererLifetime, RefusedConstructionLeavesNoGlObjects) {
    testing_support::requireGlContext();
    const testing_support::ArtTree tree;  // a cockpit and no art
    const int before = liveObjects();
    EXPECT_THROW(Renderer{tree.cockpit()}, std::runtime_error);
    EXPECT_EQ(liveObjects(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace bastion

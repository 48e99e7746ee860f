#include <array>
#include <stdexcept>
#include <string>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "render/draw_stage.h"
#include "render/internal/gl_objects.h"
#include "render/internal/gl_shader.h"
#include "support/gl/gl_window.h"
#include "support/gl/offscreen_target.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::OffscreenTarget;
using Pixel = std::array<int, 4>;

// The default World's sky colour in bytes.
const Pixel kSky{14, 24, 33, 255};
const Pixel kRed{255, 0, 0, 255};

TEST(ShaderStage, FailureCarriesTheCompilersLogVerbatim) {
    testing_support::requireGlContext();
    const char* const broken = "#version 330 core\nout vec4 colour;\nvoid main() { colour = missing; }\n";
    std::string expected;
    ASSERT_EQ(compileStage(GL_FRAGMENT_SHADER, broken, expected), 0u);
    ASSERT_FALSE(expected.empty());
    try {
        compile(GL_FRAGMENT_SHADER, broken);
        FAIL() << "compiled";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), expected);
    }
}

class DrawTest : public ::testing::Test {
protected:
    void drawView() { renderer->draw(world, vant::identity, vant::identity, vant::identity, false, nullptr); }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    World world;
};

TEST_F(DrawTest, ResolvesIntoTheCallersFramebufferAndViewportAndRestoresThem) {
    OffscreenTarget drawn(128, 96);
    OffscreenTarget read(16, 16);
    drawn.bindAndClear(1, 0, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawn.framebuffer());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read.framebuffer());
    glViewport(10, 20, 64, 48);

    drawView();

    GLint drawBinding = 0;
    GLint readBinding = 0;
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(static_cast<GLuint>(drawBinding), drawn.framebuffer());
    EXPECT_EQ(static_cast<GLuint>(readBinding), read.framebuffer());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{10, 20, 64, 48}));

    // The view lands at the caller's offset and nowhere else.
    EXPECT_EQ(drawn.pixel(10, 20), kSky);
    EXPECT_EQ(drawn.pixel(73, 67), kSky);
    EXPECT_EQ(drawn.pixel(9, 20), kRed);
    EXPECT_EQ(drawn.pixel(10, 19), kRed);
    EXPECT_EQ(drawn.pixel(74, 67), kRed);
    EXPECT_EQ(drawn.pixel(73, 68), kRed);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawTest, LeavesTheDefaultBindingAndMultisampling) {
    OffscreenTarget target(32, 32);
    target.bindAndClear(0, 0, 0);
    drawView();
    GLint program = 0;
    GLint vertexArray = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(static_cast<GLuint>(program), renderer->basicProgram);
    EXPECT_EQ(static_cast<GLuint>(vertexArray), renderer->cubeVertexArray);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
}

TEST_F(DrawTest, ViewsOfDifferentSizesReallocateTheSceneTarget) {
    OffscreenTarget target(64, 48);
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    const std::array<std::array<int, 2>, 3> sizes{{{64, 48}, {32, 16}, {64, 48}}};
    GLuint framebuffer = 0;
    for (const auto& [width, height] : sizes) {
        target.bindAndClear(1, 0, 0);
        glViewport(0, 0, width, height);
        world.skyColour = {0, static_cast<float>(width) / 255.0f, 1};
        drawView();
        EXPECT_EQ(renderer->sceneWidth, width);
        EXPECT_EQ(renderer->sceneHeight, height);
        EXPECT_EQ(target.pixel(width - 1, height - 1), (Pixel{0, width, 255, 255}));
        if (width < 64) {
            EXPECT_EQ(target.pixel(width, height - 1)[0], 255);
        }
        if (framebuffer == 0) framebuffer = renderer->sceneFramebuffer;
        EXPECT_EQ(renderer->sceneFramebuffer, framebuffer);  // only the storage changes
    }
    GLint samples = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, renderer->sceneColour);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &samples);
    EXPECT_EQ(samples, std::min(maxSamples, 4));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawTest, AnEmptyViewDrawsNothing) {
    OffscreenTarget target(8, 8);
    target.bindAndClear(1, 0, 0);
    glViewport(0, 0, 0, 0);
    drawView();
    EXPECT_EQ(renderer->sceneFramebuffer, 0u);
    EXPECT_EQ(target.pixel(0, 0), kRed);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace bastion

#include <cstdint>
#include <vector>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "contentgen/frontend_export.h"
#include "render/art_tree.h"
#include "render/draw_stage.h"
#include "support/gl/gl_window.h"
#include "support/gl/offscreen_target.h"
#include "render/renderer.h"

namespace bastion {
namespace {

using testing_support::ArtTree;
using testing_support::artEntry;

constexpr int kSize = 32;

// A 4-sample colour and depth target of kSize x kSize pixels.
class MultisampleTarget {
public:
    MultisampleTarget() {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(2, buffers_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_RGBA8, kSize, kSize);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers_[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_DEPTH_COMPONENT24, kSize, kSize);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, kSize, kSize);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    ~MultisampleTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(2, buffers_);
    }
    MultisampleTarget(const MultisampleTarget&) = delete;
    MultisampleTarget& operator=(const MultisampleTarget&) = delete;

    void resolveInto(const testing_support::OffscreenTarget& target) const {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer());
        glBlitFramebuffer(0, 0, kSize, kSize, 0, 0, kSize, kSize, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer());
    }

private:
    GLuint framebuffer_ = 0;
    GLuint buffers_[2] = {};
};

// A font atlas of 8 x 8 cells, opaque white everywhere but the cell of 'A',
// which is opaque red.
std::vector<std::uint8_t> whiteAtlasWithRedA() {
    constexpr int kWidth = 128, kHeight = 48;
    std::vector<std::uint8_t> pixels(kWidth * kHeight * 4, 255);
    const int column = 'A' % 16, row = ('A' - 32) / 16;
    for (int y = row * 8; y < row * 8 + 8; ++y) {
        for (int x = column * 8; x < column * 8 + 8; ++x) {
            std::uint8_t* p = &pixels[static_cast<std::size_t>((y * kWidth + x) * 4)];
            p[1] = p[2] = 0;
        }
    }
    return pixels;
}

// A glyph whose edges all cross pixels halfway: the partly covered pixels
// show the glyph's own red, never the neighbouring cells' white.
TEST(GlyphEdge, PartlyCoveredPixelsSampleOnlyTheGlyphsCell) {
    testing_support::requireGlContext();
    ArtTree tree;
    tree.writeBriefings("art", contentgen::frontendExport(0));
    tree.writeManifest("art", nlohmann::json::array({artEntry("hud-font", "font.rgba", 128, 48)}));
    tree.writeFile("art", "font.rgba", whiteAtlasWithRedA());
    Renderer renderer(tree.cockpit());
    const testing_support::OffscreenTarget resolved(kSize, kSize);

    const MultisampleTarget target;
    testing_support::beginPrimitives(renderer, vant::identity, false);
    // The glyph quad spans x 0..4 and y -3..1 at size 1: here pixels
    // 8.5..24.5 in both directions, two pixels to a texel.
    const float half = static_cast<float>(kSize) / 2.0f;
    const vant::Matrix placement{4 / half, 0, 0, 0, 0, 4 / half, 0, 0, 0, 0, 1, 0,
                                 8.5f / half - 1, 20.5f / half - 1, 0, 1};
    renderer.text("A", placement, 1.0f, {1, 1, 1});
    target.resolveInto(resolved);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int red = 0, bleed = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const std::array<int, 4> p = resolved.pixel(x, y);
            bleed += p[1] > 4 ? 1 : 0;
            red += p[0] > 100 ? 1 : 0;
        }
    }
    EXPECT_EQ(bleed, 0) << "pixels showing the neighbouring cells' white";
    EXPECT_GE(red, 16 * 16) << "the glyph itself is drawn";
}

}  // namespace
}  // namespace bastion

#include <array>
#include <cmath>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "contentgen/frontend_export.h"
#include "contentgen/hud_font.h"
#include "render/art_tree.h"
#include "render/draw_stage.h"
#include "support/gl/offscreen_target.h"

namespace bastion {
namespace {

using nlohmann::json;
using testing_support::OffscreenTarget;
using Pixel = std::array<int, 4>;
using vant::Matrix;

const Pixel kBlack{0, 0, 0, 255};
const Pixel kGlyphColour{51, 255, 153, 255};

Matrix scaling(float x, float y, float z) { return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }

// The unit square stretched over the whole view.
const Matrix kFullView{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1};

TEST(BoxAndLineTest, BoxShowsItsNearFaceShadedByTheTint) {
    const auto renderer = testing_support::makeRenderer();
    OffscreenTarget target(64, 64);
    target.bindAndClear(0, 0, 0);
    testing_support::beginPrimitives(*renderer, vant::identity, true);
    renderer->box(scaling(0.5f, 0.5f, 0.5f), {1.0f, 0.5f, 0.25f});
    // The -Z face is nearest in clip space; its light is 0.6.
    const Pixel centre = target.pixel(32, 32);
    EXPECT_EQ(centre[0], 153);
    EXPECT_NEAR(centre[1], 76.5, 1.0);
    EXPECT_NEAR(centre[2], 38.25, 1.0);
    EXPECT_EQ(target.pixel(16, 16)[0], 153);
    EXPECT_EQ(target.pixel(15, 32), kBlack);
    EXPECT_EQ(target.pixel(48, 32), kBlack);
}

TEST(BoxAndLineTest, LineIsABarBetweenItsEnds) {
    const auto renderer = testing_support::makeRenderer();
    OffscreenTarget target(64, 64);
    target.bindAndClear(0, 0, 0);
    testing_support::beginPrimitives(*renderer, vant::identity, true);
    // x 0..2, y -0.1..0.1 halved into the view: pixels x 32..63, y 30.4..33.6.
    renderer->line(scaling(0.5f, 0.5f, 0.5f), {0, 0, 0}, {2, 0, 0}, 0.1f, {1, 1, 1});
    EXPECT_EQ(target.pixel(40, 32)[0], 153);
    EXPECT_EQ(target.pixel(63, 30)[0], 153);
    EXPECT_EQ(target.pixel(32, 33)[0], 153);
    EXPECT_EQ(target.pixel(31, 32), kBlack);
    EXPECT_EQ(target.pixel(40, 29), kBlack);
    EXPECT_EQ(target.pixel(40, 34), kBlack);

    // Too short to draw, and a bar along the depth axis has no extent.
    target.bindAndClear(0, 0, 0);
    renderer->line(vant::identity, {0, 0, 0}, {0, 0, 0}, 0.5f, {1, 1, 1});
    renderer->line(vant::identity, {0, 0, 0}, {1e-6f, 0, 0}, 0.5f, {1, 1, 1});
    renderer->line(vant::identity, {0, 0, -1}, {0, 0, 1}, 0.5f, {1, 1, 1});
    for (const int x : {16, 32, 48}) EXPECT_EQ(target.pixel(x, 32), kBlack);
}

// Text on the demo font: every texel of a cell covers 8 x 8 pixels.
class TextTest : public ::testing::Test {
protected:
    static constexpr int kCell = 64;

    // `s` drawn with cells of 64 x 64 pixels, the first cell's top-left corner
    // at pixel (0, 192).
    void drawText(const std::string& s) {
        target.bindAndClear(0, 0, 0);
        testing_support::beginPrimitives(*renderer, vant::identity, false);
        const float size = 0.125f;  // a cell of 0.5 view units
        renderer->text(s, vant::translation(-1.0f, 0.5f - size, 0.0f), size, {0.2f, 1.0f, 0.6f});
    }

    // Whether cell `cell` shows exactly the glyph of `character`.
    void expectGlyph(int cell, unsigned char character) {
        const contentgen::Glyph glyph = contentgen::hudGlyph(character);
        for (int row = 0; row < contentgen::kFontCell; ++row) {
            for (int column = 0; column < contentgen::kFontCell; ++column) {
                const bool lit =
                    row >= 1 && column >= 1 && column <= 5 && (glyph.rows[row - 1] & (0x10 >> (column - 1))) != 0;
                const Pixel expected = lit ? kGlyphColour : kBlack;
                EXPECT_EQ(target.pixel(cell * kCell + column * 8 + 4, 192 - row * 8 - 4), expected)
                    << "cell " << cell << " texel row " << row << " column " << column;
            }
        }
    }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    OffscreenTarget target{256, 256};
};

TEST_F(TextTest, UpperCasesAndAdvancesOverBlanks) {
    drawText("ab c");
    expectGlyph(0, 'A');
    expectGlyph(1, 'B');
    expectGlyph(2, ' ');
    expectGlyph(3, 'C');
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(static_cast<GLuint>(program), renderer->basicProgram);
}

TEST_F(TextTest, TabsAndHighBytesLeaveEmptyCells) {
    drawText("~\t\xC8}");
    expectGlyph(0, '~');
    expectGlyph(1, ' ');
    expectGlyph(2, ' ');
    expectGlyph(3, '}');
}

// Art on a 4 x 2 swatch: the first row red, green, blue, white; the second
// row nearly transparent.
class ArtDrawTest : public ::testing::Test {
protected:
    ArtDrawTest() {
        tree.writeManifest("art", json::array({testing_support::artEntry("swatch", "swatch.rgba", 4, 2)}));
        tree.writeFile("art", "swatch.rgba", {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255,
                                              255, 255, 0, 20, 255, 255, 0, 20, 255, 255, 0, 20, 255, 255, 0, 20});
        tree.writeBriefings("art", contentgen::frontendExport(0));
        renderer = testing_support::makeRenderer(tree.retail());
        target.bindAndClear(0, 0, 0);
        testing_support::beginPrimitives(*renderer, vant::identity, false);
    }

    testing_support::ArtTree tree;
    std::unique_ptr<Renderer> renderer;
    OffscreenTarget target{64, 64};
};

TEST_F(ArtDrawTest, WholeImageWithFirstRowAtTheBottomAndFaintTexelsDiscarded) {
    renderer->art("swatch", kFullView, {0, 0, 1, 1}, {1, 1, 1});
    EXPECT_EQ(target.pixel(8, 8), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(target.pixel(24, 8), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(target.pixel(40, 8), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(target.pixel(56, 8), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(target.pixel(8, 40), kBlack);
    EXPECT_EQ(target.pixel(56, 56), kBlack);
}

TEST_F(ArtDrawTest, SubRectangleAndTint) {
    renderer->art("swatch", kFullView, {0.25f, 0, 0.25f, 0.5f}, {0.5f, 1, 1});
    for (const int x : {1, 32, 62}) EXPECT_EQ(target.pixel(x, 32), (Pixel{0, 255, 0, 255}));
    renderer->art("swatch", kFullView, {0, 0, 0.25f, 0.5f}, {0.5f, 1, 1});
    EXPECT_NEAR(target.pixel(32, 32)[0], 127.5, 1.0);
}

TEST_F(ArtDrawTest, MissingNameFails) {
    try {
        renderer->art("sb2-horizon-01", kFullView, {0, 0, 1, 1}, {1, 1, 1});
        FAIL() << "drawn";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Missing original asset: sb2-horizon-01");
    }
}

TEST_F(ArtDrawTest, SliceCullingKeepsOnlyTheSlicesDepths) {
    // A 90-degree perspective; the quad stands 5 units in front of the eye.
    const float n = 0.1f;
    const float f = 100.0f;
    renderer->frameMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
    const Matrix quad{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -1, -1, -5, 1};
    const auto drawnIn = [&](bool culling, float near, float far) {
        target.bindAndClear(0, 0, 0);
        renderer->sliceCulling = culling;
        renderer->sliceNear = near;
        renderer->sliceFar = far;
        renderer->art("swatch", quad, {0.5f, 0, 0.25f, 0.5f}, {1, 1, 1});
        return target.pixel(32, 32) == Pixel{0, 0, 255, 255};
    };
    EXPECT_TRUE(drawnIn(true, 1, 10));
    EXPECT_TRUE(drawnIn(true, 4.99f, 5.01f));
    EXPECT_FALSE(drawnIn(true, 5.01f, 10));
    EXPECT_FALSE(drawnIn(true, 1, 4.99f));
    EXPECT_TRUE(drawnIn(false, 6, 10));
}

}  // namespace
}  // namespace bastion

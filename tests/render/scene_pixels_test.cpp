#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "render/cockpit_frame.h"
#include "render/draw_stage.h"
#include "render/offscreen_target.h"
#include "shell/frontend.h"
#include "world/world.h"

namespace bastion {
namespace {

using Pixel = std::array<int, 4>;
constexpr int kWidth = 1280;
constexpr int kHeight = 800;

// Linear colour as the cockpit program writes it: clamped and gamma encoded.
Pixel encoded(float r, float g, float b) {
    const auto channel = [](float c) { return static_cast<int>(std::lround(std::pow(c, 1.0f / 2.2f) * 255.0f)); };
    return {channel(r), channel(g), channel(b), 255};
}

Pixel bytes(float r, float g, float b) {
    return {static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
            static_cast<int>(std::lround(b * 255)), 255};
}

bool near(const Pixel& a, const Pixel& b, int tolerance) {
    for (int c = 0; c < 4; ++c) {
        if (std::abs(a[static_cast<std::size_t>(c)] - b[static_cast<std::size_t>(c)]) > tolerance) return false;
    }
    return true;
}

// Draws whole views of the demo content as the desktop does: the camera at
// the pilot's eye along the torso, the shell's projection, 1280 x 800.
class ScenePixels : public ::testing::Test {
protected:
    void drawView(const Frontend* menu) {
        target.bindAndClear(1, 0, 1);
        const vant::Matrix camera = cockpitFrame(world.pilot);
        vant::Matrix projection{};
        projection[0] = 1.0f / (0.7602044f * kWidth / kHeight);
        projection[5] = 1.3154358f;
        projection[10] = -1.0000333f;
        projection[11] = -1.0f;
        projection[14] = -0.10000167f;
        renderer->draw(world, projection, camera, camera, false, menu);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // The pixel under a cockpit-space point seen from the eye.
    Pixel at(float x, float y, float z) const {
        const float ndcX = (x / -z) / (0.7602044f * kWidth / kHeight);
        const float ndcY = (y / -z) * 1.3154358f;
        return target.pixel(static_cast<int>((ndcX + 1) / 2 * kWidth), static_cast<int>((ndcY + 1) / 2 * kHeight));
    }

    // How many pixels of rows y0..y1 (from the bottom), columns x0..x1,
    // satisfy `test`.
    int count(int y0, int y1, const std::function<bool(const Pixel&)>& test, int x0 = 0, int x1 = kWidth - 1) const {
        int found = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) found += test(target.pixel(x, y)) ? 1 : 0;
        }
        return found;
    }
    int count(int y0, int y1, const Pixel& colour) const {
        return count(y0, y1, [&colour](const Pixel& p) { return near(p, colour, 6); });
    }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    testing_support::OffscreenTarget target{kWidth, kHeight};
    World world;
};

TEST_F(ScenePixels, TitlePanelAndItsSelectedRow) {
    Frontend menu;
    drawView(&menu);
    // The briefing plate fills the middle of the view; the sky shows around it.
    EXPECT_EQ(at(0.0f, 0.3f, -3.0f), (Pixel{16, 30, 34, 232}));
    EXPECT_EQ(target.pixel(4, 4), bytes(world.skyColour.x, world.skyColour.y, world.skyColour.z));

    // The first row's band, panel y 57 at 2.98 in front of the eye.
    // A glyph of size s spans s above its origin to 3 s below it.
    const auto band = [](float panelY, float cells) {
        const float origin = (137.0f - panelY) * 0.013f;
        const float size = 1.4f * 0.013f;
        const float top = (origin + size) / 2.98f * 1.3154358f;
        const float bottom = (origin - cells * size) / 2.98f * 1.3154358f;
        return std::array<int, 2>{static_cast<int>((bottom + 1) / 2 * kHeight), static_cast<int>((top + 1) / 2 * kHeight)};
    };
    const auto [firstLow, firstHigh] = band(57.0f, 3.0f);
    const auto [secondLow, secondHigh] = band(74.0f, 3.0f);
    // Glyph strokes are a pixel or two wide, so their edges blend with the
    // plate: tell the two text colours apart by their hue.
    const auto amber = [](const Pixel& p) { return p[0] > 120 && p[0] > p[1] + 20 && p[2] < p[1]; };
    const auto green = [](const Pixel& p) { return p[1] > 120 && p[1] > p[0] + 30; };
    // The rows and their chevron, inside the plate's frame.
    const auto rows = [&](int low, int high, const std::function<bool(const Pixel&)>& test) {
        return count(low, high, test, 300, 800);
    };
    EXPECT_GT(rows(firstLow, firstHigh, amber), 40);
    EXPECT_EQ(rows(firstLow, firstHigh, green), 0);
    EXPECT_GT(rows(secondLow, secondHigh, green), 40);

    menu.cursorRow = 1;
    drawView(&menu);
    EXPECT_EQ(rows(firstLow, firstHigh, amber), 0);
    EXPECT_GT(rows(firstLow, firstHigh, green), 40);
    EXPECT_GT(rows(secondLow, secondHigh, amber), 40);
}

TEST_F(ScenePixels, PlayingViewShowsSkyHorizonAndCockpit) {
    Frontend menu;
    menu.screen = Frontend::kPlaying;
    for (const Frontend* front : {static_cast<const Frontend*>(&menu), static_cast<const Frontend*>(nullptr)}) {
        drawView(front);
        EXPECT_EQ(at(0.3f, 0.4f, -1.0f), bytes(world.skyColour.x, world.skyColour.y, world.skyColour.z));
        // Far and near ridges of "horizon-01" stand around eye level.
        const int eyeRow = kHeight / 2;
        EXPECT_GT(count(eyeRow - 20, eyeRow + 40, Pixel{93, 108, 112, 255}), 200);
        EXPECT_GT(count(eyeRow - 20, eyeRow + 40, Pixel{47, 62, 50, 255}), 200);
        // The dashboard covers the bottom of the view.
        EXPECT_FALSE(near(at(0.9f, -0.75f, -1.1f), bytes(world.skyColour.x, world.skyColour.y, world.skyColour.z), 2));
    }
}

// The head-locked notice lines keep their own green, apart from the aim
// markers' (0.6, 1.0, 0.8).
TEST_F(ScenePixels, NoticeLinesShowTheirGreen) {
    const Pixel notice = bytes(0.7f, 1.0f, 0.8f);
    const Pixel markerGreen = bytes(0.6f, 1.0f, 0.8f);
    Frontend menu;
    menu.screen = Frontend::kPlaying;
    menu.voiceLine = "VOICE LINK UP";
    // The rows of a line hanging 2 units before the eye at height y.
    const auto rowsOf = [](float y) {
        return std::array<int, 2>{static_cast<int>((y / 2 * 1.3154358f + 1) / 2 * kHeight) - 12,
                                  static_cast<int>((y / 2 * 1.3154358f + 1) / 2 * kHeight) + 12};
    };
    struct Case {
        const char* name;
        bool spectating;
        float y;
    };
    // Spectating: the "SPECTATING" line and the notice line below the middle.
    // Connected with the ejection over: the notice line lower still.
    const Case cases[] = {{"spectating line", true, 0.55f}, {"spectating notice", true, -0.5f},
                          {"connected notice", false, -0.65f}};
    for (const Case& c : cases) {
        menu.spectating = c.spectating;
        menu.coopActive = !c.spectating;
        world.pilot.dead = !c.spectating;
        world.pilot.status = c.spectating ? kStatusActive : kStatusLost;
        drawView(&menu);
        const auto [low, high] = rowsOf(c.y);
        const auto seen = [&](const Pixel& colour) {
            return count(low, high, [&colour](const Pixel& p) { return near(p, colour, 3); }, 400, 900);
        };
        EXPECT_GT(seen(notice), 20) << c.name;
        EXPECT_EQ(seen(markerGreen), 0) << c.name;
    }
}

TEST_F(ScenePixels, LampsFollowHealth) {
    const Pixel off = encoded(0.006f, 0.008f, 0.005f);
    const Pixel red = encoded(1.0f, 0.015f, 0.003f);
    const Pixel amber = encoded(1.0f, 0.65f, 0.005f);
    const Pixel green = encoded(0.03f, 1.0f, 0.008f);
    struct Case {
        float health;
        std::array<Pixel, 5> lamps;
    };
    const Case cases[] = {
        {100, {green, green, green, green, green}}, {50, {green, green, amber, off, off}},
        {25, {green, red, off, off, off}},          {10, {amber, off, off, off, off}},
        {0, {off, off, off, off, off}},
    };
    for (const Case& c : cases) {
        world.pilot.health = c.health;
        drawView(nullptr);
        for (int lamp = 0; lamp < 5; ++lamp) {
            const Pixel seen = at(-0.26f + 0.13f * static_cast<float>(lamp), -0.24f, -1.085f);
            EXPECT_TRUE(near(seen, c.lamps[static_cast<std::size_t>(lamp)], 2))
                << "health " << c.health << " lamp " << lamp << ": " << seen[0] << "," << seen[1] << "," << seen[2];
        }
    }
}

TEST_F(ScenePixels, CockpitLeavesTheDefaultBindingAndNoLampColour) {
    drawView(nullptr);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(static_cast<GLuint>(program), renderer->basicProgram);
    std::array<float, 4> lamp{1, 1, 1, 1};
    glGetUniformfv(renderer->cockpitProgram, renderer->cockpitLampColorLocation, lamp.data());
    EXPECT_EQ(lamp, (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(renderer->sliceCulling);
    EXPECT_EQ(renderer->sliceNear, 0.75f);
    EXPECT_EQ(renderer->sliceFar, 64.0f);
}

// The cockpit alone, as the world layer draws it for an ejecting pilot too.
TEST_F(ScenePixels, CockpitCallRestoresTheDefaultBindingOnlyWhenItDraws) {
    target.bindAndClear(0, 0, 0);
    const auto bindings = [] {
        GLint program = -1;
        GLint vertexArray = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
        return std::array<GLuint, 2>{static_cast<GLuint>(program), static_cast<GLuint>(vertexArray)};
    };
    struct Case {
        bool dead;
        bool missile;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        world.pilot.dead = c.dead;
        world.pilot.ejection = c.dead ? 3.0f : 0.0f;
        world.pilot.health = c.dead ? 0.0f : 60.0f;
        world.pilot.missile.active = c.missile;
        testing_support::beginPrimitives(*renderer, vant::identity, true);
        glUseProgram(0);
        glBindVertexArray(0);
        renderer->drawCockpit(world, cockpitFrame(world.pilot), false);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::array<GLuint, 2> expected =
            c.missile ? std::array<GLuint, 2>{0, 0} : std::array<GLuint, 2>{renderer->basicProgram, renderer->cubeVertexArray};
        EXPECT_EQ(bindings(), expected) << "dead " << c.dead << " missile " << c.missile;
        std::array<float, 4> lamp{1, 1, 1, 1};
        glGetUniformfv(renderer->cockpitProgram, renderer->cockpitLampColorLocation, lamp.data());
        EXPECT_EQ(lamp, (std::array<float, 4>{0, 0, 0, 0}));
    }
}

TEST_F(ScenePixels, CruiseMissileHidesTheCockpit) {
    world.pilot.missile.active = true;
    drawView(nullptr);
    EXPECT_TRUE(near(at(-0.26f, -0.24f, -1.085f), bytes(world.skyColour.x, world.skyColour.y, world.skyColour.z), 2));
}

}  // namespace
}  // namespace bastion

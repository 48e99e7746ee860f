#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "render/internal/cockpit_frame.h"
#include "render/internal/cockpit_readings.h"
#include "render/internal/pose_matrix.h"
#include "support/desktop_view.h"
#include "support/gl/desktop_projection.h"
#include "render/draw_stage.h"
#include "support/gl/offscreen_target.h"
#include "shell/frontend/frontend.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::byteColour;
using testing_support::kViewHeight;
using testing_support::kViewWidth;
using testing_support::nearColour;
using testing_support::Rgb;
using testing_support::viewPixelOf;
using testing_support::ViewPixel;

// Draws whole views of the demo content as the desktop does: the camera at
// the pilot's eye along the torso, the shell's projection, 1280 x 800.
class ScenePixels : public ::testing::Test {
protected:
    // The camera sits at the pilot's eye, or where the ejection has carried a
    // dead pilot, as the desktop places it.
    void drawView(const Frontend* menu) {
        target.bindAndClear(1, 0, 1);
        const vant::Matrix camera =
            world.pilot.dead ? vant::multiply(vant::translation(world.pilotPosition().x, world.pilotPosition().y,
                                                                world.pilotPosition().z),
                                              rotationOf(world.pilotOrientation()))
                             : cockpitFrame(world.pilot);
        renderer->draw(world, testing_support::desktopProjection(), camera, camera, false, menu);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    Rgb rgb(ViewPixel at) const {
        const std::array<int, 4> rgba = target.pixel(at.x, at.y);
        return {rgba[0], rgba[1], rgba[2]};
    }
    // The colour under a cockpit-space point seen from the eye.
    Rgb at(float x, float y, float z) const { return rgb(viewPixelOf(x, y, z)); }

    // How many pixels of rows y0..y1 (from the bottom), columns x0..x1,
    // satisfy `test`.
    int count(int y0, int y1, const std::function<bool(const Rgb&)>& test, int x0 = 0,
              int x1 = kViewWidth - 1) const {
        int found = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) found += test(rgb({x, y})) ? 1 : 0;
        }
        return found;
    }
    int count(int y0, int y1, const Rgb& colour) const {
        return count(y0, y1, [&colour](const Rgb& p) { return nearColour(p, colour, 6); });
    }

    Rgb sky() const { return byteColour(world.skyColour.x, world.skyColour.y, world.skyColour.z); }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    testing_support::OffscreenTarget target{kViewWidth, kViewHeight};
    World world;
};

TEST_F(ScenePixels, TitlePanelAndItsSelectedRow) {
    Frontend menu;
    drawView(&menu);
    // The briefing plate fills the middle of the view; the sky shows around it.
    const ViewPixel plate = viewPixelOf(0.0f, 0.3f, -3.0f);
    EXPECT_EQ(rgb(plate), testing_support::kTitlePlate);
    EXPECT_EQ(target.pixel(plate.x, plate.y)[3], 232);
    EXPECT_EQ(rgb({4, 4}), sky());

    const auto [firstLow, firstHigh] = testing_support::panelRowBand(57.0f, 3.0f);
    const auto [secondLow, secondHigh] = testing_support::panelRowBand(74.0f, 3.0f);
    // The rows and their chevron, inside the plate's frame.
    const auto rows = [&](int low, int high, bool (*test)(const Rgb&)) { return count(low, high, test, 300, 800); };
    using testing_support::amberText;
    using testing_support::greenText;
    EXPECT_GT(rows(firstLow, firstHigh, amberText), 40);
    EXPECT_EQ(rows(firstLow, firstHigh, greenText), 0);
    EXPECT_GT(rows(secondLow, secondHigh, greenText), 40);

    menu.cursorRow = 1;
    drawView(&menu);
    EXPECT_EQ(rows(firstLow, firstHigh, amberText), 0);
    EXPECT_GT(rows(firstLow, firstHigh, greenText), 40);
    EXPECT_GT(rows(secondLow, secondHigh, amberText), 40);
}

TEST_F(ScenePixels, PlayingViewShowsSkyHorizonAndCockpit) {
    Frontend menu;
    menu.screen = Frontend::kPlaying;
    for (const Frontend* front : {static_cast<const Frontend*>(&menu), static_cast<const Frontend*>(nullptr)}) {
        drawView(front);
        EXPECT_EQ(at(0.3f, 0.4f, -1.0f), sky());
        // Far and near ridges of "horizon-01" stand around eye level.
        const int eyeRow = kViewHeight / 2;
        EXPECT_GT(count(eyeRow - 20, eyeRow + 40, testing_support::kFarRidge), 200);
        EXPECT_GT(count(eyeRow - 20, eyeRow + 40, testing_support::kNearRidge), 200);
        // The dashboard covers the bottom of the view.
        EXPECT_FALSE(nearColour(at(0.9f, -0.75f, -1.1f), sky(), 2));
    }
}

// The head-locked notice lines keep their own green, apart from the aim
// markers' (0.6, 1.0, 0.8).
TEST_F(ScenePixels, NoticeLinesShowTheirGreen) {
    const Rgb notice = byteColour(0.7f, 1.0f, 0.8f);
    const Rgb markerGreen = byteColour(0.6f, 1.0f, 0.8f);
    Frontend menu;
    menu.screen = Frontend::kPlaying;
    menu.voiceLine = "VOICE LINK UP";
    // The rows of a line hanging 2 units before the eye at height y.
    const auto rowsOf = [](float y) {
        const int row = viewPixelOf(0.0f, y, -2.0f).y;
        return std::array<int, 2>{row - 12, row + 12};
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
        world.pilot.ejection = c.spectating ? 0.0f : 7.0f;
        world.pilot.status = c.spectating ? kStatusActive : kStatusLost;
        drawView(&menu);
        const auto [low, high] = rowsOf(c.y);
        const auto seen = [&](const Rgb& colour) {
            return count(low, high, [&colour](const Rgb& p) { return nearColour(p, colour, 3); }, 400, 900);
        };
        EXPECT_GT(seen(notice), 20) << c.name;
        EXPECT_EQ(seen(markerGreen), 0) << c.name;
    }
}

TEST_F(ScenePixels, LampsFollowHealth) {
    for (const testing_support::LampCase& c : testing_support::lampCases()) {
        world.pilot.health = c.health;
        drawView(nullptr);
        for (int lamp = 0; lamp < 5; ++lamp) {
            const Rgb seen = rgb(testing_support::lampPixel(lamp));
            EXPECT_TRUE(nearColour(seen, c.lamps[static_cast<std::size_t>(lamp)], 2))
                << "health " << c.health << " lamp " << lamp << ": " << seen[0] << "," << seen[1] << "," << seen[2];
        }
    }
}

// Marks drawn across other instrument lines show their own colour whole:
// the radar's heading tick over the cross line, the torso gauge's middle
// tick over its scale bar and the bar itself on the dashboard.
TEST_F(ScenePixels, InstrumentMarksOverOtherLinesShowWhole) {
    world.pilot.angles[1] = 0.8f;  // the torso pointer off the middle tick
    drawView(nullptr);
    const Vec3 radar = renderer->radarAnchor;
    const Vec3 torso = renderer->torsoAnchor;
    // Each mark from `from` to `to` in its instrument's plane, sampled at
    // `points` points. The middle tick is thinner than a pixel: where it
    // crosses the bar a quarter of the pixel may show the bar beside it.
    const struct {
        const char* name;
        Vec3 anchor;
        std::array<float, 2> from, to;
        int points;
        Vec3 colour;
        int tolerance;
    } marks[] = {
        {"radar heading tick", radar, {0.0f, 0.008f}, {0.0f, 0.03f}, 7, cockpit::kAmber, 3},
        {"torso middle tick", torso, {0.0f, 0.0135f}, {0.0f, 0.0225f}, 3, cockpit::kGreen, 60},
        {"torso scale bar", torso, {0.01f, 0.018f}, {0.09f, 0.018f}, 7, cockpit::kDimGreen, 3},
    };
    for (const auto& mark : marks) {
        const Rgb expected = byteColour(mark.colour.x, mark.colour.y, mark.colour.z);
        for (int k = 0; k < mark.points; ++k) {
            const float t = static_cast<float>(k) / static_cast<float>(mark.points - 1);
            const float x = mark.anchor.x + mark.from[0] + t * (mark.to[0] - mark.from[0]);
            const float y = mark.anchor.y + mark.from[1] + t * (mark.to[1] - mark.from[1]);
            const Rgb seen = at(x, y, mark.anchor.z);
            EXPECT_TRUE(nearColour(seen, expected, mark.tolerance))
                << mark.name << " at " << t << ": " << seen[0] << "," << seen[1] << "," << seen[2];
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

// Without the cockpit the view under the first lamp reaches the range's
// ground plate.
TEST_F(ScenePixels, CruiseMissileHidesTheCockpit) {
    world.pilot.missile.active = true;
    drawView(nullptr);
    const Vec3 ground = world.groundColour;
    EXPECT_TRUE(nearColour(rgb(testing_support::lampPixel(0)), byteColour(ground.x, ground.y, ground.z), 2));
}

}  // namespace
}  // namespace bastion

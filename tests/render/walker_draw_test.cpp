#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "render/internal/cockpit_frame.h"
#include "render/draw_stage.h"
#include "support/gl/desktop_projection.h"
#include "support/gl/offscreen_target.h"
#include "support/desktop_view.h"
#include "support/refusal.h"
#include "world/arm.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::desktopProjection;
using testing_support::kViewHeight;
using testing_support::kViewWidth;
using testing_support::refusal;
using testing_support::viewPixelOf;
using testing_support::ViewPixel;

// Views from the pilot's eye as the desktop draws them, 1280 x 800.
class WalkerDraw : public ::testing::Test {
protected:
    // Draws the playing view and returns every pixel, bottom row first.
    std::vector<std::array<int, 3>> drawView() {
        target.bindAndClear(1, 0, 1);
        const vant::Matrix camera = cockpitFrame(world.pilot);
        renderer->draw(world, desktopProjection(), camera, camera, false, nullptr);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        std::vector<std::array<int, 3>> pixels;
        for (int y = 0; y < kViewHeight; ++y)
            for (int x = 0; x < kViewWidth; ++x) {
                const std::array<int, 4> p = target.pixel(x, y);
                pixels.push_back({p[0], p[1], p[2]});
            }
        return pixels;
    }

    // The pixel under a world point seen from the pilot's eye.
    ViewPixel pixelOf(Vec3 p) const {
        const vant::Matrix toCockpit = vant::rigidInverse(cockpitFrame(world.pilot));
        const float x = toCockpit[0] * p.x + toCockpit[4] * p.y + toCockpit[8] * p.z + toCockpit[12];
        const float y = toCockpit[1] * p.x + toCockpit[5] * p.y + toCockpit[9] * p.z + toCockpit[13];
        const float z = toCockpit[2] * p.x + toCockpit[6] * p.y + toCockpit[10] * p.z + toCockpit[14];
        return viewPixelOf(x, y, z);
    }

    // Both hands held where the desktop holds them at rest.
    void trackArms() {
        HandPose pose;
        pose.position = {0.0f, -0.13f, -0.75f};
        pose.valid = true;
        const Vec3 eye = world.pilot.position + Vec3{0.0f, 12.0f, 0.0f};
        for (int hand = 0; hand < 2; ++hand)
            world.pilot.arms[hand] = solveArm(pose, hand, eye, 0.0f, renderer->armRig, hand == 1 ? 1 : 0);
    }

    std::unique_ptr<Renderer> renderer = testing_support::makeRenderer();
    testing_support::OffscreenTarget target{kViewWidth, kViewHeight};
    World world;
};

TEST_F(WalkerDraw, TrackedArmsAndHeldModelsShowInThePlayingView) {
    world.pilot.weapons[1] = 1;  // the rifle in the right hand
    const auto empty = drawView();
    trackArms();
    const auto armed = drawView();
    int changed = 0;
    for (std::size_t i = 0; i < empty.size(); ++i) changed += empty[i] != armed[i] ? 1 : 0;
    EXPECT_GT(changed, 2000);
    // The middle of the held rifle's body, just ahead of the wrist.
    const Arm& right = world.pilot.arms[1];
    const ViewPixel gun = pixelOf(right.wrist + rotate(right.aim, {0.0f, 0.02f, -0.85f}));
    ASSERT_GE(gun.x, 0);
    ASSERT_LT(gun.x, kViewWidth);
    const std::size_t at = static_cast<std::size_t>(gun.y * kViewWidth + gun.x);
    EXPECT_NE(armed[at], empty[at]);
}

// How many pixels of an offscreen view differ from its clear colour.
int drawnPixels(const testing_support::OffscreenTarget& target) {
    int drawn = 0;
    for (int y = 0; y < 200; y += 2)
        for (int x = 0; x < 200; x += 2) drawn += target.pixel(x, y) != std::array<int, 4>{255, 0, 255, 255} ? 1 : 0;
    return drawn;
}

TEST_F(WalkerDraw, WalkerPreviewAndPosedWalkers) {
    testing_support::OffscreenTarget view(200, 200);
    // The preview fills about its size in front of a camera 3 units away.
    const vant::Matrix camera = vant::translation(0.0f, 0.0f, 3.0f);
    const auto begin = [&] {
        view.bindAndClear(1, 0, 1);
        glClear(GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        testing_support::beginPrimitives(*renderer, vant::multiply(desktopProjection(), vant::rigidInverse(camera)), true);
    };
    begin();
    renderer->modelPreview("stormbastion", vant::identity, 1.5f, 0.4f);
    const int preview = drawnPixels(view);
    EXPECT_GT(preview, 100);

    // The posed walker, 20 units ahead, standing and then dead and leaning.
    Pilot pilot;
    pilot.position = {0.0f, -6.0f, -17.0f};
    pilot.walk_speed = 1.0f;
    pilot.gait = 4.5f;
    begin();
    renderer->drawStormer(pilot, 0.0f);
    const int standing = drawnPixels(view);
    EXPECT_GT(standing, 300);
    pilot.dead = true;
    begin();
    renderer->drawStormer(pilot, 0.4f);
    EXPECT_GT(drawnPixels(view), 300);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WalkerDraw, WalkerMeshAndRigMustAgree) {
    renderer->rigs.at("stormbastion").meshVertices += 3;
    EXPECT_EQ(refusal([&] { renderer->drawStormer(Pilot{}, 0.0f); }), "Player animation/model mismatch");
    renderer->rigs.clear();
    renderer->models.erase("stormbastion");
    EXPECT_EQ(refusal([&] { renderer->drawStormer(Pilot{}, 0.0f); }), "Missing decoded model: stormbastion");
}

}  // namespace
}  // namespace bastion

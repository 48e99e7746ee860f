#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/step_driver.h"
#include "support/vec_expect.h"
#include "world/world.h"

namespace bastion {
namespace {

using namespace testing_support;

constexpr float kPi = 3.14159265358979f;
const Loadout kRifles{kRifle, kRifle, kShield, kShield, kEmptyHand, kEmptyHand};

World killed() {
    World world = armedRange(kRifles);
    world.pilot.status = kStatusActive;
    world.hurt(1000.0f);
    world.sounds.clear();
    return world;
}

TEST(Ejection, BlastsAtOneOneAndAHalfAndThreeSecondsThenFinishesAtSeven) {
    for (float dt : {1.0f / 16.0f, 0.1f, 5.0f}) {
        SCOPED_TRACE(dt);
        World world = killed();
        ASSERT_EQ(world.pilot.status, kStatusKilled);
        std::vector<float> blasts;
        float finished = -1.0f;
        for (int frame = 0; frame < 200 && finished < 0.0f; ++frame) {
            world.step(released(), dt, true);
            for (const SoundEvent& sound : world.sounds) {
                EXPECT_EQ(sound.kind, SoundEvent::kExplosion);
                blasts.push_back(world.pilot.ejection);
            }
            world.sounds.clear();
            if (world.pilot.status == kStatusLost) finished = world.pilot.ejection;
        }
        ASSERT_EQ(blasts.size(), 3u);
        const float slack = std::min(dt, 1.0f);
        EXPECT_NEAR(blasts[0], 1.0f, slack);
        EXPECT_NEAR(blasts[1], 1.5f, slack);
        EXPECT_NEAR(blasts[2], 3.0f, slack);
        EXPECT_GE(blasts[0], 1.0f);
        EXPECT_GE(blasts[2], 3.0f);
        EXPECT_EQ(finished, 7.0f);
    }
}

TEST(Ejection, ExactFrameTimesSoundOnTheirMarks) {
    World world = killed();
    std::vector<int> frames;
    for (int frame = 1; frame <= 112; ++frame) {
        world.step(released(), 1.0f / 16.0f, true);
        if (!world.sounds.empty()) frames.push_back(frame);
        world.sounds.clear();
        EXPECT_EQ(world.pilot.status, frame < 112 ? kStatusKilled : kStatusLost) << frame;
    }
    EXPECT_EQ(frames, (std::vector<int>{16, 24, 48}));
    world.stepEjection(1.0f);
    EXPECT_EQ(world.pilot.ejection, 7.0f);
    EXPECT_TRUE(world.sounds.empty());
}

TEST(Ejection, OnlyAKilledPilotEjects) {
    World world = armedRange(kRifles);
    world.pilot.status = kStatusActive;
    world.stepEjection(8.0f);
    EXPECT_EQ(world.pilot.status, kStatusActive);
    EXPECT_EQ(world.pilot.ejection, 0.0f);
    EXPECT_TRUE(world.sounds.empty());
}

TEST(Ejection, ViewFollowsTheSeatUpAndBack) {
    World world = killed();
    world.pilot.angles[0] = kPi / 4;
    world.pilot.angles[1] = kPi / 4;  // torso heading pi/2: backward is +x
    const Vec3 eye{0, 12, 35};
    struct Case {
        float ejection;
        Vec3 offset;  // in the torso frame
        float pitch, roll;
    };
    const Case cases[] = {
        {0.0f, {0, 0, 0}, 0, 0},
        {1.0f, {0.035f * std::sin(91.0f), 0, 0}, 0, 0.12f * std::sin(8.0f)},
        {3.0f, {0, 45, 18}, -0.52f, 0.12f * std::sin(24.0f) * std::exp(-1.0f)},
        {5.0f, {0, 77, 42}, -1.04f, 0.12f * std::sin(40.0f) * std::exp(-3.0f)},
        {7.0f, {0, 77, 42}, -1.04f, 0.12f * std::sin(56.0f) * std::exp(-5.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ejection);
        world.pilot.ejection = c.ejection;
        // Torso frame at heading pi/2: local x is world -z, local z is world +x.
        expectNear(world.pilotPosition(), eye + Vec3{c.offset.z, c.offset.y, -c.offset.x}, 1e-3f);
        const Quaternion view = world.pilotOrientation();
        const Quaternion expected = angles(kPi / 2, c.pitch, c.roll);
        EXPECT_NEAR(std::fabs(view.x * expected.x + view.y * expected.y + view.z * expected.z + view.w * expected.w),
                    1.0f, 1e-5f);
    }
}

TEST(Ejection, LivingPilotSeesFromTheEye) {
    World world = armedRange(kRifles);
    world.pilot.angles[0] = 0.5f;
    world.pilot.angles[1] = 0.25f;
    world.pilot.ejection = 4.0f;  // stale value of a revived pilot
    expectNear(world.pilotPosition(), {0, 12, 35}, 0);
    EXPECT_EQ(world.pilotOrientation(), angles(0.75f, 0, 0));
}

}  // namespace
}  // namespace bastion

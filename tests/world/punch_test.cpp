#include <gtest/gtest.h>

#include "support/step_driver.h"
#include "support/vec_expect.h"
#include "world/world.h"

namespace bastion {
namespace {

using namespace testing_support;

constexpr float kFrame = 0.05f;
const Loadout kRifles{kRifle, kRifle, kShield, kShield, kEmptyHand, kEmptyHand};

Input punching(int hand) {
    Input input;
    input.punch[hand] = true;
    return input;
}

// A tracked left hand at `x` along a jab line.
Input handAt(float x) {
    Input input;
    input.valid[0] = true;
    input.hands[0] = {x, 0, -0.5f};
    return input;
}

TEST(Punches, ButtonPunchNeedsATrackedArmAndThePausePassed) {
    World world = armedRange(kRifles);
    hold(world, punching(1), kFrame);
    EXPECT_EQ(world.pilot.punches[1], 1);
    EXPECT_FLOAT_EQ(world.pilot.flash[1], 0.45f);
    EXPECT_FLOAT_EQ(world.pilot.punchCooldown[1], 0.3f);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kStrike);
    const Arm& arm = world.pilot.arms[1];
    expectNear(world.sounds[0].position, arm.wrist + arm.forward * 1.7f, 1e-5f);

    hold(world, punching(1), kFrame, 10);
    EXPECT_EQ(world.pilot.punches[1], 1) << "a held button punches once";
    world.pilot.punchCooldown[1] = 0.15f;
    hold(world, released(), kFrame);
    hold(world, punching(1), kFrame);
    EXPECT_EQ(world.pilot.punches[1], 1) << "0.3 s between button punches";

    Input untracked = punching(0);
    untracked.poses[0].valid = false;
    hold(world, untracked, kFrame);
    EXPECT_EQ(world.pilot.punches[0], 0);
    EXPECT_TRUE(world.pilot.punchLatch[0]);
}

TEST(Punches, ButtonPunchStrikesWhatIsInReach) {
    World world = armedRange(kRifles);
    hold(world, released(), kFrame);
    const Arm& arm = world.pilot.arms[0];
    Target unit;
    unit.unitType = 4;
    unit.position = arm.wrist + arm.forward * 1.7f;
    unit.extent = {0.5f, 0.5f, 0.5f};
    world.targets = {unit};
    hold(world, punching(0), kFrame);
    EXPECT_FLOAT_EQ(world.targets[0].health, 85.0f);
}

TEST(Punches, JabGestureLandsOncePerDetectorCooldownIgnoringThePause) {
    World world = armedRange(kRifles);
    world.pilot.punchCooldown[0] = 0.25f;
    hold(world, handAt(0.0f), kFrame, 2);  // first sample, then still
    hold(world, handAt(0.1f), kFrame);     // 2 units per second
    EXPECT_EQ(world.pilot.punches[0], 1) << "a gesture ignores the button pause";
    EXPECT_FLOAT_EQ(world.pilot.punchCooldown[0], 0.3f);

    // Still again 0.25 s later and jab: the detector's 0.45 s are not over.
    hold(world, handAt(0.1f), kFrame, 4);
    hold(world, handAt(0.2f), kFrame);
    EXPECT_EQ(world.pilot.punches[0], 1);
    hold(world, handAt(0.2f), kFrame, 4);
    hold(world, handAt(0.3f), kFrame);
    EXPECT_EQ(world.pilot.punches[0], 2);
}

TEST(Punches, UntrackedHandForgetsItsLastSample) {
    World world = armedRange(kRifles);
    hold(world, handAt(0.0f), kFrame, 2);
    Input lost = handAt(0.1f);
    lost.valid[0] = false;
    hold(world, lost, kFrame);
    EXPECT_FALSE(world.pilot.gestures[0].valid);
    hold(world, handAt(0.2f), kFrame);
    EXPECT_EQ(world.pilot.punches[0], 0) << "the first sample after losing the hand only stores it";
}

}  // namespace
}  // namespace bastion

#include <gtest/gtest.h>

#include "support/step_driver.h"
#include "support/vec_expect.h"
#include "world/world.h"

namespace bastion {
namespace {

using namespace testing_support;

constexpr float kFrame = 1.0f / 16.0f;
const Loadout kCruiseLoadout{kEmptyHand, kEmptyHand, kCruiseMissile, kGatling, kGatling, kAutoGrenade};
// Launch point from mount 2 of a pilot at the range start facing -z.
constexpr Vec3 kLaunch{-2.5f, 11.5f, 33.0f};

World launched(int campaign = 0) {
    World world = armedRange(kCruiseLoadout, campaign);
    world.targets.clear();
    hold(world, released(), kFrame);
    return world;
}

TEST(CruiseMissile, LaunchStopsTheOtherMountsAndTheWalker) {
    World world = launched();
    world.pilot.ammo[2] = 2;
    Input input = firing({2, 3, 4, 5});
    input.axes[3] = 0.2f;
    input.axes[4] = -0.1f;
    EXPECT_EQ(hold(world, input, kFrame), 0u) << "mounts after the launching one hold fire";
    const Missile& missile = world.pilot.missile;
    ASSERT_TRUE(missile.active);
    EXPECT_EQ(missile.headYaw, 0.2f);
    EXPECT_EQ(missile.headPitch, -0.1f);
    EXPECT_EQ(missile.launchYaw, 0.0f);
    // Guided on in the launch frame.
    expectNear(missile.position, kLaunch + Vec3{0, 0, -2}, 1e-4f);
    EXPECT_FLOAT_EQ(missile.life, 8.0f - kFrame);
    EXPECT_EQ(world.pilot.ammo[2], 1);
    EXPECT_EQ(world.pilot.shots[2], 1u);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].weapon, static_cast<int>(kCruiseMissile));
    expectNear(world.sounds[0].position, kLaunch, 1e-4f);

    hold(world, released(), kFrame);
    input.axes[0] = input.axes[1] = 1.0f;
    EXPECT_EQ(hold(world, input, kFrame, 4), 0u);
    EXPECT_EQ(world.pilot.ammo[2], 1) << "no second missile while one flies";
    expectNear(world.pilot.position, {0, 0, 35}, 0);
    EXPECT_EQ(world.pilot.angles[0], 0.0f);
    EXPECT_NE(world.pilot.angles[2], 0.0f) << "aiming goes on";
}

TEST(CruiseMissile, SteersByTurningTheAimAwayFromItsLaunchDirection) {
    World world = launched();
    Input input = firing({2});
    input.axes[3] = 0.3f;
    hold(world, input, kFrame);
    input.axes[3] = 0.8f;    // 0.5 left of launch
    input.axes[4] = 2.0f;    // climb, at most 1.3
    hold(world, input, kFrame);
    EXPECT_NEAR(world.pilot.missile.yaw, 1.8f * kFrame, 1e-6f);
    EXPECT_NEAR(world.pilot.missile.pitch, 1.8f * kFrame, 1e-6f);
    hold(world, input, kFrame, 20);
    EXPECT_NEAR(world.pilot.missile.yaw, 0.5f, 1e-6f);
    EXPECT_NEAR(world.pilot.missile.pitch, 1.3f, 1e-6f);
    input.axes[3] = 3.0f;  // beyond a quarter turn
    hold(world, input, kFrame, 20);
    EXPECT_NEAR(world.pilot.missile.yaw, 0.78539816f, 1e-6f);
}

TEST(CruiseMissile, DetonatesInTheAirAfterEightSeconds) {
    World world = launched();
    hold(world, firing({2}), kFrame);
    hold(world, released(), kFrame, 126);
    ASSERT_TRUE(world.pilot.missile.active);
    world.sounds.clear();
    world.effects.clear();
    hold(world, released(), kFrame);
    EXPECT_FALSE(world.pilot.missile.active);
    expectNear(world.pilot.missile.position, kLaunch + Vec3{0, 0, -256}, 1e-2f);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kExplosion);
    EXPECT_EQ(world.sounds[0].weapon, static_cast<int>(kCruiseMissile));
    ASSERT_EQ(world.effects.size(), 8u) << "fireball, smoke and six fragments";
    EXPECT_EQ(world.effects[0].kind, WeaponEffect::kExplosion);
    EXPECT_EQ(world.effects[0].size, 30.0f);
    EXPECT_EQ(world.effects[0].damageRadius, 20.0f);
    EXPECT_EQ(world.effects[0].damageRate, 125.0f);
    EXPECT_FALSE(world.pilot.arms[0].tracked) << "the tracking is reset";
}

TEST(CruiseMissile, DetonatesOnTheGroundWhenDiving) {
    World world = launched(1);
    Input input = firing({2});
    hold(world, input, kFrame);
    input.axes[4] = -2.0f;
    for (int i = 0; i < 60 && world.pilot.missile.active; ++i) hold(world, input, kFrame);
    ASSERT_FALSE(world.pilot.missile.active);
    EXPECT_NEAR(world.pilot.missile.position.y, 0.0f, 1e-3f);
    ASSERT_FALSE(world.effects.empty());
    EXPECT_EQ(world.effects[0].damageRate, 125.1f) << "SB2 blast";
}

// A direct hit on a target 12 ahead of the launch point.
TEST(CruiseMissile, DirectHitDamageByCampaignAndTarget) {
    struct Case {
        int campaign, mission, unitType, objectType, tag;
        bool hasDestination;
        float health;
    };
    const Case cases[] = {
        {0, -1, 4, -1, 255, false, -900},   {0, -1, 3, -1, 255, false, -30},
        {0, -1, -1, 5, 255, false, -900},   {0, 2, -1, 5, 32, false, 100},
        {0, 3, -1, 5, 32, false, -900},     {0, -1, 4, -1, 255, true, 100},
        {1, -1, 3, -1, 255, false, 100},    {1, -1, 8, -1, 255, false, 100},
        {1, -1, 18, -1, 255, false, 100},   {1, -1, 4, -1, 255, false, -900},
        {1, 16, -1, 48, 255, false, 100},   {1, 16, 4, 48, 255, false, -900},
        {1, 15, -1, 48, 255, false, -900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.campaign << " " << c.mission << " " << c.unitType);
        World world = launched(c.campaign);
        world.missionIndex = c.mission;
        Target target;
        target.position = kLaunch + Vec3{0, 0, -12};
        target.extent = {2, 2, 2};
        target.unitType = c.unitType;
        target.objectType = c.objectType;
        target.tag = c.tag;
        target.hasDestination = c.hasDestination;
        world.targets = {target};
        hold(world, firing({2}), kFrame, 3);
        ASSERT_TRUE(world.pilot.missile.active);
        hold(world, firing({2}), kFrame, 3);
        ASSERT_FALSE(world.pilot.missile.active);
        EXPECT_FLOAT_EQ(world.targets[0].health, c.health);
        EXPECT_EQ(world.kills, c.health <= 0 ? 1 : 0);
        expectNear(world.pilot.missile.position, target.position + Vec3{0, 0, 2}, 1e-3f);  // stops at the box
    }
}

TEST(CruiseMissile, HitsACoopPilotBeforeATargetBehindIt) {
    World world = launched();
    world.coop = true;
    Pilot other;
    other.slot = 1;
    other.status = kStatusActive;
    other.position = {-2.5f, 0, 25};
    Target behind;
    behind.position = {-2.5f, 11.5f, 15};
    behind.extent = {2, 2, 2};
    world.targets = {behind};
    world.session = {&world.pilot, &other};
    hold(world, firing({2}), kFrame, 6);
    EXPECT_FALSE(world.pilot.missile.active);
    EXPECT_EQ(other.health, 0.0f);
    EXPECT_EQ(other.status, kStatusKilled);
    EXPECT_EQ(world.targets[0].health, 100.0f);
    EXPECT_EQ(world.pilot.status, kStatusIdle) << "the leading pilot is untouched";
    EXPECT_NEAR(world.pilot.missile.position.z, 27.0f, 1e-3f);
}

}  // namespace
}  // namespace bastion

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "world/world.h"

namespace bastion {
namespace {

World activeWorld() {
    World world;
    world.pilot.status = kStatusActive;
    return world;
}

TEST(Hurt, ShouldersShieldsHalveTheDamageEach) {
    struct Case {
        Weapon left, right;
        float removed;
    };
    for (const Case& c : {Case{2, 2, 40}, Case{kShield, 2, 20}, Case{2, kShield, 20}, Case{kShield, kShield, 10}}) {
        World world = activeWorld();
        world.pilot.weapons[2] = c.left;
        world.pilot.weapons[3] = c.right;
        world.hurt(40.0f);
        EXPECT_EQ(world.pilot.health, 100.0f - c.removed) << c.left << "/" << c.right;
        ASSERT_EQ(world.sounds.size(), 1u);
        EXPECT_EQ(world.sounds[0].kind, SoundEvent::kHurt);
        EXPECT_EQ(world.sounds[0].position, (Vec3{0, 12, 35}));
    }
}

TEST(Hurt, OnlyAnActivePilotIsHurt) {
    for (int status : {kStatusIdle, kStatusWon, kStatusKilled, kStatusLost}) {
        World world;
        world.pilot.status = status;
        world.hurt(30.0f);
        EXPECT_EQ(world.pilot.health, 100.0f) << status;
        EXPECT_TRUE(world.sounds.empty());
    }
}

TEST(Hurt, ReachingExactlyZeroKills) {
    for (float amount : {30.0f, 500.0f}) {
        World world = activeWorld();
        world.pilot.health = 30.0f;
        world.pilot.missile.active = true;
        world.pilot.walk_speed = 8.0f;
        world.pilot.arms[1].tracked = true;
        world.hurt(amount);
        EXPECT_EQ(world.pilot.health, 0.0f) << amount;
        EXPECT_TRUE(world.pilot.dead);
        EXPECT_EQ(world.pilot.status, kStatusKilled);
        EXPECT_EQ(world.pilot.ejection, 0.0f);
        EXPECT_FALSE(world.pilot.missile.active);
        EXPECT_EQ(world.pilot.walk_speed, 0.0f);
        EXPECT_FALSE(world.pilot.arms[1].tracked);
        ASSERT_EQ(world.sounds.size(), 2u);
        EXPECT_EQ(world.sounds[0].kind, SoundEvent::kHurt);
        EXPECT_EQ(world.sounds[1].kind, SoundEvent::kLost);
        EXPECT_EQ(world.sounds[1].position, (Vec3{0, 12, 35}));
    }
}

TEST(Hurt, JustAboveZeroSurvives) {
    World world = activeWorld();
    world.pilot.health = 30.0f;
    world.hurt(29.5f);
    EXPECT_EQ(world.pilot.health, 0.5f);
    EXPECT_FALSE(world.pilot.dead);
    EXPECT_EQ(world.pilot.status, kStatusActive);
}

TEST(Hurt, IgnoresNonFiniteAndNegativeAmounts) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float amount : {nan, inf, -inf, -5.0f}) {
        World world = activeWorld();
        world.hurt(amount);
        EXPECT_EQ(world.pilot.health, 100.0f) << amount;
        EXPECT_TRUE(world.sounds.empty());
        world.hurt(100.0f);
        EXPECT_TRUE(world.pilot.dead) << "the pilot can still die after " << amount;
    }
}

TEST(DamagePilot, AnotherPilotIsHurtAndTheLeadingPilotStaysAsItWas) {
    World world = activeWorld();
    world.pilot.health = 64.0f;
    world.pilot.weapons[2] = kShield;
    world.pilot.slot = 0;
    Pilot other;
    other.status = kStatusActive;
    other.slot = 2;
    other.position = {10, 0, -10};
    world.damagePilot(other, 20.0f);

    EXPECT_EQ(other.health, 80.0f);
    EXPECT_EQ(other.slot, 2);
    EXPECT_EQ(world.pilot.health, 64.0f);
    EXPECT_EQ(world.pilot.slot, 0);
    EXPECT_EQ(world.pilot.weapons[2], kShield);
    EXPECT_EQ(world.pilot.position, (Vec3{0, 0, 35}));
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].position, (Vec3{10, 12, -10}));

    world.damagePilot(other, 100.0f);
    EXPECT_TRUE(other.dead);
    EXPECT_FALSE(world.pilot.dead);
    EXPECT_EQ(world.pilot.status, kStatusActive);
}

TEST(DamagePilot, TheLeadingPilotItselfIsHurtDirectly) {
    World world = activeWorld();
    world.damagePilot(world.pilot, 25.0f);
    EXPECT_EQ(world.pilot.health, 75.0f);
}

}  // namespace
}  // namespace bastion

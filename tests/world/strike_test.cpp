#include <gtest/gtest.h>

#include "world/world.h"

namespace bastion {
namespace {

Target box(Vec3 position, int unitType) {
    Target target;
    target.position = position;
    target.extent = {1, 1, 1};
    target.unitType = unitType;
    return target;
}

Projectile rocket(Vec3 position, Weapon weapon) {
    Projectile p;
    p.kind = kRocket;
    p.position = position;
    p.weapon = weapon;
    p.life = 5;
    return p;
}

// A punch point with a static object 1.5 to its left and a unit 1.5 to its
// right (both boxes within the 2.5 reach), and one box out of reach.
class Strike : public testing::Test {
protected:
    void SetUp() override {
        world.targets = {box({-2.5f, 0, 0}, kStaticObject), box({2.5f, 0, 0}, 4), box({0, 0, 4}, 4)};
    }
    World world;
};

TEST_F(Strike, PunchDamagesEveryTargetInReachAndSounds) {
    world.strike({0, 0, 0}, {0, 0, -1}, kEmptyHand, 7, true);
    EXPECT_FLOAT_EQ(world.targets[0].health, 93) << "static object loses the plain damage";
    EXPECT_FLOAT_EQ(world.targets[1].health, 85) << "unit loses 15/7 of it";
    EXPECT_FLOAT_EQ(world.targets[2].health, 100) << "3 away from its box";
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kStrike);
    EXPECT_EQ(world.sounds[0].position, (Vec3{}));
    EXPECT_TRUE(world.effects.empty());
    EXPECT_EQ(world.kills, 0);

    world.targets[1].health = 10;
    world.sounds.clear();
    world.strike({0, 0, 0}, {0, 0, -1}, kEmptyHand, 7, false);
    EXPECT_LE(world.targets[1].health, 0);
    EXPECT_EQ(world.kills, 1);
    EXPECT_TRUE(world.sounds.empty());
}

TEST_F(Strike, CutterTicksSparkAndSoundOnlyWhenAsked) {
    world.strike({0, 0, 0}, {0, 1, 0}, kCutter, 1.8f, false);
    EXPECT_FLOAT_EQ(world.targets[1].health, 95) << "a cutter tick does 5 to a unit";
    EXPECT_FLOAT_EQ(world.targets[0].health, 98.2f);
    EXPECT_TRUE(world.effects.empty());
    EXPECT_TRUE(world.sounds.empty());

    world.strike({0, 0, 0}, {0, 1, 0}, kCutter, 1.8f, true);
    ASSERT_EQ(world.effects.size(), 2u) << "one spark per struck target";
    EXPECT_EQ(world.effects[0].kind, WeaponEffect::kCutterSpark);
    EXPECT_EQ(world.effects[0].position, (Vec3{-1.5f, 0, 0})) << "at the nearest point of the box";
    EXPECT_EQ(world.effects[1].position, (Vec3{1.5f, 0, 0}));
    EXPECT_EQ(world.effects[0].direction, (Vec3{0, 1, 0}));
    EXPECT_EQ(world.effects[0].weapon, kCutter);
    EXPECT_FLOAT_EQ(world.effects[0].size, 0.4f);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kCutter);
    EXPECT_EQ(world.sounds[0].weapon, static_cast<int>(kCutter));
}

TEST_F(Strike, SparedTargets) {
    world.targets[1].hasDestination = true;
    world.targets[0].hidden = true;  // hidden targets are struck too
    world.strike({0, 0, 0}, {0, 0, -1}, kEmptyHand, 7, true);
    EXPECT_FLOAT_EQ(world.targets[1].health, 100);
    EXPECT_FLOAT_EQ(world.targets[0].health, 93);

    // The object tagged 32 in the third SB1 mission shrugs off melee.
    World mission;
    mission.missionIndex = 2;
    mission.targets = {box({-2.5f, 0, 0}, kStaticObject), box({2.5f, 0, 0}, 4)};
    mission.targets[0].tag = 32;
    mission.strike({0, 0, 0}, {0, 0, -1}, kCutter, 1.8f, true);
    EXPECT_FLOAT_EQ(mission.targets[0].health, 100);
    EXPECT_FLOAT_EQ(mission.targets[1].health, 95);
    EXPECT_EQ(mission.effects.size(), 2u) << "it still sparks";
    mission.campaign = 1;
    mission.strike({0, 0, 0}, {0, 0, -1}, kEmptyHand, 7, false);
    EXPECT_FLOAT_EQ(mission.targets[0].health, 93) << "not in SB2";
}

TEST_F(Strike, KnocksOutRocketsInReach) {
    world.projectiles = {rocket({0, 3, 0}, kRocketLauncher), rocket({0, 0, 3.4f}, kHomingMissiles),
                         rocket({3.6f, 0, 0}, kRocketLauncher), rocket({0, 1, 0}, kRocketLauncher)};
    world.projectiles[3].hull = 20;
    Projectile shot;
    shot.position = {0, 0.5f, 0};
    shot.life = 1;
    world.projectiles.push_back(shot);
    world.strike({0, 0, 0}, {0, 0, -1}, kEmptyHand, 7, true);
    for (int i : {0, 1}) {
        EXPECT_TRUE(world.projectiles[i].intercepted) << i;
        EXPECT_EQ(world.projectiles[i].life, 0) << i;
    }
    EXPECT_FALSE(world.projectiles[2].intercepted) << "beyond 3.5";
    EXPECT_FLOAT_EQ(world.projectiles[2].hull, -1);
    EXPECT_FALSE(world.projectiles[3].intercepted);
    EXPECT_FLOAT_EQ(world.projectiles[3].hull, 5);
    EXPECT_FLOAT_EQ(world.projectiles[4].life, 1) << "shots are not struck";
}

TEST_F(Strike, HitsOtherCoopPilotsButNotTheStriker) {
    world.coop = true;
    world.pilot.status = kStatusActive;
    world.pilot.slot = 0;
    Pilot self = world.pilot;  // the striker's own session entry
    Pilot near, far, dead;
    for (Pilot* p : {&near, &far, &dead}) p->status = kStatusActive;
    near.slot = 1;
    near.position = {0, -6, 5};
    far.slot = 2;
    far.position = {0, -6, 5.6f};
    dead.slot = 3;
    dead.dead = true;
    dead.position = {0, -6, 0};
    self.position = {0, -6, 0};
    world.session = {&self, &near, &far, &dead};
    const Pilot before = world.pilot;
    world.strike({0, 0, 0}, {0, 0, -1}, kEmptyHand, 7, true);
    EXPECT_FLOAT_EQ(near.health, 93);
    EXPECT_FLOAT_EQ(far.health, 100);
    EXPECT_FLOAT_EQ(dead.health, 100);
    EXPECT_FLOAT_EQ(self.health, 100);
    EXPECT_EQ(world.pilot.health, before.health);
    EXPECT_EQ(world.pilot.position, before.position);
    EXPECT_EQ(world.pilot.slot, 0);
}

TEST(Hurt, ShieldsHalveAndZeroHealthKills) {
    const struct {
        Weapon shoulders[2];
        float health, amount, after;
        int status;
        const char* what;
    } cases[] = {
        {{kRocketLauncher, kRocketLauncher}, 100, 30, 70, kStatusActive, "plain"},
        {{kShield, kRocketLauncher}, 100, 40, 80, kStatusActive, "one shield"},
        {{kShield, kShield}, 100, 40, 90, kStatusActive, "two shields"},
        {{kRocketLauncher, kRocketLauncher}, 30, 30, 0, kStatusKilled, "exactly zero"},
        {{kRocketLauncher, kRocketLauncher}, 30, 100000, 0, kStatusKilled, "never below zero"},
    };
    for (const auto& c : cases) {
        World world;
        world.pilot.status = kStatusActive;
        world.pilot.weapons[2] = c.shoulders[0];
        world.pilot.weapons[3] = c.shoulders[1];
        world.pilot.health = c.health;
        world.pilot.missile.active = true;
        world.hurt(c.amount);
        EXPECT_FLOAT_EQ(world.pilot.health, c.after) << c.what;
        EXPECT_EQ(world.pilot.status, c.status) << c.what;
        const bool killed = c.status == kStatusKilled;
        EXPECT_EQ(world.pilot.dead, killed) << c.what;
        EXPECT_EQ(world.pilot.missile.active, !killed) << c.what;
        ASSERT_EQ(world.sounds.size(), killed ? 2u : 1u) << c.what;
        EXPECT_EQ(world.sounds[0].kind, SoundEvent::kHurt);
        EXPECT_EQ(world.sounds[0].position, (Vec3{0, 12, 35}));
        if (killed) {
            EXPECT_EQ(world.sounds[1].kind, SoundEvent::kLost);
        }
    }
    World idle;
    idle.hurt(50);
    EXPECT_FLOAT_EQ(idle.pilot.health, 100) << "only an active pilot is hurt";
    EXPECT_TRUE(idle.sounds.empty());
}

TEST(Effects, BudgetDropsTheFirstSpentEffectOrGrows) {
    World world;
    WeaponEffect burning;
    burning.damageRate = 10;
    world.effects.assign(256, burning);
    world.effect(WeaponEffect::kSmoke, {1, 2, 3}, {}, 0, 2);
    EXPECT_EQ(world.effects.size(), 257u) << "nothing harmless to drop";
    world.effects[3].age = 1.0f;
    world.effect(WeaponEffect::kSmoke, {1, 2, 3}, {}, 0, 2);
    EXPECT_EQ(world.effects.size(), 257u);
    EXPECT_FLOAT_EQ(world.effects[3].age, 0) << "the spent one is gone";
    EXPECT_EQ(world.effects.back().kind, WeaponEffect::kSmoke);
    EXPECT_EQ(world.effects.back().damageRate, 0);
}

}  // namespace
}  // namespace bastion

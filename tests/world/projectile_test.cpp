#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "coop_fixture.h"
#include "support/terrain_builder.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kStep = 0.0625f;  // exact in binary, so sums of damage are exact

// The box of row 0, column 0 of the test range: centre (0, 3, -20), half size (5, 3, 5).
constexpr std::size_t kMiddleBox = 3;

Projectile playerRocket(Vec3 position, Vec3 velocity) {
    Projectile p;
    p.position = position;
    p.velocity = velocity;
    p.life = 4;
    p.damage = 20.1f;
    p.mount = 2;
    p.kind = kRocket;
    p.radius = 5;
    p.weapon = kRocketLauncher;
    p.shooter = 0;
    return p;
}

Projectile shot(Vec3 position, Vec3 velocity, float damage) {
    Projectile p;
    p.position = position;
    p.velocity = velocity;
    p.life = 4;
    p.damage = damage;
    p.mount = 0;
    p.kind = kShot;
    p.weapon = kGatling;
    p.shooter = 0;
    return p;
}

Projectile enemyBomb(Vec3 position, float radius) {
    Projectile p;
    p.position = position;
    p.velocity = {0, -20, 0};
    p.life = 4;
    p.damage = 12;
    p.kind = kGrenade;
    p.radius = radius;
    p.weapon = 5;
    p.owner = 30;
    p.victim = -1;
    return p;
}

void run(World& world, float seconds) {
    for (float t = 0; t < seconds; t += kStep) world.stepProjectiles(kStep);
}

TEST(StepProjectiles, UnusableTimeStepChangesNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float dt : {0.0f, -0.05f, nan, std::numeric_limits<float>::infinity()}) {
        World world;
        world.projectiles = {playerRocket({0, 3, 0}, {0, 0, -100}), shot({0, 40, 0}, {100, 0, 0}, 2)};
        WeaponEffect blast = makeEffect(WeaponEffect::kExplosion, {0, 3, -20}, {}, 0, 10);
        blast.damageRadius = 5;
        blast.damageRate = 40;
        world.effects = {blast};
        world.stepProjectiles(dt);
        ASSERT_EQ(world.projectiles.size(), 2u) << dt;
        EXPECT_EQ(world.projectiles[0].position, (Vec3{0, 3, 0}));
        EXPECT_EQ(world.projectiles[0].hull, -1.0f);
        EXPECT_EQ(world.projectiles[1].life, 4.0f);
        ASSERT_EQ(world.effects.size(), 1u);
        EXPECT_EQ(world.effects[0].age, 0.0f);
        EXPECT_EQ(world.targets[kMiddleBox].health, 100.0f);
        EXPECT_TRUE(world.sounds.empty());
    }
}

TEST(StepProjectiles, PlayerRocketDoesDirectHitPlusBlastDamage) {
    struct Case {
        const char* name;
        int unitType;
        float health;  // after the direct hit and the blast's first second
        float blastRate;
    };
    for (const Case& c : {Case{"static object", -1, 100 - 30 - 25, 25}, Case{"unit", 1, 100 - 20.1f - 35, 35},
                          Case{"unit type 8", 8, 100 - 20.1f, 0}}) {
        SCOPED_TRACE(c.name);
        World world;
        world.targets[kMiddleBox].unitType = c.unitType;
        world.projectiles = {playerRocket({0, 3, 0}, {0, 0, -100})};
        run(world, 3 * kStep);  // reaches the face at z = -15 in its third step
        ASSERT_TRUE(world.projectiles.empty());
        EXPECT_FLOAT_EQ(world.targets[kMiddleBox].health, 100 - (c.unitType < 0 ? 30 : 20.1f));
        ASSERT_EQ(world.effects.size(), 8u);
        EXPECT_EQ(world.effects[0].position, (Vec3{0, 3, -15}));
        EXPECT_EQ(world.effects[0].size, 10.0f);
        EXPECT_EQ(world.effects[0].damageRadius, 5.0f);
        EXPECT_EQ(world.effects[0].damageRate, c.blastRate);
        ASSERT_EQ(world.sounds.size(), 1u);
        EXPECT_EQ(world.sounds[0].kind, SoundEvent::kExplosion);
        EXPECT_EQ(world.sounds[0].weapon, static_cast<int>(kRocketLauncher));

        run(world, 2.0f);
        EXPECT_FLOAT_EQ(world.targets[kMiddleBox].health, c.health);
        EXPECT_EQ(world.targets[kMiddleBox - 1].health, 100.0f);  // 22 away
        EXPECT_EQ(world.kills, 0);
        EXPECT_FALSE(world.targets[kMiddleBox].destroyed);
    }
}

TEST(StepProjectiles, TargetsDestroyedOnTheTestRangeExplodeAtOnce) {
    World world;
    world.targets[kMiddleBox].health = 20;
    world.projectiles = {playerRocket({0, 3, 0}, {0, 0, -100})};
    run(world, 3 * kStep);
    EXPECT_EQ(world.kills, 1);
    EXPECT_TRUE(world.targets[kMiddleBox].destroyed);
    ASSERT_EQ(world.sounds.size(), 2u);  // the rocket's blast, then the target's
    EXPECT_EQ(world.sounds[1].weapon, 0);

    World mission;
    mission.pilot.status = kStatusActive;
    mission.targets[kMiddleBox].health = 20;
    mission.projectiles = {playerRocket({0, 3, 0}, {0, 0, -100})};
    run(mission, 3 * kStep);
    EXPECT_EQ(mission.kills, 1);
    EXPECT_FALSE(mission.targets[kMiddleBox].destroyed) << "left to the mission step";
}

TEST(StepProjectiles, RocketThatHitsNothingMakesASmallHarmlessBlast) {
    World world;
    world.projectiles = {playerRocket({0, 50, 0}, {0, 0, -100})};
    world.projectiles[0].life = 0.1f;
    run(world, 2 * kStep);
    ASSERT_TRUE(world.projectiles.empty());
    ASSERT_FALSE(world.effects.empty());
    EXPECT_EQ(world.effects[0].size, 4.0f);
    EXPECT_EQ(world.effects[0].damageRate, 0.0f);
}

TEST(StepProjectiles, OnlyTheEarlierOfTwoCrossingShotsIsSpent) {
    World world;
    Projectile rocket = playerRocket({0, 50, 0}, {100, 0, 0});
    rocket.mount = -1;
    rocket.shooter = -1;
    rocket.owner = 30;
    rocket.radius = 0;
    // In a step of 0.1 the first shot meets the rocket at about 0.43, the second at 0.73.
    world.projectiles = {shot({8, 50, 8}, {0, 0, -100}, 2.5f), rocket, shot({5, 50, 5}, {0, 0, -100}, 2.5f)};
    world.stepProjectiles(0.1f);

    ASSERT_EQ(world.projectiles.size(), 1u);
    EXPECT_EQ(world.projectiles[0].position, (Vec3{8, 50, -2})) << "the later shot flies on";
    EXPECT_FLOAT_EQ(world.projectiles[0].life, 3.9f);
    // The spent shot sparks where it met the rocket; the rocket ends in a small explosion.
    ASSERT_EQ(world.effects.size(), 9u);
    EXPECT_EQ(world.effects[0].kind, WeaponEffect::kExplosion);
    EXPECT_EQ(world.effects[0].size, 3.0f);
    EXPECT_EQ(world.effects[8].kind, WeaponEffect::kSpark);
    EXPECT_EQ(world.effects[8].size, 0.7f);
    EXPECT_NEAR(world.effects[8].position.z, 5 - 10 * 0.4293f, 1e-3f);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kExplosion);
}

TEST(StepProjectiles, AWeakShotIsSpentWithoutStoppingTheRocket) {
    World world;
    Projectile rocket = playerRocket({0, 50, 0}, {100, 0, 0});
    rocket.shooter = 1;
    world.projectiles = {shot({5, 50, 5}, {0, 0, -100}, 2.0f), rocket, shot({8, 50, 8}, {0, 0, -100}, 2.0f)};
    world.stepProjectiles(0.1f);
    // Hull 2 worn to 0 by the first shot, then below zero by the second.
    EXPECT_TRUE(world.projectiles.empty());
}

TEST(StepProjectiles, AShotDoesNotDownItsOwnRocketAtPointBlank) {
    World world;
    world.projectiles = {shot({0, 50, 0.5f}, {0, 0, -100}, 20), playerRocket({0, 50, 0}, {0, 0, -100})};
    world.stepProjectiles(kStep);
    ASSERT_EQ(world.projectiles.size(), 2u);
    EXPECT_FALSE(world.projectiles[1].intercepted);
    EXPECT_EQ(world.projectiles[1].hull, 2.0f);

    world.projectiles[0].shooter = 1;  // another player's shot
    world.stepProjectiles(kStep);
    EXPECT_TRUE(world.projectiles.empty());
}

TEST(StepProjectiles, HomingTurnsAtMostItsRateAndDropsLostTargets) {
    World world;
    Projectile homing = playerRocket({0, 20, 0}, {0, 0, -50});
    homing.weapon = kHomingMissiles;
    homing.homingTarget = static_cast<int>(kMiddleBox + 3);  // at (66, 9, -20): far off the nose
    world.projectiles = {homing};
    world.stepProjectiles(0.1f);
    const Vec3 v = world.projectiles[0].velocity;
    EXPECT_NEAR(length(v), 50.0f, 1e-3f);
    // Blends 1.5 * dt / angle of the way towards the target: a turn of at most 0.15 rad.
    const float angle = std::acos(20.0f / std::sqrt(66.0f * 66 + 11 * 11 + 20 * 20));
    const float f = 0.15f / angle;
    const float turned = std::atan2(f * std::sin(angle), 1 - f + f * std::cos(angle));
    EXPECT_NEAR(std::acos(-v.z / 50.0f), turned, 1e-4f);
    EXPECT_LT(turned, 0.15f);
    EXPECT_GT(v.x, 0.0f);

    world.targets[kMiddleBox + 3].hidden = true;
    world.stepProjectiles(0.1f);
    EXPECT_EQ(world.projectiles[0].homingTarget, -1);
    world.projectiles[0].homingTarget = 99;
    world.stepProjectiles(0.1f);
    EXPECT_EQ(world.projectiles[0].homingTarget, -1);
}

TEST(StepProjectiles, GrenadeInAPitBurstsSixAboveItsFloor) {
    World world;
    world.proceduralTerrain = true;
    testing_support::buildHeightField(world, 8, 16.0f, [](float x, float z) {
        return std::fabs(x) < 20 && std::fabs(z) < 20 ? -20.0f : 0.0f;
    });
    Projectile grenade = playerRocket({0, -10, 0}, {0, -10, 0});
    grenade.kind = kGrenade;
    grenade.weapon = kGrenadeRack;
    grenade.damage = 50;
    grenade.radius = 15;
    world.projectiles = {grenade};
    run(world, 1.0f);
    ASSERT_TRUE(world.projectiles.empty());
    ASSERT_FALSE(world.effects.empty());
    EXPECT_FLOAT_EQ(world.effects[0].position.y, -14.0f);
    EXPECT_EQ(world.effects[0].size, 20.0f);
    EXPECT_EQ(world.effects[0].damageRadius, 15.0f);
    EXPECT_EQ(world.effects[0].damageRate, 125.0f);
}

TEST(StepProjectiles, EnemyBombHurtsByHitOrByBlastNeverBoth) {
    for (float radius : {0.0f, 10.0f}) {
        World world;
        world.pilot.status = kStatusActive;
        world.projectiles = {enemyBomb({0, 12.5f, 35}, radius)};  // falls onto the pilot's head
        world.stepProjectiles(0.05f);
        ASSERT_TRUE(world.projectiles.empty()) << radius;
        EXPECT_EQ(world.pilot.health, 88.0f) << radius;
        ASSERT_EQ(world.effects.size(), 8u);
        EXPECT_EQ(world.effects[0].size, 20.0f);
        EXPECT_EQ(world.effects[0].damageRate, 0.0f);
    }
}

TEST(StepProjectiles, PlayerShotsNeverHitTheirOwnPilot) {
    World world;
    world.pilot.status = kStatusActive;
    world.projectiles = {shot({0, 6, 45}, {0, 0, -100}, 10)};
    world.stepProjectiles(0.2f);
    EXPECT_EQ(world.pilot.health, 100.0f);
    ASSERT_EQ(world.projectiles.size(), 1u);
}

TEST(StepProjectiles, CoopFireHitsEveryPilotButTheShootersOwn) {
    World world;
    Pilot mate = testing_support::activePilot(1, {20, 0, 60});
    testing_support::joinCoop(world, {0, 0, 60}, mate);
    Projectile enemy = shot({20, 6, 70}, {0, 0, -100}, 10);
    enemy.mount = -1;
    enemy.shooter = -1;
    world.projectiles = {shot({0, 6, 70}, {0, 0, -100}, 10), shot({20, 6, 71}, {0, 0, -100}, 10), enemy};
    world.stepProjectiles(0.1f);
    EXPECT_EQ(world.pilot.health, 100.0f) << "its own shot passes through the shooter";
    EXPECT_EQ(mate.health, 80.0f) << "a team-mate's shot and the enemy's";
    EXPECT_EQ(world.projectiles.size(), 1u);
}

TEST(StepProjectiles, SB1MissionTwoObjectiveTakesOnlyADirectGrenade) {
    struct Case {
        const char* name;
        Projectile p;
        float health;
    };
    Projectile grenade = playerRocket({0, 3, 0}, {0, 0, -100});
    grenade.kind = kGrenade;
    grenade.weapon = kGrenadeRack;
    grenade.damage = 50;
    Projectile enemy = shot({0, 3, 0}, {0, 0, -100}, 10);
    enemy.mount = -1;
    enemy.shooter = -1;
    for (const Case& c : {Case{"rocket", playerRocket({0, 3, 0}, {0, 0, -100}), 100},
                          Case{"grenade", grenade, 50}, Case{"enemy shot", enemy, 100}}) {
        World world;
        world.pilot.status = kStatusActive;
        world.missionIndex = 2;
        world.targets[kMiddleBox].tag = 32;
        world.projectiles = {c.p};
        run(world, 2.0f);
        EXPECT_EQ(world.targets[kMiddleBox].health, c.health) << c.name;
    }
}

TEST(StepProjectiles, ShotSparksOnlyWhereItTouchesSomething) {
    World world;
    Projectile rail = shot({0, 3, 0}, {0, 0, -220}, 20);
    rail.weapon = kRail;
    world.projectiles = {rail, shot({0, 40, 0}, {0, 0, -100}, 2)};
    world.projectiles[1].life = 0.05f;
    world.stepProjectiles(0.1f);
    EXPECT_TRUE(world.projectiles.empty());
    ASSERT_EQ(world.effects.size(), 1u);
    EXPECT_EQ(world.effects[0].kind, WeaponEffect::kSpark);
    EXPECT_EQ(world.effects[0].size, 2.0f);
    EXPECT_EQ(world.effects[0].position, (Vec3{0, 3, -15}));
    EXPECT_EQ(world.targets[kMiddleBox].health, 80.0f);
    EXPECT_TRUE(world.sounds.empty());
}

}  // namespace
}  // namespace bastion

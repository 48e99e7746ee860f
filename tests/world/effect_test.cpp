#include <gtest/gtest.h>

#include <cmath>

#include "coop_fixture.h"
#include "world/world.h"

namespace bastion {
namespace {

WeaponEffect numbered(int n, float damageRate, float age) {
    WeaponEffect e = makeEffect(WeaponEffect::kExplosion, {static_cast<float>(n), 0, 0}, {}, 0, 1.0f);
    e.damageRate = damageRate;
    e.age = age;
    return e;
}

TEST(EffectCap, AFullListDropsOnlyItsFirstSpentEntry) {
    struct Case {
        const char* name;
        int spentAt;  // index of the only spent entry, -1 none, -2 all
        float spentRate, spentAge;
    };
    for (const Case& c : {Case{"harmless entry", 100, 0.0f, 0.5f}, Case{"entry past its first second", 7, 30.0f, 1.0f},
                          Case{"all harmless", -2, 0.0f, 0.0f}, Case{"none spent", -1, 0.0f, 0.0f}}) {
        SCOPED_TRACE(c.name);
        World world;
        for (int i = 0; i < 256; ++i) {
            const bool spent = c.spentAt == -2 || i == c.spentAt;
            world.effects.push_back(spent ? numbered(i, c.spentRate, c.spentAge) : numbered(i, 10.0f, 0.5f));
        }
        world.effect(WeaponEffect::kSpark, {-1, -1, -1}, {0, 0, 1}, kRail, 2.0f);

        const int removed = c.spentAt == -2 ? 0 : c.spentAt;
        ASSERT_EQ(world.effects.size(), removed < 0 ? 257u : 256u);
        int expected = 0;
        for (std::size_t i = 0; i + 1 < world.effects.size(); ++i, ++expected) {
            if (expected == removed) ++expected;
            ASSERT_EQ(world.effects[i].position.x, static_cast<float>(expected)) << "order kept at " << i;
        }
        const WeaponEffect& added = world.effects.back();
        EXPECT_EQ(added.kind, WeaponEffect::kSpark);
        EXPECT_EQ(added.position, (Vec3{-1, -1, -1}));
        EXPECT_EQ(added.direction, (Vec3{0, 0, 1}));
        EXPECT_EQ(added.weapon, kRail);
        EXPECT_EQ(added.size, 2.0f);
        EXPECT_EQ(added.age, 0.0f);
        EXPECT_EQ(added.model, 0);
        EXPECT_EQ(added.damageRadius, 0.0f);
        EXPECT_EQ(added.damageRate, 0.0f);
    }
}

TEST(EffectCap, BelowTheCapNothingIsDropped) {
    World world;
    for (int i = 0; i < 255; ++i) world.effects.push_back(numbered(i, 0.0f, 2.0f));
    world.effect(WeaponEffect::kSmoke, {}, {}, 0, 1.0f);
    EXPECT_EQ(world.effects.size(), 256u);
    EXPECT_EQ(world.effects.front().position.x, 0.0f);
}

TEST(Destruction, FireballSmokeAndSixFragments) {
    World world;
    world.destruction({1, 2, 3}, 10.0f, kGrenadeRack, 15.0f, 125.0f);
    ASSERT_EQ(world.effects.size(), 8u);
    const WeaponEffect& fireball = world.effects[0];
    EXPECT_EQ(fireball.kind, WeaponEffect::kExplosion);
    EXPECT_EQ(fireball.position, (Vec3{1, 2, 3}));
    EXPECT_EQ(fireball.size, 10.0f);
    EXPECT_EQ(fireball.weapon, kGrenadeRack);
    EXPECT_EQ(fireball.damageRadius, 15.0f);
    EXPECT_EQ(fireball.damageRate, 125.0f);
    const WeaponEffect& smoke = world.effects[1];
    EXPECT_EQ(smoke.kind, WeaponEffect::kSmoke);
    EXPECT_EQ(smoke.position, (Vec3{1, 3.5f, 3}));
    EXPECT_EQ(smoke.size, 8.0f);
    EXPECT_EQ(smoke.age, -0.35f);
    EXPECT_EQ(smoke.damageRate, 0.0f);
    for (int i = 0; i < 6; ++i) {
        const WeaponEffect& fragment = world.effects[static_cast<std::size_t>(2 + i)];
        const float angle = static_cast<float>(i) * 1.04719755f;
        const float spread = 6.0f + 0.5f * static_cast<float>(i);
        EXPECT_EQ(fragment.kind, WeaponEffect::kDebris);
        EXPECT_EQ(fragment.size, 0.65f);
        EXPECT_EQ(fragment.model, 0);
        EXPECT_EQ(fragment.damageRate, 0.0f);
        EXPECT_NEAR(fragment.direction.x, std::cos(angle) * spread, 1e-5f) << i;
        EXPECT_EQ(fragment.direction.y, 12.0f + 0.5f * static_cast<float>(i));
        EXPECT_NEAR(fragment.direction.z, std::sin(angle) * spread, 1e-5f) << i;
    }
    EXPECT_TRUE(world.sounds.empty());
}

TEST(Explode, FullDamageInsideTheRadiusToLiveTargetsOnly) {
    World world;
    // Row 0: boxes at x = -66, -44, ..., 66, z = -20, half size 5.
    world.targets[3].hasDestination = true;
    world.targets[4].health = 5.0f;
    world.targets[2].active = false;
    world.explode({11, 2, -20}, 6.5f, 40.0f, true);  // 1 from box 4, 6 from box 3 and 5
    EXPECT_EQ(world.targets[3].health, 100.0f);
    EXPECT_EQ(world.targets[4].health, -35.0f);
    EXPECT_EQ(world.targets[5].health, 100.0f);  // 17 away
    EXPECT_EQ(world.kills, 1);
    world.explode({-22, 30, -20}, 21.5f, 10.0f, false);  // box 2 is 21 below, but inactive
    EXPECT_EQ(world.targets[2].health, 100.0f);
    world.explode({-22, 30, -20}, 21.0f, 10.0f, false);  // exactly at the radius: out of reach
    EXPECT_EQ(world.targets[2].health, 100.0f);
}

TEST(Explode, SB1MissionTwoObjectiveIsOutOfReach) {
    World world;
    world.missionIndex = 2;
    world.targets[3].tag = 32;
    world.explode({0, 3, -20}, 5.0f, 50.0f, false);
    EXPECT_EQ(world.targets[3].health, 100.0f);
    world.campaign = 1;
    world.explode({0, 3, -20}, 5.0f, 50.0f, false);
    EXPECT_EQ(world.targets[3].health, 50.0f);
}

TEST(Explode, HurtsOtherCoopPilotsOnlyWhenAsked) {
    World world;
    Pilot near = testing_support::activePilot(1, {0, 0, 56});  // reference point 6 up: 7.8 from the centre
    Pilot far = testing_support::activePilot(2, {0, 0, 60});
    testing_support::joinCoop(world, {0, 0, 50}, near);
    world.session.push_back(&far);
    world.explode({0, 1, 50}, 5.0f, 10.0f, false);
    EXPECT_EQ(near.health, 100.0f);
    world.explode({0, 1, 50}, 5.0f, 10.0f, true);
    EXPECT_EQ(near.health, 90.0f);
    EXPECT_EQ(far.health, 100.0f);
    EXPECT_EQ(world.pilot.health, 100.0f);  // the leading pilot is not one of the others
}

TEST(TargetDestroyed, GenericDestructionAndExplosionSoundBySize) {
    struct Case {
        Vec3 extent;
        int unitType;
        float size;
        std::size_t effects;
        u32 sound;
    };
    // 2|extent| = 15 and 16 straddle the large-explosion threshold; a static
    // object above 10 adds three delayed blasts.
    for (const Case& c : {Case{{0.5f, 0.5f, 0.5f}, -1, 4.0f, 8, SoundEvent::kExplosion},
                          Case{{0, 7.5f, 0}, -1, 15.0f, 11, SoundEvent::kExplosion},
                          Case{{0, 8, 0}, -1, 16.0f, 11, SoundEvent::kLargeExplosion},
                          Case{{0, 8, 0}, 4, 16.0f, 8, SoundEvent::kLargeExplosion},
                          Case{{40, 0, 0}, -1, 30.0f, 11, SoundEvent::kLargeExplosion}}) {
        World world;
        Target& target = world.targets[0];
        target.extent = c.extent;
        target.unitType = c.unitType;
        target.health = 0.0f;
        world.targetDestroyed(target);
        EXPECT_TRUE(target.destroyed);
        ASSERT_EQ(world.effects.size(), c.effects) << c.size;
        EXPECT_EQ(world.effects[0].size, c.size);
        EXPECT_EQ(world.effects[0].position, target.position);
        ASSERT_EQ(world.sounds.size(), 1u);
        EXPECT_EQ(world.sounds[0].kind, c.sound);
        EXPECT_EQ(world.sounds[0].weapon, 0);
        if (c.effects == 11) {
            const Vec3 half{c.extent.x / 2, c.extent.y / 2, 0};
            EXPECT_EQ(world.effects[8].position, target.position - half);
            EXPECT_EQ(world.effects[8].age, -0.12f);
            EXPECT_EQ(world.effects[9].position, target.position);
            EXPECT_EQ(world.effects[9].age, -0.24f);
            EXPECT_EQ(world.effects[10].position, target.position + half);
            EXPECT_EQ(world.effects[10].age, -0.36f);
            EXPECT_EQ(world.effects[10].size, 0.65f * c.size);
        }
        world.targetDestroyed(target);
        EXPECT_EQ(world.effects.size(), c.effects) << "a second call does nothing";
        EXPECT_EQ(world.sounds.size(), 1u);
    }
}

TEST(TargetDestroyed, FragmentsComeFromTheShellOfTheGrid) {
    World world;
    Target& target = world.targets[0];
    target.extent = {1, 1, 1};  // small: no chain of blasts
    target.home = {10, 1, -5};
    target.homeYaw = 1.5707964f;
    target.span = {3, 3, 3};
    target.step = 1.0f;
    target.fragments = {7, 9};
    auto mesh = std::make_shared<Mesh>(3);
    (*mesh)[1].position.y = -0.5f;
    target.mesh = mesh;
    world.targetDestroyed(target);

    ASSERT_EQ(world.effects.size(), 2u + 26u);  // 27 cells less the one inside
    EXPECT_EQ(world.effects[0].kind, WeaponEffect::kExplosion);
    EXPECT_EQ(world.effects[1].kind, WeaponEffect::kSmoke);
    EXPECT_EQ(world.effects[1].age, -0.3f);
    // Fragment 0 is cell (x 0, y 0, z 0): local (-1, 0.5, -1), turned a quarter.
    const WeaponEffect& first = world.effects[2];
    EXPECT_EQ(first.kind, WeaponEffect::kDebris);
    EXPECT_EQ(first.model, 7);
    EXPECT_EQ(first.size, 1.0f);
    EXPECT_NEAR(first.position.x, 10 - 1, 1e-5f);
    EXPECT_NEAR(first.position.y, 1 - 0.5f + 0.5f, 1e-5f);
    EXPECT_NEAR(first.position.z, -5 + 1, 1e-5f);
    EXPECT_NEAR(first.direction.x, -5.0f / 1.5f, 1e-5f);
    EXPECT_EQ(first.direction.y, 10.0f);
    EXPECT_NEAR(first.direction.z, 5.0f / 1.5f, 1e-5f);
    EXPECT_EQ(world.effects[3].model, 9);
    EXPECT_EQ(world.effects[3].direction.y, 11.0f);
    // Cell (1, 1, 1) is skipped: fragment 13 is (1, 1, 2).
    EXPECT_NEAR(world.effects[2 + 13].position.y, 1 - 0.5f + 1.5f, 1e-5f);
}

TEST(TargetDestroyed, AtMost160FragmentsAndCorruptGridsStayFinite) {
    World world;
    Target& big = world.targets[0];
    big.unitType = 5;
    big.span = {10, 10, 10};
    big.step = 1.0f;
    big.fragments = {1};
    world.targetDestroyed(big);
    EXPECT_EQ(world.effects.size(), 2u + 160u);

    Target& corrupt = world.targets[1];
    corrupt.unitType = 5;
    corrupt.step = 0.0f;
    corrupt.fragments = {1};
    world.effects.clear();
    world.targetDestroyed(corrupt);
    ASSERT_EQ(world.effects.size(), 3u);
    EXPECT_TRUE(std::isfinite(world.effects[2].position.x));
    EXPECT_EQ(world.effects[2].direction, (Vec3{0, 10, 0}));
}

TEST(StepEffects, AreaDamageOnlyDuringTheFirstSecond) {
    struct Case {
        float age, dt, damage;
    };
    // Rate 40: a whole step inside the first second, a step straddling its
    // end, a delayed effect that starts within the step, one already past it.
    for (const Case& c : {Case{0.25f, 0.0625f, 2.5f}, Case{0.9375f, 0.125f, 2.5f}, Case{-0.0625f, 0.125f, 2.5f},
                          Case{1.0f, 0.0625f, 0.0f}}) {
        World world;
        WeaponEffect blast = makeEffect(WeaponEffect::kExplosion, {0, 3, -20}, {}, 0, 10);
        blast.age = c.age;
        blast.damageRadius = 5;
        blast.damageRate = 40;
        world.effects.push_back(blast);
        world.stepProjectiles(c.dt);
        EXPECT_EQ(world.targets[3].health, 100.0f - c.damage) << c.age;
        EXPECT_EQ(world.effects.empty(), c.age + c.dt > 1.0f);
    }
}

TEST(StepEffects, BlastsWearDownNearbyRockets) {
    World world;
    WeaponEffect blast = makeEffect(WeaponEffect::kExplosion, {0, 40, 0}, {}, 0, 10);
    blast.damageRadius = 5;
    blast.damageRate = 16;
    world.effects.push_back(blast);
    Projectile homing;
    homing.kind = kRocket;
    homing.weapon = kHomingMissiles;
    homing.position = {0, 40, 5.5f};
    homing.life = 5;
    Projectile rocket = homing;
    rocket.weapon = kRocketLauncher;
    Projectile far = rocket;
    far.position = {0, 40, 6.5f};
    world.projectiles = {homing, rocket, far};
    world.stepProjectiles(0.25f);  // 4 damage
    ASSERT_EQ(world.projectiles.size(), 2u);
    EXPECT_EQ(world.projectiles[0].hull, 6.0f);
    EXPECT_EQ(world.projectiles[1].hull, 2.0f);  // out of reach
    // The shot-down rocket ends in a small explosion with its sound.
    ASSERT_FALSE(world.sounds.empty());
    EXPECT_EQ(world.sounds.back().kind, SoundEvent::kExplosion);
    EXPECT_EQ(world.sounds.back().weapon, static_cast<int>(kRocketLauncher));
    EXPECT_EQ(world.effects[1].size, 3.0f);
}

TEST(StepEffects, DebrisFallsAndBouncesAtHalfSpeed) {
    World world;
    world.effects.push_back(makeEffect(WeaponEffect::kDebris, {0, 0.5f, 0}, {0, -10, 0}, 0, 1.0f));
    world.stepProjectiles(0.0625f);
    // Falls 0.69 below its resting height of 0.5 (half its size), is lifted back and bounces.
    EXPECT_EQ(world.effects[0].position.y, 0.5f);
    EXPECT_FLOAT_EQ(world.effects[0].direction.y, (10 + 18 * 0.0625f) * 0.5f);
    EXPECT_EQ(world.effects[0].age, 0.0625f);
}

TEST(StepEffects, EffectsEndAfterTheirKindsLifetime) {
    World world;
    for (int kind = 0; kind <= 6; ++kind) {
        world.effects.push_back(makeEffect(static_cast<WeaponEffect::Kind>(kind), {}, {0, 1, 0}, 0, 1.0f));
    }
    world.stepProjectiles(0.0625f);
    EXPECT_EQ(world.effects.size(), 7u);
    world.stepProjectiles(0.0625f);  // 0.125: past the 0.09 of kind 0
    EXPECT_EQ(world.effects.size(), 6u);
    for (int i = 0; i < 3; ++i) world.stepProjectiles(0.0625f);  // 0.3125: past 0.3
    ASSERT_EQ(world.effects.size(), 3u);
    EXPECT_EQ(world.effects[0].kind, WeaponEffect::kExplosion);
    EXPECT_EQ(world.effects[1].kind, WeaponEffect::kDebris);
    EXPECT_EQ(world.effects[2].kind, WeaponEffect::kSmoke);
}

}  // namespace
}  // namespace bastion

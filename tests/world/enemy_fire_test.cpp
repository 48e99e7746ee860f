#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "world/world.h"
#include "enemy_fixture.h"
#include "support/vec_expect.h"

namespace bastion {
namespace {

using testing_support::EnemyWorld;
using testing_support::expectNear;

using EnemyFire = EnemyWorld;

TEST_F(EnemyFire, ShotFromTheTurnedMuzzle) {
    const std::size_t i = addUnit(2, {10, 0, 0}, 1.5707964f);  // faces -x
    unit(i).velocity = {3, 0, 0};
    world.enemyFire(i, {-50, 2, 0}, -1, kShot, 64, 4, 0, {0, 2, -10});
    ASSERT_EQ(world.projectiles.size(), 1u);
    const Projectile& p = world.projectiles[0];
    expectNear(p.position, {0, 2, 0}, 1e-5f);
    expectNear(p.velocity, {-64, 0, 0}, 1e-4f);
    EXPECT_FLOAT_EQ(p.life, 4.0f) << "50/64 + 2 is below the 4 s floor";
    EXPECT_EQ(p.damage, 4.0f) << "no mission: the given damage";
    EXPECT_EQ(p.mount, -1);
    EXPECT_EQ(p.kind, kShot);
    EXPECT_EQ(p.owner, static_cast<int>(i));
    EXPECT_EQ(p.victim, -1);
    EXPECT_EQ(p.weapon, 1u);
    EXPECT_EQ(p.shooter, -1);
    EXPECT_EQ(p.homingTarget, -1);
    EXPECT_EQ(p.hull, -1.0f);
    EXPECT_FALSE(p.intercepted);
    EXPECT_EQ(unit(i).flash, 0.08f);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].kind, SoundEvent::kFired);
    EXPECT_EQ(world.sounds[0].weapon, 1);
    expectNear(world.sounds[0].position, {0, 2, 0}, 1e-5f);

    world.enemyFire(i, {-400, 2, 0}, 3, kRocket, 100, 20, 5, {0, 2, -10});
    EXPECT_FLOAT_EQ(world.projectiles[1].life, 6.0f);
    EXPECT_EQ(world.projectiles[1].weapon, 2u);
    EXPECT_EQ(world.projectiles[1].radius, 5.0f);
    EXPECT_EQ(world.projectiles[1].victim, 3);

    world.enemyFire(i, {-50, 0, 0}, -1, kGrenade, 20, 40, 10, {0, 2, -10});
    const Projectile& bomb = world.projectiles[2];
    EXPECT_EQ(bomb.weapon, 5u);
    EXPECT_EQ(bomb.position, (Vec3{10, -0.9f, 0})) << "bombs fall from under the unit";
    EXPECT_EQ(bomb.velocity, (Vec3{3, 0, 0})) << "with the unit's own speed";
}

TEST_F(EnemyFire, DamageScalesWithTheMissionsDifficulty) {
    struct Case {
        int type;
        u32 behaviour;
        ProjectileKind kind;
        float given;
        float expected;
    };
    const Case cases[] = {
        {3, 0, kShot, 5, 7},        {0, 0, kShot, 4, 9},       {0, 0x40, kShot, 16, 36},
        {1, 0, kShot, 4, 9},        {2, 0, kShot, 4, 6},       {3, 0, kRocket, 20, 30},
        {0, 0, kRocket, 20, 30},    {7, 0, kGrenade, 40, 60},  {18, 0, kShot, 5, 7.5f},
    };
    world.missionIndex = 0;
    world.projectilePair[0] = 7;
    world.projectilePair[1] = 9;
    world.ratio = 1.5f;
    for (const Case& c : cases) {
        world.projectiles.clear();
        const std::size_t i = addUnit(c.type, {0, 0, 0});
        unit(i).behaviour = c.behaviour;
        world.enemyFire(i, {0, 0, -30}, -1, c.kind, 64, c.given, 0, {});
        ASSERT_EQ(world.projectiles.size(), 1u);
        EXPECT_FLOAT_EQ(world.projectiles[0].damage, c.expected) << "type " << c.type << " kind " << c.kind;
    }
}

TEST_F(EnemyFire, NothingOnceTheWorldHolds256ProjectilesOrAtPointBlank) {
    const std::size_t i = addUnit(2, {0, 0, 0});
    world.enemyFire(i, {0, 0.005f, 0}, -1, kShot, 64, 4, 0, {});
    EXPECT_TRUE(world.projectiles.empty());
    world.projectiles.resize(255);
    world.enemyFire(i, {0, 0, -30}, -1, kShot, 64, 4, 0, {});
    EXPECT_EQ(world.projectiles.size(), 256u);
    world.sounds.clear();
    world.enemyFire(i, {0, 0, -30}, -1, kShot, 64, 4, 0, {});
    EXPECT_EQ(world.projectiles.size(), 256u);
    EXPECT_TRUE(world.sounds.empty());
    world.enemyFire(99, {0, 0, -30}, -1, kShot, 64, 4, 0, {});  // no such unit
}

// An alerted emplacement in front of the pilot fires bursts of word 2
// shots, word 1 / 256 s apart, with word 3 / 256 s between bursts.
TEST_F(EnemyFire, EmplacementBurstCountsAndPauses) {
    const std::size_t gun = addUnit(2, {0, 0, 30});
    unit(gun).parameters[1] = 64;   // 0.25 s
    unit(gun).parameters[2] = 3;
    unit(gun).parameters[3] = 512;  // 2 s
    ASSERT_GT(ticksToNextShot(1.0f), 0);
    std::vector<int> gaps;
    for (int k = 0; k < 6; ++k) gaps.push_back(ticksToNextShot(3.0f));
    EXPECT_EQ(gaps, (std::vector<int>{16, 16, 128, 16, 16, 128}));
    for (const Projectile& p : world.projectiles) {
        EXPECT_EQ(p.kind, kShot);
        EXPECT_FLOAT_EQ(length(p.velocity), 64.0f);
        EXPECT_EQ(p.damage, 4.0f);
    }
    EXPECT_EQ(unit(gun).state, 3);
    EXPECT_EQ(unit(gun).homeYaw, unit(gun).turretYaw) << "the model turns with its gun";
}

TEST_F(EnemyFire, LauncherEmplacementFiresSingleRocketsOrSingleShots) {
    const std::size_t launcher = addUnit(5, {0, 0, 30});
    unit(launcher).behaviour = 0x01;
    unit(launcher).parameters[1] = 128;  // 0.5 s between rockets
    unit(launcher).parameters[2] = 2;
    unit(launcher).parameters[3] = 2560;
    ASSERT_GT(ticksToNextShot(1.0f), 0);
    EXPECT_EQ(ticksToNextShot(2.0f), 32);
    EXPECT_EQ(ticksToNextShot(2.0f), 32);
    for (const Projectile& p : world.projectiles) {
        EXPECT_EQ(p.kind, kRocket);
        EXPECT_EQ(p.damage, 20.0f);
        EXPECT_EQ(p.radius, 5.0f);
    }
    world.projectiles.clear();
    unit(launcher).parameters[2] = 0;
    ASSERT_GT(ticksToNextShot(1.0f), 0);
    EXPECT_EQ(world.projectiles[0].kind, kShot);
}

TEST_F(EnemyFire, BuildingsTrucksAndTrailersBlockSightOtherUnitsDoNot) {
    const std::size_t gun = addUnit(10, {0, 0, 40});
    const std::size_t cover = addBox({0, 3, 20}, {4, 4, 1});
    run(2.0f);
    EXPECT_TRUE(world.projectiles.empty());
    EXPECT_EQ(unit(gun).state, 1) << "not alerted without sight";
    EXPECT_FALSE(world.enemyLineOfSight(unit(gun).position, {0, 6, 0}, static_cast<int>(gun), -1));
    EXPECT_TRUE(world.enemyLineOfSight(unit(gun).position, {0, 6, 0}, static_cast<int>(gun), static_cast<int>(cover)))
        << "the aimed target itself never blocks";

    for (int type : {8, 11}) {
        unit(cover).unitType = type;
        EXPECT_FALSE(world.enemyLineOfSight(unit(gun).position, {0, 6, 0}, static_cast<int>(gun), -1)) << type;
    }
    unit(cover).unitType = 2;
    EXPECT_TRUE(world.enemyLineOfSight(unit(gun).position, {0, 6, 0}, static_cast<int>(gun), -1));
    unit(cover).unitType = kStaticObject;
    unit(cover).hidden = true;
    run(1.0f);
    EXPECT_FALSE(world.projectiles.empty());
}

}  // namespace
}  // namespace bastion

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

constexpr float kHalfTurn = 3.14159265f;

int countKind(const World& world, ProjectileKind kind) {
    int n = 0;
    for (const Projectile& p : world.projectiles) n += p.kind == kind;
    return n;
}

bool hasSound(const World& world, u32 kind) {
    for (const SoundEvent& s : world.sounds) {
        if (s.kind == kind) return true;
    }
    return false;
}

using UnitBehaviour = EnemyWorld;

TEST_F(UnitBehaviour, HurtTankFiresOneRocketThenGoesBackToItsBursts) {
    const std::size_t tank = addUnit(0, {0, 0, 60});
    unit(tank).health = 8;
    unit(tank).parameters[1] = 64;
    unit(tank).parameters[2] = 3;
    run(kTick);
    ASSERT_EQ(world.projectiles.size(), 1u);
    EXPECT_EQ(world.projectiles[0].kind, kRocket);
    EXPECT_FLOAT_EQ(length(world.projectiles[0].velocity), 70.0f);
    EXPECT_EQ(world.projectiles[0].damage, 20.0f);
    EXPECT_EQ(world.projectiles[0].radius, 5.0f);
    EXPECT_TRUE(unit(tank).rocketUsed);
    EXPECT_EQ(unit(tank).fireTimer, 1.0f);
    run(3.0f);
    EXPECT_EQ(countKind(world, kRocket), 1);
    EXPECT_GE(countKind(world, kShot), 3);

    // A heavy tank's rocket is twice as fast; a healthy one never fires it.
    world.projectiles.clear();
    const std::size_t heavy = addUnit(0, {40, 0, 60});
    unit(heavy).health = 5;
    unit(heavy).behaviour = 0x40;
    const std::size_t healthy = addUnit(0, {-40, 0, 60});
    unit(healthy).parameters[2] = 3;
    run(1.5f);
    int heavyRockets = 0, healthyRockets = 0;
    for (const Projectile& p : world.projectiles) {
        if (p.kind != kRocket) continue;
        heavyRockets += p.owner == static_cast<int>(heavy);
        healthyRockets += p.owner == static_cast<int>(healthy);
        if (p.owner == static_cast<int>(heavy)) {
            EXPECT_FLOAT_EQ(length(p.velocity), 140.0f);
        }
    }
    EXPECT_EQ(heavyRockets, 1);
    EXPECT_EQ(healthyRockets, 0);
}

TEST_F(UnitBehaviour, TankBacksOffAWalkerAtCloseQuarters) {
    const std::size_t tank = addUnit(0, {0, 0, 5});
    unit(tank).parameters[2] = 3;
    run(kTick);
    EXPECT_EQ(unit(tank).state, 4);
    run(3.5f);
    EXPECT_EQ(unit(tank).state, 4);
    EXPECT_TRUE(world.projectiles.empty()) << "no firing while retreating";
    EXPECT_GT(unit(tank).home.z, 5.5f) << "it moved away from the pilot";
}

TEST_F(UnitBehaviour, WalkerMeleeDealsTwelveEveryEightSeconds) {
    const std::size_t walker = addUnit(3, {0, 0, -3});
    run(kTick);
    EXPECT_EQ(unit(walker).state, 8);
    EXPECT_EQ(world.pilot.health, 88.0f);
    EXPECT_EQ(unit(walker).fireTimer, 8.0f);
    EXPECT_TRUE(hasSound(world, SoundEvent::kStrike));
    run(511 * kTick);
    EXPECT_EQ(world.pilot.health, 88.0f);
    run(kTick);
    EXPECT_EQ(world.pilot.health, 76.0f);
    EXPECT_TRUE(world.projectiles.empty());
}

TEST_F(UnitBehaviour, WalkerFiresAlternatingBurstsAndSidestepsBetweenThem) {
    const std::size_t walker = addUnit(3, {0, 0, 40});
    unit(walker).parameters[2] = 2;
    ASSERT_GT(ticksToNextShot(1.0f), 0);
    EXPECT_EQ(ticksToNextShot(1.0f), 4) << "1/16 s apart";
    EXPECT_EQ(unit(walker).state, 4);
    EXPECT_EQ(unit(walker).sideCounter, 1);
    EXPECT_FLOAT_EQ(unit(walker).stateTimer, 3.0f);
    const float x0 = world.projectiles[0].position.x - unit(walker).position.x;
    run(3.5f);
    ASSERT_GE(world.projectiles.size(), 3u);
    EXPECT_GT(std::fabs(unit(walker).home.x), 1.0f) << "stepped aside";
    EXPECT_EQ(world.projectiles[0].damage, 5.0f);
    EXPECT_NEAR(x0, 1.7f, 0.05f) << "first burst from the right-hand gun";
}

TEST_F(UnitBehaviour, BomberDropsOneBombPerRunEvenWithNoneAsked) {
    const std::size_t bomber = addUnit(7, {0, 20, 200});
    unit(bomber).speed = 20;
    unit(bomber).parameters[0] = 5000;  // sight 50
    unit(bomber).parameters[1] = 64;
    unit(bomber).passes = 1;
    run(8.0f);
    ASSERT_EQ(world.projectiles.size(), 1u);
    const Projectile& bomb = world.projectiles[0];
    EXPECT_EQ(bomb.kind, kGrenade);
    EXPECT_EQ(bomb.weapon, 5u);
    EXPECT_EQ(bomb.damage, 40.0f);
    EXPECT_EQ(bomb.radius, 10.0f);
    expectNear(bomb.velocity, {0, 0, -20}, 1e-3f);
    EXPECT_EQ(unit(bomber).state, 7);
    EXPECT_EQ(unit(bomber).passes, 0);
    run(22.0f);
    EXPECT_TRUE(unit(bomber).hidden) << "left the map beyond 300";
    EXPECT_EQ(unit(bomber).state, 9);
    EXPECT_EQ(world.projectiles.size(), 1u);
}

TEST_F(UnitBehaviour, BomberComesBackForItsPassesThenLeaves) {
    const std::size_t bomber = addUnit(7, {0, 20, 200});
    unit(bomber).speed = 20;
    unit(bomber).behaviour = 0x01;
    unit(bomber).parameters[0] = 5000;
    unit(bomber).parameters[1] = 16;  // 1/16 s between bombs
    unit(bomber).parameters[2] = 3;
    unit(bomber).passes = 2;
    run(150.0f);
    EXPECT_EQ(countKind(world, kGrenade), 6);
    EXPECT_TRUE(unit(bomber).hidden);
    EXPECT_LE(std::fabs(unit(bomber).roll), 0.6f);
}

TEST_F(UnitBehaviour, BomberHitDuringARunAbortsIt) {
    const std::size_t bomber = addUnit(7, {0, 20, 200});
    unit(bomber).speed = 20;
    unit(bomber).behaviour = 0x02;
    unit(bomber).parameters[0] = 5000;
    unit(bomber).parameters[2] = 5;
    unit(bomber).passes = 1;
    while (unit(bomber).state != 6) run(kTick);
    unit(bomber).health -= 1;
    run(kTick);
    EXPECT_EQ(unit(bomber).state, 7);
    EXPECT_TRUE(world.projectiles.empty());
}

TEST_F(UnitBehaviour, ShipBowGunFiresBurstsFromTheBow) {
    const std::size_t ship = addUnit(9, {0, 0, 0});
    unit(ship).behaviour = 0x04;
    unit(ship).parameters[12] = 10000;
    unit(ship).parameters[7] = 2;
    unit(ship).parameters[6] = 128;
    unit(ship).parameters[8] = 512;
    world.pilot.position = {0, 0, -60};
    ASSERT_EQ(ticksToNextShot(kTick), 1);
    expectNear(world.projectiles[0].position, {0, 2.24f, -24.8f}, 1e-5f);
    std::vector<int> gaps;
    for (int k = 0; k < 4; ++k) gaps.push_back(ticksToNextShot(3.0f));
    EXPECT_EQ(gaps, (std::vector<int>{32, 128, 32, 128}));
    EXPECT_EQ(countKind(world, kShot), 5);

    world.pilot.position = {0, 0, -101};
    EXPECT_EQ(ticksToNextShot(3.0f), -1) << "beyond word 12 / 100";
}

TEST_F(UnitBehaviour, ShipSternGunFiresRocketsAftAndShipsSailAfterTheirDelay) {
    const std::size_t ship = addUnit(9, {0, 0, 0}, kHalfTurn / 2);  // bow toward -x
    Target& s = unit(ship);
    s.behaviour = 0x01 | 0x10 | 0x20;
    s.parameters[13] = 10000;
    s.parameters[10] = 1;
    s.parameters[9] = 64;
    s.parameters[11] = 64;
    s.cruiseDelay = 1.0f;
    s.speed = 4.0f;
    world.pilot.position = {60, 0, 0};
    ASSERT_EQ(ticksToNextShot(kTick), 1);
    EXPECT_EQ(world.projectiles[0].kind, kRocket);
    EXPECT_EQ(world.projectiles[0].radius, 6.0f);
    expectNear(world.projectiles[0].position, {26.72f, 2.24f, 0}, 1e-4f);
    run(0.9f);
    EXPECT_NEAR(s.home.x, 0.0f, 1e-6f);
    run(1.1f);
    EXPECT_NEAR(s.home.x, -4.0f, 0.2f);
}

TEST_F(UnitBehaviour, ShipsAreBlockedOnlyByShipsButBlockEveryone) {
    const std::size_t ship = addUnit(9, {0, 0, 0});
    const std::size_t wall = addBox({0, 0, -5}, {3, 3, 1});  // grown for a 2-unit mover: z -6.65..-3.35
    EXPECT_TRUE(world.moveEnemy(ship, {0, 0, -4}, kTick, false));
    unit(ship).home = {0, 0, 0};
    world.updateEnemyBounds(unit(ship));
    unit(wall).unitType = 9;
    EXPECT_FALSE(world.moveEnemy(ship, {0, 0, -4}, kTick, false));
    EXPECT_EQ(unit(ship).stuckTimer, kTick);
    EXPECT_EQ(unit(ship).velocity, (Vec3{}));
    EXPECT_EQ(unit(ship).home, (Vec3{}));

    const std::size_t truck = addUnit(6, {0, 0, -10});
    EXPECT_FALSE(world.moveEnemy(truck, {0, 0, 4}, kTick, false)) << "the ship is in its way";
    EXPECT_TRUE(world.moveEnemy(truck, {0, 0, -2}, kTick, false));
    EXPECT_EQ(unit(truck).velocity, (Vec3{0, 0, -128}));
    EXPECT_NEAR(unit(truck).trackPhase, 2.0f * 25.0f / 24.0f, 1e-5f);
    EXPECT_TRUE(world.moveEnemy(truck, {0, 0, 2.5f}, kTick, false));
    EXPECT_NEAR(unit(truck).trackPhase, 18.0f - 0.5f * 25.0f / 24.0f, 1e-4f) << "runs backwards, wraps";
}

TEST_F(UnitBehaviour, GroundUnitsDoNotRunOverThePilot) {
    const std::size_t truck = addUnit(6, {0, 0, -4});
    EXPECT_FALSE(world.moveEnemy(truck, {0, 0, 2}, kTick, false));
    EXPECT_TRUE(world.moveEnemy(truck, {0, 20, 2}, kTick, true)) << "flying units pass";
    world.pilot.dead = true;
    EXPECT_TRUE(world.moveEnemy(truck, {0, 0, 1}, kTick, false));
}

TEST_F(UnitBehaviour, FighterBurstsOfFourThenPausesAndFliesPast) {
    world.campaign = 1;
    const std::size_t fighter = addUnit(18, {0, 20, -100}, kHalfTurn);
    unit(fighter).speed = 65;
    ASSERT_GT(ticksToNextShot(0.25f), 0);
    std::vector<int> gaps;
    for (int k = 0; k < 3; ++k) gaps.push_back(ticksToNextShot(1.0f));
    EXPECT_EQ(gaps, (std::vector<int>{7, 7, 7}));
    const int pause = ticksToNextShot(3.0f);
    EXPECT_TRUE(pause == -1 || pause >= 128) << pause;
    for (const Projectile& p : world.projectiles) {
        EXPECT_FLOAT_EQ(length(p.velocity), 130.0f);
        EXPECT_EQ(p.damage, 5.0f);
    }
    world.projectiles.clear();
    unit(fighter).home = {0, 20, -100};
    unit(fighter).homeYaw = kHalfTurn;
    unit(fighter).state = 2;
    run(1.5f);
    EXPECT_EQ(unit(fighter).state, 7) << "passed within 18 and flies on";
    run(3.0f);
    EXPECT_EQ(unit(fighter).state, 2);

    World sb1;
    sb1.pilot.status = kStatusActive;
    sb1.targets = {unit(fighter)};
    sb1.stepEnemies(kTick);
    EXPECT_TRUE(sb1.projectiles.empty()) << "no fighters in SB1";
}

TEST_F(UnitBehaviour, TruckAtItsRouteEndIsHiddenNotDestroyedAndFreesItsSlot) {
    const std::size_t truck = addUnit(8, {0, 0, 0});
    unit(truck).route = {{0, 0, -5}, {0, 0, -10}};
    unit(truck).speed = 8;
    unit(truck).targetSlot = 4;
    run(kTick);
    EXPECT_EQ(world.slots[4], static_cast<int>(truck));
    EXPECT_NE(world.missionFlags & (1u << 4), 0u);
    run(0.5f);
    EXPECT_EQ(unit(truck).routeIndex, 1u);
    run(1.0f);
    EXPECT_TRUE(unit(truck).hidden);
    EXPECT_FALSE(unit(truck).active);
    EXPECT_FALSE(unit(truck).destroyed);
    EXPECT_EQ(unit(truck).health, 100.0f);
    EXPECT_EQ(unit(truck).state, 9);
    EXPECT_EQ(world.slots[4], -1);
    EXPECT_EQ(world.missionFlags & (1u << 4), 0u);
}

TEST_F(UnitBehaviour, PatrolsLoopTheirRouteAndAircraftKeepAboveTheFloor) {
    const std::size_t tank = addUnit(0, {0, 0, -200});
    unit(tank).parameters[0] = 100;  // sight 1: never alerted
    unit(tank).route = {{0, 0, -205}, {5, 0, -205}};
    const std::size_t helicopter = addUnit(1, {50, 0, -200});
    unit(helicopter).parameters[0] = 100;
    unit(helicopter).speed = 16;
    unit(helicopter).route = {{50, 0, -300}};
    run(12.0f);
    EXPECT_EQ(unit(tank).state, 1);
    EXPECT_FALSE(unit(tank).hidden) << "a patrol starts over";
    EXPECT_LT(unit(tank).routeIndex, 2u);
    EXPECT_NEAR(unit(helicopter).home.y, 17.9f, 1e-3f);
}

// Boxed in on all four sides, forward moves and sidesteps both fail; after
// 1.5 s blocked the unit switches the side it turns to.
TEST_F(UnitBehaviour, BlockedUnitSwitchesItsSidestepSide) {
    const std::size_t truck = addUnit(6, {0, 0, 0});
    unit(truck).route = {{0, 0, -100}};
    const float gap = 1.66f;
    addBox({0, 0, -gap}, {4, 5, 1});
    addBox({0, 0, gap}, {4, 5, 1});
    addBox({-gap, 0, 0}, {1, 5, 4});
    addBox({gap, 0, 0}, {1, 5, 4});
    run(0.5f);
    EXPECT_EQ(unit(truck).sideCounter, 0);
    const float turned = unit(truck).homeYaw;
    EXPECT_GT(turned, 0.2f) << "first turns to the left";
    run(0.3f);
    EXPECT_EQ(unit(truck).sideCounter, 1);
    const float before = unit(truck).homeYaw;
    run(0.2f);
    EXPECT_LT(unit(truck).homeYaw, before) << "now turns the other way";
    run(0.6f);
    EXPECT_EQ(unit(truck).sideCounter, 2);
    EXPECT_EQ(unit(truck).home, (Vec3{0, 0, 0}));
}

TEST_F(UnitBehaviour, HelicopterHoversToFireThenFliesOff) {
    const std::size_t helicopter = addUnit(1, {0, 12, -40}, kHalfTurn);
    unit(helicopter).speed = 16;
    unit(helicopter).parameters[2] = 32;
    unit(helicopter).parameters[3] = 2;
    unit(helicopter).parameters[4] = 1;
    run(2.0f);
    EXPECT_EQ(countKind(world, kRocket), 2);
    EXPECT_EQ(unit(helicopter).state, 4);
    const Vec3 start = unit(helicopter).home;
    run(2.0f);
    EXPECT_GT(length(unit(helicopter).home - start), 10.0f);
    EXPECT_EQ(countKind(world, kRocket), 2) << "no fire while flying off";
    run(10.0f);
    EXPECT_GT(countKind(world, kRocket), 2) << "comes round again";
}

TEST_F(UnitBehaviour, SB2BrawlerFightsWithGunRocketAndFists) {
    world.campaign = 1;
    const std::size_t brawler = addUnit(14, {0, 0, 30});
    run(7.0f);
    int rockets = 0, shots = 0;
    for (const Projectile& p : world.projectiles) {
        if (p.kind == kRocket) {
            ++rockets;
            EXPECT_FLOAT_EQ(length(p.velocity), 80.0f);
            EXPECT_EQ(p.damage, 18.0f);
        } else {
            ++shots;
            EXPECT_FLOAT_EQ(length(p.velocity), 100.0f);
        }
    }
    EXPECT_EQ(rockets, 2) << "one every 6 s";
    EXPECT_GE(shots, 10);
    EXPECT_EQ(unit(brawler).state, 3);

    unit(brawler).home = {0, 0, -4};
    world.updateEnemyBounds(unit(brawler));
    unit(brawler).fireTimer = 0;
    run(kTick);
    EXPECT_EQ(unit(brawler).state, 8);
    EXPECT_EQ(world.pilot.health, 85.0f);
    EXPECT_EQ(unit(brawler).fireTimer, 2.0f);
}

TEST_F(UnitBehaviour, SB2GunnerIsAlwaysAlertedAndRearmsFasterWhenHurt) {
    world.campaign = 1;
    const std::size_t gunner = addUnit(19, {0, 0, -300});
    unit(gunner).parameters[0] = 1000;  // sight 10
    run(kTick);
    EXPECT_EQ(unit(gunner).state, 2) << "chases though it sees nothing";
    unit(gunner).home = {0, 0, -50};
    world.updateEnemyBounds(unit(gunner));
    unit(gunner).health = 40;
    unit(gunner).lastHealth = 40;
    unit(gunner).initialHealth = 100;
    unit(gunner).secondaryTimer = 0;
    world.projectiles.clear();
    run(kTick);
    EXPECT_EQ(unit(gunner).state, 3);
    EXPECT_EQ(unit(gunner).secondaryTimer, 2.0f);
    ASSERT_EQ(countKind(world, kRocket), 1);
    EXPECT_EQ(world.projectiles[0].damage, 25.0f);
}

}  // namespace
}  // namespace bastion

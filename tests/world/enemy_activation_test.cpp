#include <gtest/gtest.h>

#include "world/world.h"
#include "enemy_fixture.h"
#include "coop_fixture.h"

namespace bastion {
namespace {

using testing_support::activePilot;
using testing_support::EnemyWorld;

constexpr int kStationary = 13;  // SB2 type without a behaviour of its own
constexpr int kWalker = 3;

TEST(TriggerReady, FlagTimeAndNegatedFlagWords) {
    struct Case {
        u32 trigger;
        u32 flags;
        float time;
        bool ready;
    };
    const Case cases[] = {
        {16384 + 5, 0, 0, false},          {16384 + 5, 1u << 5, 0, true},
        {16384 + 5, 1u << 4, 500, false},  {100, 0, 99.99f, false},
        {100, 0, 100, true},               {0, 0, 0, true},
        {16383, 0, 16383, true},           {40000, 0, 0, true},  // 40000 & 31 = 0
        {40000, 1u << 0, 0, false},        {32768 + 3, 1u << 3, 0, false},
        {32768 + 3, 1u << 2, 1e6f, true},  {0xFFFFFFFFu, 0x7FFFFFFFu, 0, true},
    };
    for (const Case& c : cases) {
        World world;
        world.missionFlags = c.flags;
        world.missionTime = c.time;
        EXPECT_EQ(world.triggerReady(c.trigger), c.ready) << c.trigger << " flags " << c.flags << " time " << c.time;
    }
}

using Activation = EnemyWorld;

TEST_F(Activation, AtTheChebyshevRangeEdgeAndNotOneUnitBeyond) {
    const std::size_t i = addUnit(kStationary, {0, 0, 0});
    unit(i).active = false;
    unit(i).range = 50;
    world.pilot.position = {51, 0, 0};
    run(kTick);
    EXPECT_FALSE(unit(i).active);
    EXPECT_FALSE(unit(i).started);

    world.pilot.position = {-50, 0, 49};
    run(kTick);
    EXPECT_TRUE(unit(i).active);
    EXPECT_TRUE(unit(i).started);
    EXPECT_EQ(unit(i).state, 1);
}

TEST_F(Activation, WaitsForTheTriggerAndNeverForCopiesOrBlockedUnits) {
    const std::size_t waiting = addUnit(kStationary, {0, 0, 0});
    const std::size_t copy = addUnit(kStationary, {0, 0, 0});
    const std::size_t blocked = addUnit(kStationary, {0, 0, 0});
    for (std::size_t i : {waiting, copy, blocked}) unit(i).active = false;
    unit(waiting).trigger = 16384 + 7;
    unit(copy).derived = true;
    unit(blocked).flags = 0x4;
    run(1.0f);
    for (std::size_t i : {waiting, copy, blocked}) EXPECT_FALSE(unit(i).active) << i;
    world.missionFlags = 1u << 7;
    run(kTick);
    EXPECT_TRUE(unit(waiting).active);
    EXPECT_FALSE(unit(copy).active);
    EXPECT_FALSE(unit(blocked).active);
}

TEST_F(Activation, CoopWithoutALivePilotActivatesNothing) {
    Pilot fallen = activePilot(1, {0, 0, 0});
    fallen.dead = true;
    world.coop = true;
    world.session = {&fallen};
    const std::size_t i = addUnit(kStationary, {0, 0, 0});
    unit(i).active = false;
    EXPECT_EQ(world.nearestPlayerRange({0, 0, 0}), 1e9f);
    run(1.0f);
    EXPECT_FALSE(unit(i).active);

    Pilot standing = activePilot(2, {30, 0, -20});
    world.session.push_back(&standing);
    EXPECT_EQ(world.nearestPlayerRange({0, 0, 0}), 30.0f);
    run(kTick);
    EXPECT_TRUE(unit(i).active);
}

TEST_F(Activation, FirstStepClaimsTheUnitsMissionSlot) {
    const std::size_t i = addUnit(kStationary, {0, 0, 0});
    unit(i).targetSlot = 6;
    unit(i).initialHealth = 0;
    unit(i).health = 70;
    run(kTick);
    EXPECT_EQ(world.slots[6], static_cast<int>(i));
    EXPECT_NE(world.missionFlags & (1u << 6), 0u);
    EXPECT_EQ(unit(i).initialHealth, 70);
    EXPECT_EQ(unit(i).lastHealth, 70);
}

TEST_F(Activation, SB1MissionIndexOneCountsItsWalkersInAndOut) {
    world.campaign = 0;
    world.missionIndex = 1;
    const std::size_t i = addUnit(kWalker, {0, 0, -100});
    unit(i).active = false;
    run(kTick);
    EXPECT_EQ(world.counters[0], 1);
    world.retireEnemy(unit(i), true);
    EXPECT_EQ(world.counters[0], 0);
    world.retireEnemy(unit(i), true);
    EXPECT_EQ(world.counters[0], 0) << "an inactive unit does not count down again";
}

TEST_F(Activation, CoopUnitsPickLivingPilotsByNearness) {
    Pilot near = activePilot(1, {0, 0, 5});
    Pilot far = activePilot(2, {0, 0, 400});
    Pilot fallen = activePilot(3, {0, 0, 0});
    fallen.dead = true;
    world.coop = true;
    world.session = {&fallen, &near, &far};
    for (int k = 0; k < 100; ++k) addUnit(kStationary, {0, 0, 0});
    world.selectPlayerTargets(kTick);
    int nearCount = 0;
    for (const Target& t : world.targets) {
        EXPECT_NE(t.chosenPilot, 0) << "the dead pilot is never chosen";
        nearCount += t.chosenPilot == 1;
        EXPECT_GE(t.retargetTimer, 2.0f);
        EXPECT_LE(t.retargetTimer, 5.0f);
    }
    EXPECT_GE(nearCount, 95);

    // The choice holds while its timer runs, unless that pilot falls.
    const int kept = unit(0).chosenPilot;
    const u32 state = world.random;
    world.selectPlayerTargets(0.5f);
    EXPECT_EQ(unit(0).chosenPilot, kept);
    EXPECT_EQ(world.random, state) << "no unit drew again";
    near.dead = true;
    world.selectPlayerTargets(kTick);
    for (const Target& t : world.targets) EXPECT_EQ(t.chosenPilot, 2);
    far.health = 0;
    world.selectPlayerTargets(kTick);
    int id = 0;
    for (const Target& t : world.targets) {
        EXPECT_EQ(t.chosenPilot, -1);
        world.enemyDestination(t, id);
        EXPECT_EQ(id, -1) << "falls back to the leading pilot";
    }
}

TEST_F(Activation, AttackSlotTargetBeforeAnyPilot) {
    const std::size_t attacker = addUnit(kStationary, {0, 0, 0});
    const std::size_t depot = addBox({0, 5, -40}, {3, 5, 3});
    unit(attacker).attackSlot = 9;
    world.slots[9] = static_cast<int>(depot);
    int id = 0;
    Vec3 aim = world.enemyDestination(unit(attacker), id);
    EXPECT_EQ(id, static_cast<int>(depot));
    EXPECT_EQ(aim, unit(depot).position);
    unit(depot).health = 0;
    aim = world.enemyDestination(unit(attacker), id);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(aim, (Vec3{0, 6, 0}));
    world.slots[9] = 77;  // names nothing
    world.enemyDestination(unit(attacker), id);
    EXPECT_EQ(id, -1);
}

TEST_F(Activation, LeashResetsTheUnitAtItsAnchor) {
    const std::size_t i = addUnit(2, {0, 0, 0}, 0.5f);
    Target& u = unit(i);
    u.respawn = 30;
    u.range = 40;
    u.flags = 0x1;
    run(kTick);
    u.home = {25, 0, 0};
    u.homeYaw = 2.0f;
    u.health = 40;
    u.lastHealth = 40;
    u.state = 3;
    u.routeIndex = 3;

    world.pilot.position = {45, 0, 0};  // 20 from home: within the leash
    run(kTick);
    EXPECT_TRUE(u.active);

    world.pilot.position = {60, 0, 0};  // 35 from home, 60 from the anchor
    run(kTick);
    EXPECT_FALSE(u.active);
    EXPECT_FALSE(u.hidden);
    EXPECT_EQ(u.home, (Vec3{0, 0, 0}));
    EXPECT_EQ(u.position, (Vec3{0, 0, 0}));
    EXPECT_EQ(u.health, 100);
    EXPECT_EQ(u.homeYaw, 0.5f);
    EXPECT_EQ(u.turretYaw, 0.5f);
    EXPECT_EQ(u.state, 0);
    EXPECT_EQ(u.routeIndex, 0u);
    EXPECT_EQ(u.flags, 0u) << "flag bit 0 is cleared so the unit may come back";
    EXPECT_FALSE(u.started);

    run(1.0f);
    EXPECT_FALSE(u.active) << "60 is beyond its range of 40";
    world.pilot.position = {40, 0, 0};
    run(kTick);
    EXPECT_TRUE(u.active);
}

TEST_F(Activation, SB2SupplyCrateBecomesAPickup) {
    world.campaign = 1;
    const std::size_t crate = addUnit(21, {12, 1, -30});
    unit(crate).attackSlot = 22;  // the first 16 bits of its parameters
    unit(crate).parameters[0] = 5;
    run(kTick);
    ASSERT_EQ(world.pickups.size(), 1u);
    EXPECT_EQ(world.pickups[0].kind, 22);
    EXPECT_EQ(world.pickups[0].position, (Vec3{12, 1, -30}));
    EXPECT_FALSE(world.pickups[0].collected);
    EXPECT_TRUE(unit(crate).hidden);
    EXPECT_EQ(unit(crate).state, 9);
    run(1.0f);
    EXPECT_EQ(world.pickups.size(), 1u);

    World sb1;
    sb1.targets = {unit(crate)};
    sb1.targets[0].hidden = false;
    sb1.stepEnemies(kTick);
    EXPECT_TRUE(sb1.pickups.empty()) << "no crates in SB1";
}

TEST_F(Activation, TrailerFollowsItsTractorAndVanishesWithIt) {
    const std::size_t tractor = addUnit(13, {0, 0, -10});
    const std::size_t trailer = addUnit(23, {0, 0, 5});
    unit(trailer).host = static_cast<int>(tractor);
    unit(trailer).parameters[0] = 500;
    unit(trailer).active = false;
    run(kTick);
    EXPECT_TRUE(unit(trailer).active);
    EXPECT_EQ(unit(trailer).home, (Vec3{0, 0, -5}));

    unit(tractor).home = {10, 0, -5};  // off to the trailer's right
    run(kTick);
    EXPECT_NEAR(unit(trailer).homeYaw, -1.8f * kTick, 1e-6f) << "turns toward it at 1.8 rad/s";
    const Vec3 hitch = unit(trailer).home - unit(tractor).home;
    EXPECT_NEAR(std::hypot(hitch.x, hitch.z), 5.0f, 1e-4f);

    unit(tractor).health = 0;
    run(kTick);
    EXPECT_FALSE(unit(trailer).active);
    EXPECT_TRUE(unit(trailer).hidden);
}

TEST_F(Activation, RiderMovesWithItsParentAndIsLostWithIt) {
    const std::size_t ship = addUnit(9, {100, 0, 0}, 1.5707964f);
    const std::size_t rider = addUnit(2, {0, 0, 0});
    unit(rider).active = false;
    unit(rider).parent = static_cast<int>(ship);
    unit(rider).mountOffset = {0, 3, -10};
    unit(rider).range = 10;
    run(kTick);
    EXPECT_FALSE(unit(rider).active) << "100 away, range 10";
    EXPECT_NEAR(unit(rider).home.x, 90.0f, 1e-4f);
    EXPECT_NEAR(unit(rider).home.y, 3.0f, 1e-4f);
    EXPECT_NEAR(unit(rider).home.z, 0.0f, 1e-4f);
    EXPECT_EQ(unit(rider).anchor, unit(rider).home);

    unit(ship).health = 0;
    world.pilot.position = {90, 0, 0};
    run(kTick);
    EXPECT_FALSE(unit(rider).active);
    EXPECT_EQ(unit(rider).flags & 0x2u, 0x2u);
}

TEST_F(Activation, DroppedUnitFallsToItsAnchorHeight) {
    const std::size_t i = addUnit(13, {0, 10, -50});
    unit(i).dropped = true;
    unit(i).anchor = {0, 0, -50};
    run(0.5f);
    EXPECT_TRUE(unit(i).dropped);
    EXPECT_LT(unit(i).home.y, 10.0f);
    EXPECT_LT(unit(i).velocity.y, -4.0f);
    run(1.5f);
    EXPECT_FALSE(unit(i).dropped);
    EXPECT_EQ(unit(i).home.y, 0.0f);
    EXPECT_EQ(unit(i).velocity, (Vec3{}));
}

TEST_F(Activation, BadIndicesAreTreatedAsNone) {
    const std::size_t rider = addUnit(2, {0, 0, 0});
    unit(rider).active = false;
    unit(rider).parent = 99;
    const std::size_t trailer = addUnit(23, {0, 0, 0});
    unit(trailer).host = 1234;
    const std::size_t chooser = addUnit(2, {0, 0, -20});
    unit(chooser).chosenPilot = 5;
    unit(chooser).attackSlot = 31;
    world.slots[31] = -7;
    world.coop = true;
    Pilot mate = activePilot(1, {0, 0, 0});
    world.session = {&mate};
    EXPECT_NO_THROW(run(1.0f));
    EXPECT_TRUE(unit(rider).active);
}

}  // namespace
}  // namespace bastion

#include <vector>

#include <gtest/gtest.h>

#include "mission_fixture.h"

namespace bastion {
namespace {

using testing_support::add;
using testing_support::destroy;
using testing_support::missionWorld;
using testing_support::placed;
using testing_support::soundsOfKind;

TEST(MissionAction, EveryFormOfTheCode) {
    struct Case {
        u32 action;
        int counters[3];
        u32 flags;
    };
    // Starting from counters (2, 1, 0) and flag 5 set.
    const std::vector<Case> cases = {
        {0x80020000u, {1, 1, 0}, 1u << 5},
        {0x80020001u, {2, 0, 0}, 1u << 5},
        {0x80020002u, {2, 1, 0}, 1u << 5},  // never below zero
        {0x80020003u, {2, 1, 0}, 1u << 5},  // no counter 3
        {0x80010007u, {2, 1, 0}, (1u << 5) | (1u << 7)},
        {0x8001001Fu, {2, 1, 0}, (1u << 5) | (1u << 31)},
        {0x80010020u, {2, 1, 0}, 1u << 5},  // no flag 32
        {0x80000005u, {2, 1, 0}, 0u},
        {0x80030005u, {2, 1, 0}, 1u << 5},  // unknown operation
        {113568u, {1, 1, 0}, (1u << 5) | 1u},
        {113568u + 48u, {1, 1, 0}, (1u << 5) | (1u << 4)},
        {113568u + 60u, {2, 1, 0}, 1u << 5},  // only five objective codes
        {113569u, {2, 1, 0}, 1u << 5},
        {0u, {2, 1, 0}, 1u << 5},
    };
    for (const Case& c : cases) {
        World world = missionWorld(0, 0);
        world.counters[0] = 2;
        world.counters[1] = 1;
        world.missionFlags = 1u << 5;
        world.applyMissionAction(c.action);
        EXPECT_EQ(world.counters[0], c.counters[0]) << std::hex << c.action;
        EXPECT_EQ(world.counters[1], c.counters[1]) << std::hex << c.action;
        EXPECT_EQ(world.counters[2], c.counters[2]) << std::hex << c.action;
        EXPECT_EQ(world.missionFlags, c.flags) << std::hex << c.action;
    }
}

TEST(TargetConsequences, SlotIsReleasedOnlyWhenItNamesTheTarget) {
    World world = missionWorld(0, 0);
    Target t = placed(0);
    t.targetSlot = 3;
    const int a = add(world, t);
    const int b = add(world, t);
    world.slots[3] = b;
    world.missionFlags = 1u << 3;
    destroy(world, a);
    EXPECT_EQ(world.slots[3], b);
    EXPECT_EQ(world.missionFlags, 1u << 3);
    destroy(world, b);
    EXPECT_EQ(world.slots[3], -1);
    EXPECT_EQ(world.missionFlags, 0u);
}

TEST(TargetConsequences, BeforeTheMissionStartsATargetOnlyExplodes) {
    World world = missionWorld(0, 0);
    world.pilot.status = kStatusIdle;
    Target object = placed(-1);
    object.tag = 5;
    object.action = 0x80020000u;
    object.critical = true;
    world.counters[0] = 3;
    destroy(world, add(world, object));
    EXPECT_FALSE(world.effects.empty());
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kExplosion), 1);
    EXPECT_EQ(world.counters[0], 3);
    EXPECT_TRUE(world.pickups.empty());
    EXPECT_EQ(world.pilot.status, kStatusIdle);

    World prototype = missionWorld(0, 0);
    prototype.prototype = true;
    prototype.counters[0] = 3;
    destroy(prototype, add(prototype, object));
    EXPECT_EQ(prototype.counters[0], 3);
    EXPECT_EQ(prototype.pilot.status, kStatusActive);
}

TEST(TargetConsequences, SB1StaticObjectsActOnAndDropTheirTag) {
    struct Case {
        int mission;
        int tag;
        Vec3 home;
        int counters[3];
        bool pickup;
    };
    // Starting from counters (1, 1, 1) and the action "count counter 0 down".
    const std::vector<Case> cases = {
        {0, 0, {5, 3, -7}, {0, 1, 1}, true},
        {0, 31, {}, {0, 1, 1}, true},
        {0, 40, {}, {0, 1, 1}, false},
        {10, 40, {14.08f, 0, -71.68f}, {0, 1, 0}, false},
        {10, 40, {290.56f, 0, 102.4f}, {0, 1, 0}, false},
        {10, 40, {291.0f, 0, 0}, {0, 1, 1}, false},
        {12, 127, {}, {0, 0, 1}, false},
        {12, 128, {}, {0, 1, 1}, false},
    };
    for (const Case& c : cases) {
        World world = missionWorld(0, c.mission);
        world.counters[0] = world.counters[1] = world.counters[2] = 1;
        Target object = placed(-1, c.home);
        object.tag = c.tag;
        object.action = 0x80020000u;
        destroy(world, add(world, object));
        EXPECT_EQ(world.counters[0], c.counters[0]) << c.mission << " " << c.tag;
        EXPECT_EQ(world.counters[1], c.counters[1]) << c.mission << " " << c.tag;
        EXPECT_EQ(world.counters[2], c.counters[2]) << c.mission << " " << c.tag;
        ASSERT_EQ(world.pickups.size(), c.pickup ? 1u : 0u) << c.tag;
        if (c.pickup) {
            EXPECT_EQ(world.pickups[0].kind, c.tag);
            EXPECT_EQ(world.pickups[0].position, (Vec3{c.home.x, 1.5f, c.home.z}));
            EXPECT_FALSE(world.pickups[0].collected);
        }
        EXPECT_EQ(world.pilot.status, kStatusActive);
    }
    // The region rule of mission 10 is a plain decrement.
    World world = missionWorld(0, 10);
    destroy(world, add(world, placed(-1, {100, 0, 0})));
    EXPECT_EQ(world.counters[2], -1);
}

TEST(TargetConsequences, SB1UnitsByType) {
    struct Case {
        int mission;
        int type;
        int counter0;
        u32 flags;
        int pickups;
    };
    // Counter 0 starts at 1; every unit carries flag bit 4 and parameter 1 = 2.
    const std::vector<Case> cases = {
        {0, 3, 0, 0, 0},
        {0, 8, 0, 0, 0},
        {6, 8, 0, 0, 1},  // drops a capture pickup, clears flag 2
        {0, 9, 0, 1u << 4, 0},
        {1, 9, 1, 1u << 4, 0},
        {5, 0, 0, 0, 0},
        {0, 0, 1, 0, 0},
        {0, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        World world = missionWorld(0, c.mission);
        world.counters[0] = 1;
        world.missionFlags = c.mission == 6 ? 1u << 2 : 0u;
        Target unit = placed(c.type, {4, 0, 9});
        unit.flagBit = 4;
        unit.parameters[1] = 2;
        destroy(world, add(world, unit));
        EXPECT_EQ(world.counters[0], c.counter0) << c.mission << " type " << c.type;
        EXPECT_EQ(world.missionFlags, c.flags) << c.mission << " type " << c.type;
        ASSERT_EQ(static_cast<int>(world.pickups.size()), c.pickups);
        if (c.pickups) {
            EXPECT_EQ(world.pickups[0].kind, 14);
            EXPECT_EQ(world.pickups[0].position, (Vec3{4, 1.5f, 9}));
        }
    }
    World floor = missionWorld(0, 0);
    destroy(floor, add(floor, placed(3)));
    EXPECT_EQ(floor.counters[0], 0) << "counts down to zero only";
}

TEST(TargetConsequences, LosingACriticalObjectLosesTheMissionWithTheLossSound) {
    World world = missionWorld(0, 0);
    Target truck = placed(8);
    truck.critical = true;
    truck.health = 0.0f;
    add(world, truck);
    world.stepMission(0.05f);
    EXPECT_EQ(world.pilot.status, kStatusActive) << "a protected truck only counts down";

    Target hq = placed(-1);
    hq.critical = true;
    hq.health = 0.0f;
    add(world, hq);
    world.pilot.position = {1, 2, 3};
    world.stepMission(0.05f);
    EXPECT_EQ(world.pilot.status, kStatusLost);
    ASSERT_EQ(soundsOfKind(world, SoundEvent::kLost), 1);
    EXPECT_EQ(world.sounds.back().position, (Vec3{1, 14, 3}));
    EXPECT_EQ(world.sounds.back().weapon, 0);
    world.stepMission(0.05f);
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kLost), 1) << "only on the step the status changes";
}

TEST(TargetConsequences, AHugeFragmentGridStillStopsAtItsCap) {
    World world = missionWorld(0, 16);
    Target wreck = placed(5);
    wreck.span = {1e30f, 1e30f, 1e30f};
    wreck.step = 1e-30f;
    wreck.fragments = {1, 2};
    destroy(world, add(world, wreck));
    EXPECT_EQ(world.effects.size(), 2u + 160u);
}

TEST(SB2Consequences, UnitsCountKillsByType) {
    World world = missionWorld(1, 4);
    world.counters[0] = 0;
    for (int type : {8, 8, 17, 9, 14, 22}) {
        Target unit = placed(type);
        unit.flagBit = 6;
        destroy(world, add(world, unit));
    }
    EXPECT_EQ(world.killsByType[8], 2);
    EXPECT_EQ(world.killsByType[14], 1);
    EXPECT_EQ(world.killsByType[22], 1);
    EXPECT_EQ(world.counters[0], -2) << "a plain decrement";
    EXPECT_EQ(world.counters[1], 1);
    EXPECT_EQ(world.missionFlags, 1u << 6);

    Target trailer = placed(kSB2Trailer);
    destroy(world, add(world, trailer));
    EXPECT_EQ(world.pilot.status, kStatusActive);
}

TEST(SB2Consequences, StaticObjectsByMission) {
    struct Case {
        int mission;
        int tag;
        Vec3 home;
        int counter0;
        int counter2;
    };
    // Counters start at 1; the action counts counter 1 down.
    const std::vector<Case> cases = {
        {0, 200, {5, 0, -5}, 1, 0},            // inside the region (5, 5)
        {0, 200, {5, 0, 5}, 1, 1},             // (5, -5) is outside
        {1, 200, {238.08f, 0, -309.76f}, 0, 1},
        {1, 200, {273.92f, 0, -222.72f}, 0, 1},
        {1, 200, {274.0f, 0, -250.0f}, 1, 1},
        {14, 127, {}, 0, 1},
        {17, 127, {}, 0, 1},
        {17, 128, {}, 1, 1},
        {2, 127, {}, 1, 1},
    };
    for (const Case& c : cases) {
        World world = missionWorld(1, c.mission);
        world.objectiveRegions = {{0, 0, 10, 10}};
        world.counters[0] = world.counters[1] = world.counters[2] = 1;
        Target object = placed(-1, c.home);
        object.tag = c.tag;
        object.action = 0x80020001u;
        destroy(world, add(world, object));
        EXPECT_EQ(world.counters[0], c.counter0) << c.mission;
        EXPECT_EQ(world.counters[1], 0) << c.mission;
        EXPECT_EQ(world.counters[2], c.counter2) << c.mission;
        EXPECT_TRUE(world.pickups.empty());
    }
    World drop = missionWorld(1, 2);
    Target crate = placed(-1, {3, 9, 4});
    crate.tag = 22;
    destroy(drop, add(drop, crate));
    ASSERT_EQ(drop.pickups.size(), 1u);
    EXPECT_EQ(drop.pickups[0].kind, 22);
    EXPECT_EQ(drop.pickups[0].position, (Vec3{3, 1.5f, 4}));
}

TEST(SB2Consequences, ProtectionPassesToTheSmallestTagThenTheMissionIsLost) {
    World world = missionWorld(1, 3);
    world.killsByType[14] = 1;
    auto building = [](int tag) {
        Target t = placed(-1);
        t.tag = tag;
        t.critical = true;
        return t;
    };
    const int first = add(world, building(33));
    const int second = add(world, building(35));
    const int third = add(world, building(34));
    const int tie = add(world, building(34));
    add(world, placed(-1));  // not protected
    world.slots[1] = first;

    destroy(world, first);
    EXPECT_EQ(world.slots[1], third);
    EXPECT_EQ(world.missionFlags, 0u);
    destroy(world, third);
    EXPECT_EQ(world.slots[1], tie);
    destroy(world, tie);
    EXPECT_EQ(world.slots[1], second);
    EXPECT_EQ(world.pilot.status, kStatusActive) << "the loss is the evaluation's";

    world.targets[static_cast<std::size_t>(second)].health = 0.0f;
    world.stepMission(0.05f);
    EXPECT_EQ(world.slots[1], -1);
    EXPECT_EQ(world.missionFlags, 1u << 24);
    EXPECT_EQ(world.pilot.status, kStatusLost);
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kLost), 1);
}

TEST(EnemyArrival, TrucksAndCarBombs) {
    World sb1 = missionWorld(0, 6);
    sb1.arrivedEnemy(sb1.targets.emplace_back(placed(8)));
    EXPECT_EQ(sb1.missionFlags, 1u << 30) << "any truck in SB1 mission 6";

    World escort = missionWorld(1, 4);
    Target truck = placed(8);
    truck.critical = true;
    const int a = add(escort, truck);
    const int b = add(escort, placed(8));
    escort.arrivedEnemy(escort.targets[static_cast<std::size_t>(a)]);
    EXPECT_EQ(escort.missionFlags, 0u) << "another truck is still on its way";
    for (const auto change : {+[](Target& t) { t.hidden = true; }, +[](Target& t) { t.flags = 4; },
                              +[](Target& t) { t.health = 0.0f; }}) {
        escort.missionFlags = 0;
        escort.targets[static_cast<std::size_t>(b)] = placed(8);
        change(escort.targets[static_cast<std::size_t>(b)]);
        escort.arrivedEnemy(escort.targets[static_cast<std::size_t>(a)]);
        EXPECT_EQ(escort.missionFlags, 1u << 30);
    }

    World bombs = missionWorld(1, 5);
    bombs.counters[1] = 8;
    const int bomb = add(bombs, placed(17, {10, 0, 20}));
    for (int i = 0; i < 4; ++i) bombs.arrivedEnemy(bombs.targets[static_cast<std::size_t>(bomb)]);
    EXPECT_EQ(bombs.counters[0], 4);
    EXPECT_EQ(soundsOfKind(bombs, SoundEvent::kExplosion), 4);
    EXPECT_EQ(bombs.effects[0].size, 12.0f);
    EXPECT_EQ(bombs.effects[0].position, (Vec3{10, 0, 20}));
    bombs.targets.push_back(placed(17));
    bombs.targets.back().health = 0.0f;
    bombs.stepMission(0.05f);
    EXPECT_EQ(bombs.counters[1], 9);
    EXPECT_EQ(bombs.pilot.status, kStatusLost) << "four escapes lose even with nine stopped";

    World sb1Bombs = missionWorld(0, 5);
    sb1Bombs.arrivedEnemy(sb1Bombs.targets.emplace_back(placed(17)));
    EXPECT_EQ(sb1Bombs.counters[0], 0);
    EXPECT_TRUE(sb1Bombs.effects.empty());
}

}  // namespace
}  // namespace bastion

#include <vector>

#include <gtest/gtest.h>

#include "coop_fixture.h"
#include "mission_fixture.h"

namespace bastion {
namespace {

using testing_support::missionWorld;
using testing_support::soundsOfKind;

Pickup crate(Vec3 position, int kind = 0) {
    Pickup p;
    p.position = position;
    p.kind = kind;
    return p;
}

TEST(CollectPickups, TakenBelowSevenHorizontalUnitsWhateverTheHeight) {
    struct Case {
        Vec3 offset;
        bool taken;
    };
    const std::vector<Case> cases = {
        {{6.99f, 0, 0}, true}, {{7.0f, 0, 0}, false}, {{0, 0, -7.0f}, false}, {{4.2f, 0, 5.5f}, true},
        {{0, 500, 0}, true},
    };
    for (const Case& c : cases) {
        World world = missionWorld(0, 0);
        world.pilot.position = {10, 3, -20};
        world.pickups.push_back(crate(world.pilot.position + c.offset));
        world.collectPickups();
        EXPECT_EQ(world.pickups[0].collected, c.taken) << c.offset.x << " " << c.offset.y << " " << c.offset.z;
        EXPECT_EQ(soundsOfKind(world, SoundEvent::kPickup), c.taken ? 1 : 0);
        if (c.taken) {
            EXPECT_EQ(world.sounds[0].position, world.pickups[0].position);
            EXPECT_EQ(world.sounds[0].weapon, 0);
        }
    }
}

TEST(CollectPickups, RepairsAndRefillsByAQuarterWithFractionsCarried) {
    struct Case {
        bool coop;
        Weapon weapon;
        int ammo;
        float fraction;
        int ammoAfter;
        float fractionAfter;
    };
    // Full loads from the SB1 table: rifle 400, rockets 12, grenades 8,
    // cruise missile 1, rail 40, empty 0.
    const std::vector<Case> cases = {
        {false, kRifle, 0, 0.0f, 100, 0.0f},
        {false, kRifle, 350, 0.0f, 400, 0.0f},
        {false, kRocketLauncher, 2, 0.0f, 5, 0.0f},
        {false, kCruiseMissile, 0, 0.0f, 0, 0.0f},
        {false, kCruiseMissile, 0, 0.5f, 0, 0.5f},
        {false, kEmptyHand, 0, 0.5f, 0, 0.0f},
        {true, kRocketLauncher, 2, 0.0f, 3, 0.5f},
        {true, kRocketLauncher, 2, 0.5f, 4, 0.0f},
        {true, kGrenadeRack, 0, 0.0f, 1, 0.0f},
        {true, kRail, 0, 0.75f, 5, 0.75f},
        {true, kRail, 39, 0.75f, 40, 0.0f},
    };
    for (const Case& c : cases) {
        World world = missionWorld(1, 3);
        world.coop = c.coop;
        world.pilot.health = 50.0f;
        world.pilot.weapons[2] = c.weapon;
        world.pilot.ammo[2] = c.ammo;
        world.pilot.ammoFraction[2] = c.fraction;
        world.pickups.push_back(crate(world.pilot.position));
        world.collectPickups();
        EXPECT_EQ(world.pilot.health, c.coop ? 57.5f : 65.0f);
        EXPECT_EQ(world.pilot.ammo[2], c.ammoAfter) << c.weapon << " from " << c.ammo;
        EXPECT_EQ(world.pilot.ammoFraction[2], c.fractionAfter) << c.weapon << " from " << c.ammo;
    }
    World world = missionWorld(0, 0);
    world.pilot.health = 90.0f;
    world.pickups.push_back(crate(world.pilot.position));
    world.collectPickups();
    EXPECT_EQ(world.pilot.health, 100.0f);
}

TEST(CollectPickups, CoopMembersEachTakeACrateOnceAndOnlyTheFirstCounts) {
    World world = missionWorld(0, 3);
    Pilot mate = testing_support::activePilot(33, {});  // slot bit 1 << 1
    testing_support::joinCoop(world, {}, mate);
    world.counters[0] = 2;
    world.pickups.push_back(crate({1, 0, 1}, 22));
    world.pickups.push_back(crate({2, 0, 2}, 7));

    world.collectPickups();
    EXPECT_EQ(world.pickups[0].collectedBy, 1u);
    EXPECT_EQ(world.pickups[1].collectedBy, 1u);
    EXPECT_TRUE(world.pickups[0].collected);
    EXPECT_EQ(world.counters[0], 1);
    EXPECT_EQ(world.missionFlags, 1u << 31);
    world.collectPickups();
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kPickup), 2) << "the same slot takes a crate once";

    world.pilot = mate;  // the room steps the mate in the leading place
    world.pilot.health = 10.0f;
    world.collectPickups();
    EXPECT_EQ(world.pickups[0].collectedBy, 0b11u);
    EXPECT_EQ(world.pickups[1].collectedBy, 0b11u);
    EXPECT_EQ(world.pilot.health, 25.0f) << "both crates repair the mate";
    EXPECT_EQ(world.counters[0], 1) << "supplies count only once";
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kPickup), 4);

    World single = missionWorld(0, 3);
    single.counters[0] = 1;
    Pickup taken = crate({}, 22);
    taken.collected = true;
    single.pickups.push_back(taken);
    single.collectPickups();
    EXPECT_EQ(single.counters[0], 1) << "alone, a collected crate is gone";
}

TEST(CollectPickups, FirstTakingsRaiseFlagsOrCountSupplies) {
    struct Case {
        int campaign;
        int mission;
        int kind;
        u32 flags;
        int counter0;
    };
    const std::vector<Case> cases = {
        {0, 0, 7, 1u << 31, 1},  {0, 0, 8, 1u << 31, 1},  {0, 0, 14, 1u << 31, 1}, {0, 0, 16, 1u << 31, 1},
        {1, 0, 20, 1u << 31, 1}, {1, 0, 21, 1u << 31, 1}, {0, 0, 9, 0, 1},         {0, 0, 22, 0, 1},
        {0, 3, 22, 0, 0},        {1, 2, 22, 0, 0},        {1, 12, 22, 0, 0},       {1, 16, 22, 0, 0},
        {1, 3, 22, 0, 1},        {0, 0, 40, 0, 1},
    };
    for (const Case& c : cases) {
        World world = missionWorld(c.campaign, c.mission);
        world.counters[0] = 1;
        world.pickups.push_back(crate(world.pilot.position, c.kind));
        world.collectPickups();
        EXPECT_EQ(world.missionFlags, c.flags) << c.campaign << "/" << c.mission << " kind " << c.kind;
        EXPECT_EQ(world.counters[0], c.counter0) << c.campaign << "/" << c.mission << " kind " << c.kind;
    }
    World floor = missionWorld(1, 2);
    floor.pickups.push_back(crate(floor.pilot.position, 22));
    floor.collectPickups();
    EXPECT_EQ(floor.counters[0], 0) << "never below zero";
}

TEST(CollectPickups, OnlyWhileTheMissionRuns) {
    for (const int status : {kStatusIdle, kStatusWon, kStatusKilled, kStatusLost}) {
        World world = missionWorld(0, 0);
        world.pilot.status = status;
        world.pickups.push_back(crate(world.pilot.position, 7));
        world.collectPickups();
        EXPECT_FALSE(world.pickups[0].collected);
        EXPECT_EQ(world.missionFlags, 0u);
    }
}

TEST(CollectPickups, SB1MissionFiveZoneRaisesFlagOne) {
    struct Case {
        Vec3 position;
        bool inside;
    };
    for (const Case& c : {Case{{-232.96f, 0, 99.84f}, true}, Case{{230.4f, 0, -99.84f}, true},
                          Case{{230.5f, 0, 0}, false}, Case{{0, 0, 99.9f}, false}}) {
        World world = missionWorld(0, 5);
        world.pilot.position = c.position;
        world.collectPickups();
        EXPECT_EQ(world.missionFlags, c.inside ? 2u : 0u) << c.position.x << " " << c.position.z;
        World other = missionWorld(1, 5);
        other.pilot.position = c.position;
        other.collectPickups();
        EXPECT_EQ(other.missionFlags, 0u);
    }
}

}  // namespace
}  // namespace bastion

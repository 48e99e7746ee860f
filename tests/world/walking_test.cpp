#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "coop_fixture.h"
#include "support/terrain_builder.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kFrame = 1.0f / 32.0f;  // 8 units/s: a quarter unit per frame, exact in binary

// The displacement the pilot step asks for at full forward drive (negative: backward).
Vec3 stride(const World& world, float drive) {
    const float body = world.pilot.angles[0];
    return world.pilot.position + Vec3{-std::sin(body), 0.0f, -std::cos(body)} * (8.0f * kFrame * drive);
}

struct Footfall {
    float before, after;  // gait around the frame that landed it
    Vec3 point;
};

std::vector<Footfall> walk(World& world, int frames, float drive) {
    std::vector<Footfall> falls;
    for (int i = 0; i < frames; ++i) {
        const float before = world.pilot.gait;
        const std::size_t heard = world.sounds.size();
        world.movePilot(stride(world, drive));
        for (std::size_t s = heard; s < world.sounds.size(); ++s) {
            EXPECT_EQ(world.sounds[s].kind, SoundEvent::kFootfall);
            falls.push_back({before, world.pilot.gait, world.sounds[s].position});
        }
    }
    return falls;
}

TEST(Walking, HundredFramesForwardOnTheTestRange) {
    World world;
    const std::vector<Footfall> falls = walk(world, 100, 1.0f);
    EXPECT_EQ(world.pilot.position, (Vec3{0, 0, 10}));
    // 25 units walked: the gait runs 26.04 phases, past 3, 12 and 21 (3 again).
    EXPECT_NEAR(world.pilot.gait, 25.0f * 25 / 24 - 18, 1e-4f);
    ASSERT_EQ(falls.size(), 3u);
    const float phases[3] = {3, 12, 3};
    const float sides[3] = {1.7f, -1.7f, 1.7f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_LT(falls[i].before, phases[i]) << i;
        EXPECT_GE(falls[i].after, phases[i]) << i;
        EXPECT_EQ(falls[i].point.x, sides[i]) << "right foot first";
        EXPECT_EQ(falls[i].point.y, 0.0f);
    }
}

TEST(Walking, BackwardFeetLandAtPhasesFourAndThirteen) {
    World world;
    world.pilot.gait = 15.0f;
    const std::vector<Footfall> falls = walk(world, 48, -1.0f);  // 12.5 phases back
    EXPECT_NEAR(world.pilot.gait, 2.5f, 1e-4f);
    EXPECT_EQ(world.pilot.position, (Vec3{0, 0, 47}));
    ASSERT_EQ(falls.size(), 2u);
    EXPECT_GT(falls[0].before, 13.0f);
    EXPECT_LE(falls[0].after, 13.0f);
    EXPECT_EQ(falls[0].point.x, -1.7f) << "left foot at 13";
    EXPECT_GT(falls[1].before, 4.0f);
    EXPECT_LE(falls[1].after, 4.0f);
    EXPECT_EQ(falls[1].point.x, 1.7f) << "right foot at 4";
}

TEST(Walking, ABoxStopsTheWalkerWithoutSliding) {
    World world;
    // The middle box of row 0 spans z from -25 to -15; with the 2 clearance it stops at -13.
    world.pilot.position = {0, 0, -12.9f};
    for (const Vec3 destination : {Vec3{0, 0, -13.15f}, Vec3{0.2f, 0, -13.15f}}) {
        world.movePilot(destination);
        EXPECT_EQ(world.pilot.position, (Vec3{0, 0, -12.9f}));
        EXPECT_EQ(world.pilot.gait, 0.0f);
        EXPECT_TRUE(world.sounds.empty());
    }
    world.movePilot({0.2f, 0, -12.8f});  // away from it
    EXPECT_EQ(world.pilot.position, (Vec3{0.2f, 0, -12.8f}));
}

TEST(Walking, WhatBlocksTheWay) {
    struct Case {
        const char* name;
        int campaign, unitType, objectType;
        bool hidden;
        bool blocks;
    };
    for (const Case& c : {Case{"static box", 0, -1, -1, false, true}, Case{"crushable object", 0, -1, 6, false, false},
                          Case{"crushable unit", 0, 1, -1, false, false}, Case{"uncrushable unit", 0, 3, -1, false, true},
                          Case{"hidden unit", 0, 3, -1, true, false}, Case{"SB2 carrier", 1, 20, -1, false, false},
                          Case{"SB1 unit type 20", 0, 20, -1, false, false},
                          Case{"SB2 unit type 14", 1, 14, -1, false, true}}) {
        World world;
        world.campaign = c.campaign;
        Target& box = world.targets[3];
        box.unitType = c.unitType;
        box.objectType = c.objectType;
        box.hidden = c.hidden;
        world.pilot.position = {0, 0, -12.9f};
        world.movePilot({0, 0, -13.15f});
        EXPECT_EQ(world.pilot.position.z == -12.9f, c.blocks) << c.name;
    }
}

TEST(Walking, StaysInsideThePlayingArea) {
    World range;
    range.pilot.position = {149.9f, 0, 99.9f};
    range.movePilot({150.5f, 0, 100.5f});
    EXPECT_EQ(range.pilot.position, (Vec3{150, 0, 100}));
    range.pilot.position = {-149.9f, 0, -179.9f};
    range.movePilot({-150.5f, 0, -180.5f});
    EXPECT_EQ(range.pilot.position, (Vec3{-150, 0, -180}));

    World mission;
    mission.targets.clear();
    mission.missionIndex = 0;
    mission.pilot.position = {999.9f, 0, -999.9f};
    mission.movePilot({1000.5f, 0, -1000.5f});
    EXPECT_EQ(mission.pilot.position, (Vec3{1000, 0, -1000}));
}

TEST(Walking, HeightFollowsOnlyAProceduralTerrain) {
    for (bool procedural : {false, true}) {
        World world;
        world.targets.clear();
        world.proceduralTerrain = procedural;
        testing_support::buildHeightField(world, 8, 16.0f, [](float x, float) { return 0.25f * x; });
        world.pilot.position = {0, 0, 0};
        for (int i = 0; i < 8; ++i) world.movePilot(world.pilot.position + Vec3{0.5f, 7.0f, 0});
        EXPECT_EQ(world.pilot.position.x, 4.0f);
        EXPECT_FLOAT_EQ(world.pilot.position.y, procedural ? 1.0f : 0.0f);
    }
}

TEST(Walking, ASteepClimbIsRefusedWhole) {
    // A plateau 2 high: a walker 0.5 below its surface may step up, one 2 below may not.
    for (float height : {1.5f, 0.0f}) {
        World world;
        world.targets.clear();
        world.proceduralTerrain = true;
        testing_support::buildHeightField(world, 8, 16.0f, [](float, float) { return 2.0f; });
        world.pilot.position = {0, height, 0};
        world.movePilot({0.8f, height, 0});
        const bool climbs = height > 1.0f;
        EXPECT_EQ(world.pilot.position, climbs ? (Vec3{0.8f, 2, 0}) : (Vec3{0, height, 0})) << height;
    }
}

TEST(Walking, ImpassableGroundIsRefusedWhole) {
    World world;
    world.targets.clear();
    world.proceduralTerrain = true;
    // Flat up to x = 16, then rising 1.25 per unit.
    testing_support::buildHeightField(world, 8, 16.0f, [](float x, float) { return x > 20 ? 20.0f : 0.0f; });
    world.pilot.position = {12, 0, 0};
    world.movePilot({12.75f, 0, 0});
    EXPECT_EQ(world.pilot.position, (Vec3{12.75f, 0, 0}));
    world.pilot.position = {16, 0, 0};
    world.movePilot({16.75f, 0, 0});
    EXPECT_EQ(world.pilot.position, (Vec3{16, 0, 0}));
}

// A destination absurdly far away (a corrupt input) is refused without an
// out-of-range sample count.
TEST(Walking, FarDestinationOnATerrainIsSampledBoundedly) {
    World world;
    world.targets.clear();
    world.proceduralTerrain = true;
    testing_support::buildHeightField(world, 8, 16.0f, [](float, float) { return 0.0f; });
    world.pilot.position = {0, 0, 0};
    world.movePilot({1e30f, 0, 0});
    EXPECT_EQ(world.pilot.position.x, 0.0f);
}

TEST(Walking, CoopPilotsMaySeparateButNotCloseIn) {
    World world;
    Pilot other = testing_support::activePilot(1, {0, 0, 47});
    testing_support::joinCoop(world, {0, 0, 50}, other);
    world.movePilot({0, 0, 50.25f});  // apart, though still within 4
    EXPECT_EQ(world.pilot.position.z, 50.25f);
    world.movePilot({0, 0, 50.0f});  // closer, but it was already within 4
    EXPECT_EQ(world.pilot.position.z, 50.0f);
    world.pilot.position = {0, 0, 51.1f};
    world.movePilot({0, 0, 50.9f});  // from 4.1 to 3.9
    EXPECT_EQ(world.pilot.position.z, 51.1f);
    other.dead = true;
    world.movePilot({0, 0, 50.9f});
    EXPECT_EQ(world.pilot.position.z, 50.9f);
}

TEST(Stomp, CrushesCrushableThingsWithinReachOfTheFoot) {
    struct Case {
        const char* name;
        int unitType, objectType;
        Vec3 position, extent;
        bool crushed;
    };
    // Foot 0 of a walker at (0, 0, 50) facing -z lands at (1.7, 0, 50).
    for (const Case& c : {Case{"object within 1.75", -1, 8, {4.45f, 0.5f, 50}, {1, 0.5f, 1}, true},
                          Case{"object beyond 1.75", -1, 8, {4.5f, 0.5f, 50}, {1, 0.5f, 1}, false},
                          Case{"object above the foot", -1, 8, {1.7f, 2.5f, 50}, {1, 1.5f, 1}, false},
                          Case{"object reaching foot height", -1, 8, {1.7f, 2.4f, 50}, {1, 1.5f, 1}, true},
                          Case{"plain static object", -1, 7, {1.7f, 0.5f, 50}, {1, 0.5f, 1}, false},
                          Case{"light unit", 1, -1, {1.7f, 0.5f, 50}, {1, 0.5f, 1}, true},
                          Case{"uncrushable unit", 3, -1, {1.7f, 0.5f, 50}, {1, 0.5f, 1}, false}}) {
        World world;
        world.targets.resize(1);
        Target& target = world.targets[0];
        target.unitType = c.unitType;
        target.objectType = c.objectType;
        target.position = c.position;
        target.extent = c.extent;
        world.pilot.position = {0, 0, 50};
        world.stomp(0);
        EXPECT_EQ(target.health, c.crushed ? -900.0f : 100.0f) << c.name;
        EXPECT_EQ(world.kills, c.crushed ? 1 : 0) << c.name;
        ASSERT_EQ(world.sounds.size(), 1u) << "every footfall sounds";
        EXPECT_EQ(world.sounds[0].kind, SoundEvent::kFootfall);
        EXPECT_EQ(world.sounds[0].position, (Vec3{1.7f, 0, 50}));
    }
}

TEST(Stomp, LeftFootAndWalkingOverACrate) {
    World world;
    world.targets.resize(1);
    Target& crate = world.targets[0];
    crate.objectType = 27;
    crate.position = {-3.0f, 0.5f, 40};
    crate.extent = {0.5f, 0.5f, 0.5f};
    world.pilot.position = {0, 0, 50};
    world.pilot.gait = 3.5f;  // the left foot lands next, at 12
    walk(world, 40, 1.0f);
    EXPECT_LE(crate.health, 0.0f);
    EXPECT_EQ(world.kills, 1);
}

TEST(Stomp, NothingForADeadPilotOrAThirdFoot) {
    World world;
    world.stomp(2);
    world.pilot.health = 0;
    world.stomp(0);
    EXPECT_TRUE(world.sounds.empty());
}

TEST(Crushable, ByKindCampaignAndState) {
    struct Case {
        const char* name;
        int campaign, unitType, objectType;
        u32 behaviour;
        bool crushable;
    };
    for (const Case& c : {Case{"SB1 object 6", 0, -1, 6, 0, true}, Case{"SB1 object 27", 0, -1, 27, 0, true},
                          Case{"SB1 object 35", 0, -1, 35, 0, false}, Case{"SB2 object 35", 1, -1, 35, 0, true},
                          Case{"SB2 object 48", 1, -1, 48, 0, true}, Case{"SB2 object 38", 1, -1, 38, 0, false},
                          Case{"object -1", 0, -1, -1, 0, false}, Case{"object 1000", 1, -1, 1000, 0, false},
                          Case{"unit 0", 0, 0, -1, 0x3F, true}, Case{"unit 0 with bit 0x40", 0, 0, -1, 0x40, false},
                          Case{"unit 3", 0, 3, -1, 0, false}, Case{"unit 10", 1, 10, -1, 0, false},
                          Case{"SB1 unit 20", 0, 20, -1, 0, true}, Case{"SB2 unit 20", 1, 20, -1, 0, false},
                          Case{"SB2 unit 14", 1, 14, -1, 0, true}, Case{"trailer", 1, 23, -1, 0, true}}) {
        World world;
        world.campaign = c.campaign;
        Target target;
        target.unitType = c.unitType;
        target.objectType = c.objectType;
        target.behaviour = c.behaviour;
        EXPECT_EQ(world.crushable(target), c.crushable) << c.name;
    }
    World world;
    Target unit;
    unit.unitType = 1;
    EXPECT_TRUE(world.crushable(unit));
    for (int state = 0; state < 4; ++state) {
        Target t = unit;
        t.hasDestination = state == 0;
        t.hidden = state == 1;
        t.active = state != 2;
        t.health = state == 3 ? 0.0f : 100.0f;
        EXPECT_FALSE(world.crushable(t)) << state;
    }
}

}  // namespace
}  // namespace bastion

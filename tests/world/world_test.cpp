#include <gtest/gtest.h>

#include "world/world.h"

namespace bastion {
namespace {

TEST(WorldDefaults, TestRangeHas35BoxesStandingOnTheGround) {
    const World world;
    ASSERT_EQ(world.targets.size(), 35u);
    const float heights[5][7] = {
        {9, 9, 4.5f, 3, 4.5f, 9, 9},       {6, 6, 9, 7.5f, 9, 6, 6},          {3, 3, 6, 4.5f, 6, 3, 3},
        {7.5f, 7.5f, 3, 9, 3, 7.5f, 7.5f}, {4.5f, 4.5f, 7.5f, 6, 7.5f, 4.5f, 4.5f},
    };
    for (int r = 0; r < 5; ++r) {
        for (int c = -3; c <= 3; ++c) {
            const Target& box = world.targets[static_cast<size_t>(r * 7 + c + 3)];
            const float h = heights[r][c + 3];
            SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
            EXPECT_EQ(box.position, (Vec3{22.0f * c, h, -20.0f - 26.0f * r}));
            EXPECT_EQ(box.extent, (Vec3{5, h, 5}));
            EXPECT_EQ(box.health, 100.0f);
            EXPECT_EQ(box.home, (Vec3{}));
            EXPECT_FALSE(box.mesh);
        }
    }
    EXPECT_EQ(world.targets.front().position, (Vec3{-66, 9, -20}));
    EXPECT_EQ(world.targets.back().position, (Vec3{66, 4.5f, -124}));
}

TEST(WorldDefaults, Fields) {
    const World world;
    EXPECT_EQ(world.random, 0x53425852u);
    EXPECT_EQ(world.missionIndex, -1);
    EXPECT_EQ(world.ratio, 1.0f);
    for (int slot : world.slots) EXPECT_EQ(slot, -1);
    EXPECT_EQ(world.groundColour, (Vec3{0.13f, 0.2f, 0.19f}));
    EXPECT_EQ(world.skyColour, (Vec3{0.055f, 0.095f, 0.13f}));
    EXPECT_EQ(world.proceduralMission.extractionRadius, 8.0f);
    EXPECT_TRUE(world.proceduralMission.objectives.empty());
    EXPECT_FALSE(world.proceduralMission.extractionRequired);
    EXPECT_FALSE(world.proceduralMission.extracting);
    EXPECT_EQ(world.pilot.status, kStatusIdle);
}

TEST(WorldConfigure, AmmunitionComesFromTheSB1TableWhateverTheCampaign) {
    for (int campaign : {0, 1}) {
        World world;
        world.campaign = campaign;
        world.configure({4, 11, 6, 10, 12, 13}, ArmRig{});
        const Weapon expected[6] = {4, 11, 6, 10, 12, 13};
        const int ammo[6] = {600, 400, 40, 6, 100, 0};
        for (int m = 0; m < 6; ++m) {
            EXPECT_EQ(world.pilot.weapons[m], expected[m]);
            EXPECT_EQ(world.pilot.ammo[m], ammo[m]) << "mount " << m << " campaign " << campaign;
        }
    }
}

TEST(WorldConfigure, ResetsFiringStateLatchesAndTracking) {
    World world;
    Pilot& pilot = world.pilot;
    for (int m = 0; m < 6; ++m) {
        pilot.cooldown[m] = 1.0f;
        pilot.shots[m] = 5;
        pilot.burst[m] = 2;
        pilot.ammoFraction[m] = 0.5f;
        pilot.fireLatch[m] = false;
    }
    pilot.homing_target = 4;
    pilot.missile.active = true;
    pilot.missile.life = 3.0f;
    pilot.arms[0].tracked = true;
    pilot.arms[1].elbow = {1, 2, 3};
    pilot.gestures[0] = {{1, 1, 1}, true, false, 0.2f};
    pilot.walk_speed = 9.0f;
    pilot.health = 55.0f;
    pilot.position = {3, 4, 5};
    pilot.punches[1] = 7;
    world.projectiles.resize(3);
    world.effects.resize(2);
    world.pickups.resize(1);

    ArmRig rig;
    rig.upperLength = 3.5f;
    world.configure({1, 1, 2, 2, 5, 8}, rig);

    for (int m = 0; m < 6; ++m) {
        EXPECT_EQ(pilot.cooldown[m], 0.0f);
        EXPECT_EQ(pilot.shots[m], 0u);
        EXPECT_EQ(pilot.burst[m], 0);
        EXPECT_EQ(pilot.ammoFraction[m], 0.0f);
        EXPECT_TRUE(pilot.fireLatch[m]) << "a held button must be released before it fires";
    }
    EXPECT_EQ(pilot.homing_target, -1);
    EXPECT_FALSE(pilot.missile.active);
    EXPECT_EQ(pilot.missile.life, 0.0f);
    EXPECT_FALSE(pilot.arms[0].tracked);
    EXPECT_EQ(pilot.arms[1].elbow, (Vec3{}));
    EXPECT_EQ(pilot.arms[1].forward, (Vec3{0, 0, -1}));
    EXPECT_FALSE(pilot.gestures[0].valid);
    EXPECT_TRUE(pilot.gestures[0].armed);
    EXPECT_EQ(pilot.walk_speed, 0.0f);
    EXPECT_EQ(pilot.rig.upperLength, 3.5f);
    EXPECT_TRUE(world.projectiles.empty());
    EXPECT_TRUE(world.effects.empty());
    // Left alone.
    EXPECT_EQ(pilot.health, 55.0f);
    EXPECT_EQ(pilot.position, (Vec3{3, 4, 5}));
    EXPECT_EQ(pilot.punches[1], 7);
    EXPECT_EQ(world.pickups.size(), 1u);
    EXPECT_EQ(world.targets.size(), 35u);
}

TEST(WorldMove, MovedFromWorldIsEmptyAndMeshesStayShared) {
    World source;
    source.targets[0].mesh = std::make_shared<Mesh>(3);
    const std::weak_ptr<Mesh> watcher = source.targets[0].mesh;
    SharedMesh rendererCopy = source.targets[0].mesh;
    source.projectiles.resize(2);
    source.effects.resize(2);
    source.pickups.resize(2);
    source.sounds.resize(2);
    source.terrain.resize(3);
    source.ground.resize(1);
    source.cells[{0, 0}] = {0};
    source.fragmentShapes[1] = {{0, 0, 0}};
    source.others.resize(1);
    source.generators.resize(1);
    source.cargoFlights.resize(1);
    source.objectiveText = "DESTROY ALL THE LONG OBJECTIVE TEXT THAT IS NOT SHORT";

    World target;
    target = std::move(source);
    EXPECT_EQ(target.targets.size(), 35u);
    EXPECT_EQ(target.objectiveText, "DESTROY ALL THE LONG OBJECTIVE TEXT THAT IS NOT SHORT");
    EXPECT_TRUE(source.targets.empty());
    EXPECT_TRUE(source.projectiles.empty());
    EXPECT_TRUE(source.effects.empty());
    EXPECT_TRUE(source.pickups.empty());
    EXPECT_TRUE(source.sounds.empty());
    EXPECT_TRUE(source.terrain.empty());
    EXPECT_TRUE(source.ground.empty());
    EXPECT_TRUE(source.cells.empty());
    EXPECT_TRUE(source.fragmentShapes.empty());
    EXPECT_TRUE(source.others.empty());
    EXPECT_TRUE(source.generators.empty());
    EXPECT_TRUE(source.cargoFlights.empty());

    // Replacing the world keeps a mesh the renderer still shares.
    target = World{};
    EXPECT_FALSE(watcher.expired());
    rendererCopy.reset();
    EXPECT_TRUE(watcher.expired());

    World constructed(World{});
    EXPECT_EQ(constructed.targets.size(), 35u);
}

}  // namespace
}  // namespace bastion

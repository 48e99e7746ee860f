#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "coop/room.h"
#include "coop/wire_failure.h"
#include "support/terrain_builder.h"
#include "support/vec_expect.h"

namespace bastion::coop {
namespace {

using testing::wireFailure;
using testing_support::expectNear;

// An empty world on flat ground at height 2, its start at (30, 2, -40).
World flatWorld(float yaw = 0.0f) {
    World world;
    world.targets.clear();
    testing_support::buildHeightField(world, 16, 64.0f, [](float, float) { return 2.0f; });
    world.pilot.position = {30.0f, 2.0f, -40.0f};
    world.pilot.angles[0] = yaw;
    return world;
}

std::vector<Vec3> spawn(const World& world, std::vector<u32> slots) { return spawnPositions(world, slots); }

TEST(SpawnPositions, FlatGroundPutsSlotsAlongTheStartFrame) {
    const std::vector<Vec3> two = spawn(flatWorld(), {0, 1});
    ASSERT_EQ(two.size(), 2u);
    expectNear(two[0], {30.0f, 2.0f, -40.0f}, 1e-5f);
    expectNear(two[1], {40.0f, 2.0f, -40.0f}, 1e-5f);

    // Turned a quarter: the start frame's x axis points along -z.
    const float quarter = 1.5707964f;
    const std::vector<Vec3> turned = spawn(flatWorld(quarter), {1, 0, 3, 2});
    expectNear(turned[0], {30.0f, 2.0f, -50.0f}, 1e-4f);
    expectNear(turned[1], {30.0f, 2.0f, -40.0f}, 1e-4f);
    expectNear(turned[2], {30.0f, 2.0f, -60.0f}, 1e-4f);
    expectNear(turned[3], {30.0f, 2.0f, -30.0f}, 1e-4f);
}

TEST(SpawnPositions, SlotsAreChecked) {
    const World world = flatWorld();
    EXPECT_EQ(wireFailure([&] { spawn(world, {0, 1, 2, 3, 0}); }), "Lobby is full");
    EXPECT_EQ(wireFailure([&] { spawn(world, {4}); }), "Invalid player slot");
    EXPECT_EQ(wireFailure([&] { spawn(world, {1, 1}); }), "Invalid player slot");
    EXPECT_EQ(wireFailure([&] { spawn(world, {0xFFFFFFFFu}); }), "Invalid player slot");
    EXPECT_TRUE(spawn(world, {}).empty());
}

TEST(SpawnPositions, ObstaclesAndSpacingMoveWalkersAside) {
    World world = flatWorld();
    Target box;
    box.position = {30.0f, 4.0f, -40.0f};
    box.extent = {2.0f, 2.0f, 2.0f};
    world.targets.push_back(box);
    const std::vector<Vec3> blocked = spawn(world, {0});
    const float dx = blocked[0].x - 30.0f, dz = blocked[0].z + 40.0f;
    EXPECT_TRUE(std::fabs(dx) > 5.5f || dz > 5.5f) << blocked[0].x << ", " << blocked[0].z;

    // A wreck, a hidden unit and a held-back copy do not block.
    for (auto hide : {+[](Target& t) { t.health = 0.0f; }, +[](Target& t) { t.hidden = true; },
                      +[](Target& t) {
                          t.active = false;
                          t.unitType = 3;
                          t.derived = true;
                      }}) {
        World clear = flatWorld();
        Target harmless = box;
        hide(harmless);
        clear.targets.push_back(harmless);
        expectNear(spawn(clear, {0})[0], {30.0f, 2.0f, -40.0f}, 1e-5f);
    }
}

TEST(SpawnPositions, RoughGroundEverywhereCancelsTheDeployment) {
    World world;
    world.targets.clear();
    // A checkerboard of 2-unit steps, wider than the search reaches.
    testing_support::buildHeightField(world, 80, 2.0f, [](float x, float z) {
        return ((static_cast<int>(std::floor(x / 2.0f)) + static_cast<int>(std::floor(z / 2.0f))) & 1) ? 3.0f : 0.0f;
    });
    world.pilot.position = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(wireFailure([&] { spawn(world, {0}); }), "No clear co-op spawn nearby - deployment cancelled");
}

}  // namespace
}  // namespace bastion::coop

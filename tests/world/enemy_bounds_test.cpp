#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/vec_expect.h"
#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::expectNear;

// A box mesh from (0, 1, -1) to (4, 3, 1) in its own frame.
SharedMesh boxMesh() {
    auto mesh = std::make_shared<Mesh>();
    for (const Vec3 p : {Vec3{0, 1, -1}, Vec3{4, 3, 1}, Vec3{4, 1, -1}}) mesh->push_back({p, {}, 0, 0, 0, 0});
    return mesh;
}

TEST(FitToMesh, CentresOnTheTurnedMesh) {
    Target t;
    t.home = {10, 0, 20};
    t.mesh = boxMesh();
    t.homeYaw = 0.0f;
    fitToMesh(t);
    expectNear(t.position, {12, 2, 20}, 1e-6f);
    expectNear(t.extent, {2, 1, 1}, 1e-6f);
    // A quarter turn: x' = z sin, z' = -x sin.
    t.homeYaw = 3.14159265f / 2;
    fitToMesh(t);
    expectNear(t.position, {10, 2, 18}, 1e-5f);
    expectNear(t.extent, {1, 1, 2}, 1e-5f);
}

TEST(FitToMesh, EmptyMeshGivesABoxWithoutPoints) {
    Target t;
    t.home = {1, 2, 3};
    t.mesh = std::make_shared<Mesh>();
    fitToMesh(t);
    EXPECT_EQ(t.position, (Vec3{1, 2, 3}));
    EXPECT_EQ(t.extent, (Vec3{-1e9f, -1e9f, -1e9f}));
}

TEST(EnemyBounds, FollowsTheModelAndTheGround) {
    World world;
    world.terrain.clear();
    for (const Vec3 p : {Vec3{-50, 5, -50}, Vec3{50, 5, -50}, Vec3{0, 5, 50}}) world.terrain.push_back({p, {}, 0, 0, 0, 0});
    world.indexTerrain();

    Target tank;
    tank.unitType = 0;
    tank.home = {2, 40, 0};
    tank.homeYaw = 3.14159265f / 2;
    tank.mesh = boxMesh();
    world.updateEnemyBounds(tank);
    EXPECT_TRUE(tank.boundsReady);
    expectNear(tank.modelCentre, {2, 2, 0}, 1e-6f);
    expectNear(tank.modelHalf, {2, 1, 1}, 1e-6f);
    EXPECT_FLOAT_EQ(tank.home.y, 5.0f + 1.0f - 2.0f) << "type 0 stands on the ground";
    expectNear(tank.position, {2, 6, -2}, 1e-5f);
    expectNear(tank.extent, {1, 1, 2}, 1e-5f);

    Target helicopter = tank;
    helicopter.unitType = 1;
    helicopter.boundsReady = false;
    helicopter.home = {2, 40, 0};
    world.updateEnemyBounds(helicopter);
    EXPECT_FLOAT_EQ(helicopter.home.y, 40.0f) << "flying units keep their height";
    world.proceduralTerrain = true;
    Target gun = helicopter;
    gun.unitType = 2;
    world.updateEnemyBounds(gun);
    EXPECT_FLOAT_EQ(gun.home.y, 4.0f) << "on procedural ground every walker and vehicle stands";
}

TEST(EnemyBounds, WithoutAMeshKeepsTheLoadedBox) {
    World world;
    Target crate;
    crate.unitType = 21;
    crate.home = {3, 0, 4};
    crate.position = crate.home;
    crate.extent = {0.1f, 0.1f, 0.1f};
    crate.mesh = std::make_shared<Mesh>();
    world.updateEnemyBounds(crate);
    EXPECT_EQ(crate.position, crate.home);
    expectNear(crate.extent, {0.1f, 0.1f, 0.1f}, 1e-7f);
    EXPECT_EQ(crate.modelCentre, (Vec3{}));
}

}  // namespace
}  // namespace bastion

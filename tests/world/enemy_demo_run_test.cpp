#include <algorithm>

#include <gtest/gtest.h>

#include "support/busiest_mission.h"
#include "support/demo_content.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::demoContent;

int enemyUnits(const World& world) {
    return static_cast<int>(std::count_if(world.targets.begin(), world.targets.end(), [](const Target& t) {
        return t.unitType >= 0 && t.unitType < kEnemyTypeCount;
    }));
}

// The demo mission with the most enemy units, every one of them woken up
// (but for the copies that generators and carriers hold in reserve).
World busiestDemoMission() {
    const testing_support::DemoMission busiest = testing_support::busiestDemoMission(
        demoContent(), [](const World& world) { return static_cast<std::size_t>(enemyUnits(world)); });
    World world;
    world.loadMission(demoContent(), busiest.mission, busiest.campaign, true);
    for (Target& t : world.targets) {
        if (t.unitType >= 0 && !t.derived) t.active = true;
    }
    return world;
}

// A player's shot climbing out of the world that lives for the whole run.
Projectile skyShot(float x) {
    Projectile shot;
    shot.position = {x, 5000.0f, 0.0f};
    shot.velocity = {0.0f, 1.0f, 0.0f};
    shot.life = 1e6f;
    shot.mount = 0;
    shot.weapon = 1;
    return shot;
}

// Enemies fire at a pilot who never falls for two simulated minutes, into a
// world already crowded with 252 long-lived shots: their projectiles fill
// the list up to 256 and never beyond.
TEST(EnemyDemoRun, ProjectileCapHoldsThroughALongRun) {
    World world = busiestDemoMission();
    for (int k = 0; k < 252; ++k) world.projectiles.push_back(skyShot(static_cast<float>(k)));
    const float dt = 1.0f / 60.0f;
    std::size_t most = 0;
    int fired = 0;
    for (int frame = 0; frame < 120 * 60; ++frame) {
        const std::size_t before = world.projectiles.size();
        world.stepEnemies(dt);
        fired += static_cast<int>(world.projectiles.size() - before);
        world.stepProjectiles(dt);
        most = std::max(most, world.projectiles.size());
        ASSERT_LE(world.projectiles.size(), 256u) << "frame " << frame;
        world.pilot.health = 100.0f;
        world.sounds.clear();
    }
    EXPECT_GT(fired, 6);
    EXPECT_EQ(most, 256u) << "the run reached the cap";
}

}  // namespace
}  // namespace bastion

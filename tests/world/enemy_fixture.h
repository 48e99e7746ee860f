#pragma once

#include <cmath>

#include <gtest/gtest.h>

#include "world/world.h"

namespace bastion::testing_support {

// A hand-built world with an active pilot at the origin and no targets; the
// enemy step runs in ticks of 1/64 s, so timers count down exactly.
class EnemyWorld : public testing::Test {
protected:
    static constexpr float kTick = 1.0f / 64.0f;

    void SetUp() override {
        world.targets.clear();
        world.pilot.status = kStatusActive;
        world.pilot.position = {0, 0, 0};
    }

    // An active unit with a 2-unit box around `home`, facing `yaw`.
    std::size_t addUnit(int type, Vec3 home, float yaw = 0.0f) {
        Target unit;
        unit.unitType = type;
        unit.home = home;
        unit.anchor = home;
        unit.position = home;
        unit.extent = {1, 1, 1};
        unit.homeYaw = yaw;
        unit.initialYaw = yaw;
        unit.turretYaw = yaw;
        unit.speed = 4.0f;
        unit.initialHealth = unit.health;
        world.updateEnemyBounds(unit);
        world.targets.push_back(unit);
        return world.targets.size() - 1;
    }

    std::size_t addBox(Vec3 centre, Vec3 half) {
        Target box;
        box.position = centre;
        box.extent = half;
        world.targets.push_back(box);
        return world.targets.size() - 1;
    }

    Target& unit(std::size_t index) { return world.targets[index]; }

    void run(float seconds) {
        const int ticks = static_cast<int>(std::lround(seconds / kTick));
        for (int i = 0; i < ticks; ++i) world.stepEnemies(kTick);
    }

    // Steps until the projectile count changes, at most `seconds`; returns
    // the ticks taken, or -1.
    int ticksToNextShot(float seconds) {
        const std::size_t before = world.projectiles.size();
        const int limit = static_cast<int>(std::lround(seconds / kTick));
        for (int i = 1; i <= limit; ++i) {
            world.stepEnemies(kTick);
            if (world.projectiles.size() != before) return i;
        }
        return -1;
    }

    World world;
};

}  // namespace bastion::testing_support

#pragma once

#include <memory>

#include "world/world.h"

namespace bastion::testing_support {

// An empty mission of the given campaign, running with an active pilot.
inline World missionWorld(int campaign, int mission) {
    World world;
    world.targets.clear();
    world.campaign = campaign;
    world.missionIndex = mission;
    world.pilot.status = kStatusActive;
    return world;
}

// A live target at `home`: a static object (unit type -1) or an enemy unit.
inline Target placed(int unitType, Vec3 home = {}) {
    Target target;
    target.unitType = unitType;
    target.home = home;
    target.position = home;
    target.extent = {1.0f, 1.0f, 1.0f};
    return target;
}

// Appends `target` and returns its index.
inline int add(World& world, const Target& target) {
    world.targets.push_back(target);
    return static_cast<int>(world.targets.size()) - 1;
}

// Brings target `index` down and lets the mission step deal with it.
inline void destroy(World& world, int index) {
    world.targets[static_cast<std::size_t>(index)].health = 0.0f;
    world.targetDestroyed(world.targets[static_cast<std::size_t>(index)]);
}

inline int soundsOfKind(const World& world, u32 kind) {
    int count = 0;
    for (const SoundEvent& sound : world.sounds) count += sound.kind == kind ? 1 : 0;
    return count;
}

}  // namespace bastion::testing_support

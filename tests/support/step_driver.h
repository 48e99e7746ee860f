#pragma once

#include "world/world.h"

namespace bastion::testing_support {

// A World on the test range armed with `loadout` and the default rig, in the
// given campaign, its pilot standing at the range's start.
inline World armedRange(const Loadout& loadout, int campaign = 0) {
    World world;
    world.campaign = campaign;
    world.configure(loadout, ArmRig{});
    return world;
}

// Steps the world `frames` times with the same input and frame time, without
// running projectiles or the mission; returns how many projectiles the
// frames added.
inline size_t hold(World& world, const Input& input, float dt, int frames = 1) {
    const size_t before = world.projectiles.size();
    for (int i = 0; i < frames; ++i) world.step(input, dt, false);
    return world.projectiles.size() - before;
}

// An input with no button down.
inline Input released() { return Input{}; }

// An input holding the fire buttons of the given mounts.
inline Input firing(std::initializer_list<int> mounts) {
    Input input;
    for (int mount : mounts) input.fire[mount] = true;
    return input;
}

}  // namespace bastion::testing_support

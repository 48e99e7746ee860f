#pragma once

#include "world/world.h"

namespace bastion::testing_support {

// An active pilot of the given co-op slot standing at `position`.
inline Pilot activePilot(int slot, Vec3 position) {
    Pilot pilot;
    pilot.status = kStatusActive;
    pilot.slot = slot;
    pilot.position = position;
    return pilot;
}

// Makes `world` a co-op world led by an active slot-0 pilot at `leader`, with
// `mate` in its session.
inline void joinCoop(World& world, Vec3 leader, Pilot& mate) {
    world.coop = true;
    world.pilot = activePilot(0, leader);
    world.session = {&world.pilot, &mate};
}

}  // namespace bastion::testing_support

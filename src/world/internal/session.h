#pragma once

#include "world/world.h"

namespace bastion {

// Whether a session entry is the leading pilot itself. A co-op room steps a
// member by copying it into the leading place, so the member's own entry is
// recognised by its slot as well as by its address.
inline bool isLeadingPilot(const World& world, const Pilot& other) {
    return &other == &world.pilot || other.slot == world.pilot.slot;
}

}  // namespace bastion

#pragma once

#include "world/world.h"

namespace bastion {

// What a destroyed target means for the mission: its slot and flags, the
// counters, a dropped pickup and the pilot's status. Runs right after the
// target's visual destruction, once per target.
void targetConsequences(World& world, Target& target);

}  // namespace bastion

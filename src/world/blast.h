#pragma once

#include "world/world.h"

namespace bastion {

// Whether a blast of `radius` at `centre` reaches a pilot: its reference point
// 6 above the ground lies closer than radius + 3.
bool blastReaches(const Pilot& pilot, Vec3 centre, float radius);

// Damages every pilot a blast reaches: each member of the session in a co-op
// world (the leading pilot too), else the leading pilot.
void blastPilots(World& world, Vec3 centre, float radius, float amount);

}  // namespace bastion

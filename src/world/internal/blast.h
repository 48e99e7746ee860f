#pragma once

#include "world/world.h"

namespace bastion {

// Whether a blast of `radius` at `centre` reaches a pilot: its reference point
// 6 above the ground lies closer than radius + 3.
bool blastReaches(const Pilot& pilot, Vec3 centre, float radius);

// Damages every pilot a blast reaches: each member of the session in a co-op
// world (the leading pilot too), else the leading pilot.
void blastPilots(World& world, Vec3 centre, float radius, float amount);

// World::explode without the pilots, inside the projectile step: only the
// targets whose boxes of the step lie near the blast are tested.
void explodeInStep(World& world, Vec3 centre, float radius, float damage);

// Bounds within which the projectile step looks for what a blast reaches
// from `centre`: within `reach` of it, grown for rounding.
Bounds blastBounds(Vec3 centre, float reach);

}  // namespace bastion

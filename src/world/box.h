#pragma once

#include "world/world.h"

namespace bastion {

// The point of the target's box (position ± extent) nearest to `point`.
Vec3 nearestBoxPoint(const Target& target, Vec3 point);

// SB1 mission index 2 protects its object tagged 32: blasts, blows and enemy
// fire leave it whole, only a player's direct grenade hit harms it.
bool shieldedObjective(const World& world, const Target& target);

}  // namespace bastion

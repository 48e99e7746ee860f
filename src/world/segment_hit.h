#pragma once

#include "world/math.h"
#include "world/target.h"

namespace bastion {

// Returned by `hit` when the segment misses.
inline constexpr float kMiss = 2.0f;

// Fraction in [0, 1] along the segment a to b at which it enters the box
// centre ± half (0 when a is inside), or kMiss. An axis along which the
// segment barely moves only asks a to lie within that slab.
float segment(Vec3 a, Vec3 b, Vec3 centre, Vec3 half);

// Fraction in [0, 1] along the segment a to b at which it enters the target's
// box grown by `radius` on every side (0 when a is inside), or kMiss.
// Shared by the aim ray, walking and the projectile step.
float hit(Vec3 a, Vec3 b, const Target& target, float radius);

}  // namespace bastion

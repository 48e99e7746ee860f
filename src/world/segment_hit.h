#pragma once

#include <algorithm>
#include <cmath>

#include "world/math.h"
#include "world/target.h"

namespace bastion {

// Returned by `hit` when the segment misses.
inline constexpr float kMiss = 2.0f;

// Fraction in [0, 1] along the segment a to b at which it enters the box
// centre ± half (0 when a is inside), or kMiss. An axis along which the
// segment barely moves only asks a to lie within that slab.
// Inline: the projectile step runs it for every candidate pair.
inline float segment(Vec3 a, Vec3 b, Vec3 box, Vec3 size) {
    const float from[3] = {a.x, a.y, a.z};
    const float to[3] = {b.x, b.y, b.z};
    const float centre[3] = {box.x, box.y, box.z};
    const float half[3] = {size.x, size.y, size.z};
    float lo = 0.0f, hi = 1.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float delta = to[axis] - from[axis];
        if (std::fabs(delta) < 1e-6f) {
            if (!(std::fabs(from[axis] - centre[axis]) <= half[axis])) return kMiss;
            continue;
        }
        const float t0 = (centre[axis] - half[axis] - from[axis]) / delta;
        const float t1 = (centre[axis] + half[axis] - from[axis]) / delta;
        // A non-finite segment or box never hits.
        if (std::isnan(t0) || std::isnan(t1)) return kMiss;
        lo = std::max(lo, std::min(t0, t1));
        hi = std::min(hi, std::max(t0, t1));
        if (lo > hi) return kMiss;
    }
    return lo;
}

// Fraction in [0, 1] along the segment a to b at which it enters the target's
// box grown by `radius` on every side (0 when a is inside), or kMiss.
// Shared by the aim ray, walking and the projectile step.
inline float hit(Vec3 a, Vec3 b, const Target& target, float radius) {
    return segment(a, b, target.position, target.extent + Vec3{radius, radius, radius});
}

}  // namespace bastion

#include "world/segment_hit.h"

#include <algorithm>
#include <cmath>

namespace bastion {

float segment(Vec3 a, Vec3 b, Vec3 box, Vec3 size) {
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

float hit(Vec3 a, Vec3 b, const Target& target, float radius) {
    return segment(a, b, target.position, target.extent + Vec3{radius, radius, radius});
}

}  // namespace bastion

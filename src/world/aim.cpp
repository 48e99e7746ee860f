#include <algorithm>
#include <cmath>

#include "world/segment_hit.h"
#include "world/world.h"

namespace bastion {
namespace {

// Unit type of targets that the aim ray passes through.
constexpr int kUntargetableUnit = 21;

}  // namespace

AimTrace World::traceAim(Vec3 from, Vec3 direction, float range) const {
    direction = normalize(direction);
    // A downward ray stops at height 0.
    if (direction.y < -0.0001f) range = std::min(range, std::max(-from.y / direction.y, 0.0f));
    const Vec3 end = from + direction * range;
    float best = 1.0f;
    AimTrace trace;
    for (size_t i = 0; i < targets.size(); ++i) {
        const Target& target = targets[i];
        if (!target.active || target.hidden || !(target.health > 0.0f) || target.unitType == kUntargetableUnit) {
            continue;
        }
        const float t = hit(from, end, target, 0.0f);
        if (t < best) {
            best = t;
            trace.target = static_cast<int>(i);
        }
    }
    trace.end = from + direction * range * best;
    return trace;
}

void World::lockHoming() {
    pilot.homing_target = -1;
    if (std::find(std::begin(pilot.weapons), std::end(pilot.weapons), kHomingMissiles) == std::end(pilot.weapons)) {
        return;
    }
    const Vec3 aim = direction(pilot.angles[2], pilot.angles[3]);
    const Vec3 eye = eyePosition(pilot);
    float best = 0.985f;  // a cone of about 9.9 degrees around the aim
    for (size_t i = 0; i < targets.size(); ++i) {
        const Target& target = targets[i];
        if (!target.active || target.hidden || !(target.health > 0.0f) || target.critical || target.hasDestination ||
            target.unitType < 0 || target.unitType == kUntargetableUnit) {
            continue;
        }
        const Vec3 v = target.position - eye;
        const float distance = length(v);
        if (!(distance >= 3.0f && distance <= 800.0f)) continue;
        const float c = dot(normalize(v), aim);
        // Only a unit that nothing stands in front of may be locked.
        if (c > best && traceAim(eye, v, distance + 1.0f).target == static_cast<int>(i)) {
            pilot.homing_target = static_cast<int>(i);
            best = c;
        }
    }
}

}  // namespace bastion

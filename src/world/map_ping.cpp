#include "world/world.h"

namespace bastion {

void World::pingMap(unsigned which) {
    if (which >= 2 || pilot.dead || !(pilot.health > 0.0f) || pilot.status != kStatusActive) return;
    float& refusedUntil = pilot.map_ping[2 + which];
    if (refusedUntil > missionTime) return;
    refusedUntil = missionTime + 0.35f;
    if (which == 0) {
        pilot.map_ping[0] = missionTime + 6.0f;
        return;
    }
    const AimTrace trace = traceAim(eyePosition(pilot), direction(pilot.angles[2], pilot.angles[3]), 1000.0f);
    pilot.ping_target = trace.target;
    pilot.ping_position = trace.end;
    if (trace.target < 0) pilot.ping_position.y = 0.0f;
    pilot.map_ping[1] = missionTime + 6.0f;
}

Vec3 World::mapPingPosition(const Pilot& other) const {
    const int index = other.ping_target;
    if (index >= 0 && static_cast<size_t>(index) < targets.size()) {
        const Target& target = targets[static_cast<size_t>(index)];
        // The ping follows a live target.
        if (target.active && !target.hidden && target.health > 0.0f) return target.position;
    }
    return other.ping_position;
}

}  // namespace bastion

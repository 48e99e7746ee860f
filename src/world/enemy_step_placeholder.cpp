// PLACEHOLDER until the enemy AI lands on main: delete this file then.
// It lets the mission rules link and be tested; the enemy units stand still.
#include <algorithm>
#include <cmath>

#include "world/world.h"

namespace bastion {

void World::stepEnemies(float) {}

float World::nearestPlayerRange(Vec3 point) const {
    auto range = [&](const Pilot& p) {
        return std::max(std::fabs(p.position.x - point.x), std::fabs(p.position.z - point.z));
    };
    if (!coop) return range(pilot);
    float nearest = 1e9f;
    for (const Pilot* p : session) {
        if (p && !p->dead && p->health > 0.0f) nearest = std::min(nearest, range(*p));
    }
    return nearest;
}

bool World::triggerReady(u32 trigger) const {
    const bool flag = ((missionFlags >> (trigger & 31u)) & 1u) != 0;
    if ((trigger >> 14) == 1) return flag;
    if (trigger < 16384) return missionTime >= static_cast<float>(trigger);
    return !flag;
}

}  // namespace bastion

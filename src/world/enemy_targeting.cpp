#include <algorithm>
#include <cmath>

#include "world/internal/enemy_ai.h"
#include "world/segment_hit.h"

namespace bastion {
namespace {

constexpr float kNoPilot = 1e9f;
constexpr float kPilotAimHeight = 6.0f;
constexpr float kSightBlocked = 0.999f;

float chebyshev(Vec3 a, Vec3 b) { return std::max(std::fabs(a.x - b.x), std::fabs(a.z - b.z)); }

bool fights(const Pilot& pilot) { return !pilot.dead && pilot.health > 0.0f; }

bool standing(const Target& target) { return target.active && target.health > 0.0f && !target.hidden; }

// Only buildings, trucks and trailers stand in the way of a shot.
bool blocksSight(const Target& target) {
    return target.unitType == kStaticObject || target.unitType == 8 || target.unitType == 11;
}

}  // namespace

const Pilot* livingSessionPilot(const World& world, int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= world.session.size()) return nullptr;
    const Pilot* pilot = world.session[static_cast<std::size_t>(i)];
    return pilot && fights(*pilot) ? pilot : nullptr;
}

int indexOf(const World& world, const Target& target) {
    if (world.targets.empty()) return -1;
    const Target* first = world.targets.data();
    if (&target < first || &target >= first + world.targets.size()) return -1;
    return static_cast<int>(&target - first);
}

bool World::triggerReady(u32 trigger) const {
    const u32 flag = 1u << (trigger & 31u);
    if ((trigger >> 14) == 1) return (missionFlags & flag) != 0;
    if (trigger < 16384) return missionTime >= static_cast<float>(trigger);
    return (missionFlags & flag) == 0;
}

float World::nearestPlayerRange(Vec3 point) const {
    if (!coop) return chebyshev(point, pilot.position);
    float nearest = kNoPilot;
    for (std::size_t i = 0; i < session.size(); ++i) {
        if (const Pilot* other = livingSessionPilot(*this, static_cast<int>(i)))
            nearest = std::min(nearest, chebyshev(point, other->position));
    }
    return nearest;
}

void World::selectPlayerTargets(float dt) {
    if (!coop) return;
    for (Target& unit : targets) {
        if (unit.unitType < 0 || !unit.active || !(unit.health > 0.0f)) continue;
        unit.retargetTimer -= dt;
        if (unit.retargetTimer > 0.0f && livingSessionPilot(*this, unit.chosenPilot)) continue;
        // Nearer pilots are likelier to be picked.
        float total = 0.0f;
        for (std::size_t i = 0; i < session.size(); ++i) {
            if (const Pilot* other = livingSessionPilot(*this, static_cast<int>(i))) {
                const float distance = length(other->position - unit.position);
                total += 1.0f / (distance * distance + 25.0f);
            }
        }
        float pick = total * static_cast<float>(uniform(random));
        unit.chosenPilot = -1;
        for (std::size_t i = 0; i < session.size(); ++i) {
            const Pilot* other = livingSessionPilot(*this, static_cast<int>(i));
            if (!other) continue;
            const float distance = length(other->position - unit.position);
            unit.chosenPilot = static_cast<int>(i);
            pick -= 1.0f / (distance * distance + 25.0f);
            if (pick <= 0.0f) break;
        }
        unit.retargetTimer = 2.0f + 3.0f * static_cast<float>(uniform(random));
    }
}

Vec3 World::enemyDestination(const Target& unit, int& id) const {
    const int slot = unit.attackSlot;
    if (slot >= 1 && slot <= 31) {
        const int index = slots[slot];
        if (index >= 0 && static_cast<std::size_t>(index) < targets.size() &&
            standing(targets[static_cast<std::size_t>(index)])) {
            id = index;
            return targets[static_cast<std::size_t>(index)].position;
        }
    }
    const Vec3 raise{0.0f, kPilotAimHeight, 0.0f};
    if (coop) {
        if (const Pilot* chosen = livingSessionPilot(*this, unit.chosenPilot)) {
            id = sessionPilotId(static_cast<std::size_t>(unit.chosenPilot));
            return chosen->position + raise;
        }
    }
    id = kLeadingPilotId;
    return pilot.position + raise;
}

bool World::enemyLineOfSight(Vec3 from, Vec3 to, int skip1, int skip2) const {
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const int index = static_cast<int>(i);
        if (index == skip1 || index == skip2) continue;
        const Target& other = targets[i];
        if (!standing(other) || !blocksSight(other)) continue;
        if (segment(from, to, other.position, other.extent) < kSightBlocked) return false;
    }
    return true;
}

}  // namespace bastion

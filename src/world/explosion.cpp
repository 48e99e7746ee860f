#include <algorithm>

#include "world/blast.h"
#include "world/box.h"
#include "world/session.h"
#include "world/world.h"

namespace bastion {

bool blastReaches(const Pilot& pilot, Vec3 centre, float radius) {
    return length(pilot.position + Vec3{0.0f, 6.0f, 0.0f} - centre) < radius + 3.0f;
}

void blastPilots(World& world, Vec3 centre, float radius, float amount) {
    if (!world.coop) {
        if (blastReaches(world.pilot, centre, radius)) world.damagePilot(world.pilot, amount);
        return;
    }
    for (Pilot* member : world.session) {
        if (member && blastReaches(*member, centre, radius)) world.damagePilot(*member, amount);
    }
}

void World::explode(Vec3 centre, float radius, float damage, bool hurtPilots) {
    for (Target& target : targets) {
        if (!target.active || shieldedObjective(*this, target)) continue;
        if (length(nearestBoxPoint(target, centre) - centre) >= radius) continue;
        if (target.health <= 0.0f || target.hasDestination) continue;
        target.health -= damage;
        if (target.health <= 0.0f) ++kills;
    }
    if (!hurtPilots || !coop) return;
    for (Pilot* member : session) {
        if (member && !isLeadingPilot(*this, *member) && blastReaches(*member, centre, radius)) damagePilot(*member, damage);
    }
}

}  // namespace bastion

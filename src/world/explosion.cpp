#include <algorithm>

#include "world/internal/blast.h"
#include "world/internal/box.h"
#include "world/internal/mission_rules.h"
#include "world/internal/session.h"
#include "world/world.h"

namespace bastion {

namespace {

// Broad-phase bounds grow by this share of their coordinates' size, far more
// than the rounding of the exact test.
constexpr float kBroadPhaseSlack = 1e-3f;

void blastTarget(World& world, Target& target, Vec3 centre, float radius, float damage) {
    if (!target.active || shieldedObjective(world, target)) return;
    if (length(nearestBoxPoint(target, centre) - centre) >= radius) return;
    if (target.health <= 0.0f || target.hasDestination) return;
    target.health -= damage;
    if (target.health <= 0.0f) ++world.kills;
}

}  // namespace

Bounds blastBounds(Vec3 centre, float reach) { return boxBounds(centre, {reach, reach, reach}, kBroadPhaseSlack); }

// A box out of the bounds lies beyond the radius along one axis; the
// distance is never below one axis's gap (the square root of a rounded
// square gives the number back, and the slack keeps it clear of underflow).
void explodeInStep(World& world, Vec3 centre, float radius, float damage) {
    ProjectileStepBuffers& buffers = world.projectileBuffers;
    if (!buffers.broadPhase) {
        world.explode(centre, radius, damage, false);
        return;
    }
    findOverlaps(buffers.boxes, blastBounds(centre, radius), buffers.found);
    for (const std::size_t k : buffers.found) blastTarget(world, world.targets[k], centre, radius, damage);
}

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
    for (Target& target : targets) blastTarget(*this, target, centre, radius, damage);
    if (!hurtPilots || !coop) return;
    for (Pilot* member : session) {
        if (member && !isLeadingPilot(*this, *member) && blastReaches(*member, centre, radius)) damagePilot(*member, damage);
    }
}

}  // namespace bastion

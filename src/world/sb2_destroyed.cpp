#include "world/internal/mission_rules.h"
#include "world/internal/objective_region.h"

namespace bastion {
namespace {

void unitLost(World& world, const Target& unit) {
    if (unit.unitType >= kEnemyTypeCount) return;
    ++world.killsByType[unit.unitType];
    if (unit.unitType == kTruckUnit) --world.counters[0];
    if (unit.unitType == kCarBombUnit) ++world.counters[1];
    if (unit.unitType == kShipUnit) setMissionFlag(world, unit.flagBit);
}

// Slot 1 follows the protected object with the smallest tag that still
// stands; when none is left, flag 24 says so.
void handOverProtection(World& world, const Target& lost) {
    int next = -1;
    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        const Target& t = world.targets[i];
        if (&t == &lost || t.unitType >= 0 || !t.critical || t.destroyed || !(t.health > 0.0f)) continue;
        if (next < 0 || t.tag < world.targets[static_cast<std::size_t>(next)].tag) next = static_cast<int>(i);
    }
    world.slots[1] = next;
    if (next < 0) setMissionFlag(world, kProtectedGoneFlag);
}

void staticObjectLost(World& world, const Target& object) {
    world.applyMissionAction(object.action);
    const Vec3 home = object.home;
    if (inSB2Mission(world, 0) && inObjectiveRegion(world.objectiveRegions, home)) --world.counters[2];
    if (inSB2Mission(world, 1) && within(home.x, 238.08f, 273.92f) && within(home.z, -309.76f, -222.72f))
        --world.counters[0];
    if ((inSB2Mission(world, 14) || inSB2Mission(world, 17)) && object.tag <= 127) --world.counters[0];
    if (object.tag >= 0 && object.tag <= 31) dropPickup(world, object.tag, home);
    if (object.critical) handOverProtection(world, object);
}

}  // namespace

void World::destroyedSB2(Target& target) {
    if (target.unitType < 0) {
        staticObjectLost(*this, target);
    } else {
        unitLost(*this, target);
    }
}

}  // namespace bastion

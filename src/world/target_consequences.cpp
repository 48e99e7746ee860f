#include "world/internal/target_consequences.h"

#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

void staticObjectLost(World& world, const Target& object) {
    world.applyMissionAction(object.action);
    if (inSB1Mission(world, 10) && within(object.home.x, 14.08f, 290.56f) &&
        within(object.home.z, -71.68f, 102.4f)) {
        --world.counters[2];
    }
    if (inSB1Mission(world, 12) && object.tag < 128) --world.counters[1];
    if (object.tag >= 0 && object.tag <= 31) dropPickup(world, object.tag, object.home);
}

void unitLost(World& world, const Target& unit) {
    switch (unit.unitType) {
        case kWalkerUnit:
        case kTruckUnit:
            countDown(world.counters[0]);
            if (unit.unitType == kTruckUnit && inSB1Mission(world, 6) && unit.parameters[1] == 2)
                dropPickup(world, 14, unit.home);
            break;
        case kShipUnit:
            if (!inSB1Mission(world, 1)) countDown(world.counters[0]);
            setMissionFlag(world, unit.flagBit);
            break;
        case kTankUnit:
            if (inSB1Mission(world, 5)) countDown(world.counters[0]);
            break;
        default: break;
    }
}

}  // namespace

void targetConsequences(World& world, Target& target) {
    releaseMissionSlot(world, target);
    if (target.unitType == kTruckUnit && inSB1Mission(world, 6))
        clearMissionFlag(world, static_cast<u32>(target.parameters[1]) & 31u);

    if (world.pilot.status == kStatusIdle || world.prototype) return;
    if (world.campaign != 0) {
        world.destroyedSB2(target);
        return;
    }
    if (target.unitType < 0) {
        staticObjectLost(world, target);
    } else {
        unitLost(world, target);
    }
    // Losing a protected building loses the mission; a protected truck only
    // counts down.
    if (target.critical && target.unitType != kTruckUnit) loseMission(world);
}

}  // namespace bastion

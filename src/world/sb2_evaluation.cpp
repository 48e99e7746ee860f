#include <algorithm>
#include <unordered_set>

#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr u32 kCannotActivate = (1u << 1) | (1u << 2);
constexpr int kGroundGroups = 3;
constexpr int kGroupStrength = 6;

// Units of `type` still to be beaten: live ones on the map or waiting to
// activate, and the ones their generators have yet to release.
int remainingUnits(const World& world, int type) {
    int count = 0;
    for (const Target& t : world.targets) {
        if (t.unitType != type || t.host >= 0 || !(t.health > 0.0f) || t.destroyed || t.hidden) continue;
        if (t.active || (!t.derived && (t.flags & kCannotActivate) == 0)) ++count;
    }
    for (const Generator& g : world.generators) {
        if (g.unitTemplate.unitType == type) count += g.remaining;
    }
    return count;
}

// Mission 10: flag g stands while ground group g still holds six units that
// were on the ground from the start.
void markGroundGroups(World& world) {
    std::unordered_set<u64> airDropped;
    for (const CargoFlight& flight : world.cargoFlights) airDropped.insert(flight.slots.begin(), flight.slots.end());
    int strength[kGroundGroups] = {0, 0, 0};
    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        const Target& t = world.targets[i];
        if (!t.active || !(t.health > 0.0f) || t.hidden || airDropped.count(i) != 0) continue;
        if (t.group >= 0 && t.group < kGroundGroups) ++strength[t.group];
    }
    for (int g = 0; g < kGroundGroups; ++g) {
        if (strength[g] >= kGroupStrength) {
            setMissionFlag(world, static_cast<u32>(g));
        } else {
            clearMissionFlag(world, static_cast<u32>(g));
        }
    }
}

MissionVerdict judge(World& world) {
    const int* c = world.counters;
    const int* kills = world.killsByType;
    switch (world.missionIndex) {
        case 0: lightProgressFlags(world); return {false, c[2] == 0};
        case 1:
        case 2:
        case 11:
        case 12:
        case 14: return {false, c[0] == 0};
        case 3: return {missionFlag(world, kProtectedGoneFlag), kills[14] >= 3};
        case 4:
        case 8: return {c[0] <= 0, missionFlag(world, kConvoyArrivedFlag)};
        case 5: return {c[0] >= 4, c[1] >= 9};
        case 6: return {missionFlag(world, kProtectedGoneFlag), remainingUnits(world, kShipUnit) == 0};
        case 7: return {false, c[0] == 0 && c[1] == 0 && kills[18] >= 5};
        case 9: return {missionFlag(world, kConvoyArrivedFlag), c[0] == 0};
        case 10:
            return {false, world.missionTime >= 300.0f && remainingUnits(world, 11) == 0 &&
                               remainingUnits(world, 0) == 0 && remainingUnits(world, 14) == 0};
        case 13: return {c[0] <= 0, kills[3] >= 2};
        case 15: return {world.missionTime > 720.0f, kills[9] >= 6};
        case 16:
        case 17: return {false, c[0] <= 0};
        case 18: {
            const int lit = std::min(kills[14], 8);
            for (int f = 0; f < lit; ++f) setMissionFlag(world, static_cast<u32>(f));
            return {c[0] <= 0, missionFlag(world, kConvoyArrivedFlag)};
        }
        case 19: return {false, kills[19] >= 1 && remainingUnits(world, 19) == 0};
        default: return {};
    }
}

}  // namespace

void World::evaluateSB2() {
    if (pilot.status != kStatusActive) return;
    if (missionIndex == 10) markGroundGroups(*this);
    settleMission(*this, judge(*this));
}

}  // namespace bastion

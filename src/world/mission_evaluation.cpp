#include <algorithm>
#include <string>

#include "procedural/internal/mission_update.h"
#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr int kAirCover = 6;

// Mission 9 is won only once the helicopter screen has thinned out.
bool airCoverBroken(const World& world) {
    const auto flying = std::count_if(world.targets.begin(), world.targets.end(), [](const Target& t) {
        return t.unitType == kHelicopterUnit && t.active && t.health > 0.0f;
    });
    return flying < kAirCover;
}

MissionVerdict judgeSB1(const World& world) {
    const int* c = world.counters;
    const bool taken = missionFlag(world, kObjectiveTakenFlag);
    switch (world.missionIndex) {
        case 0:
        case 3:
        case 8: return {false, c[0] == 0 && taken};
        case 1:
            return {world.missionTime >= 480.0f, missionFlag(world, 0) && missionFlag(world, 1) && c[0] == 0};
        case 2:
        case 4:
        case 14: return {false, c[0] == 0};
        case 5:
        case 11: return {missionFlag(world, 0), c[0] == 0};
        case 6: return {missionFlag(world, kConvoyArrivedFlag), c[0] == 0 && taken};
        case 7: return {world.missionTime >= 750.0f, c[0] == 0};
        case 9: return {false, c[0] == 0 && airCoverBroken(world)};
        case 10: return {false, c[2] == 0};
        case 12: return {false, c[1] == 0};
        case 13: return {c[0] == 0, missionFlag(world, kConvoyArrivedFlag)};
        case 15: return {false, c[0] == 0 && c[1] == 0};
        default: return {};
    }
}

// A seeded prototype is won once every marked target is down.
MissionVerdict judgePrototype(World& world) {
    const auto standing = std::count_if(world.targets.begin(), world.targets.end(),
                                        [](const Target& t) { return t.health > 0.0f && t.prototypeObjective; });
    world.objectiveText = "PROTOTYPE / SEED " + std::to_string(world.prototypeSeed) + " / DESTROY " +
                          std::to_string(standing) + " TARGETS";
    return {false, standing == 0};
}

}  // namespace

void World::evaluateMission() {
    if (pilot.status != kStatusActive) return;
    if (procedural) {
        updateProceduralMission(*this, 0.0f);
        return;
    }
    if (!prototype && campaign != 0) {
        evaluateSB2();
        return;
    }
    const MissionVerdict verdict = prototype ? judgePrototype(*this) : judgeSB1(*this);
    settleMission(*this, verdict);
}

}  // namespace bastion

#include <algorithm>

#include "procedural/internal/mission_update.h"
#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

// Zone and progress rules of single SB1 missions that run every step.
void sb1StepRules(World& world) {
    if (world.campaign != 0) return;
    switch (world.missionIndex) {
        case 3:
            // Counter 1 reaching zero opens flag 0 once; -1 marks it done.
            if (world.counters[1] == 0) {
                world.counters[1] = -1;
                setMissionFlag(world, 0);
            }
            break;
        case 5: checkSB1ZoneRule(world); break;
        case 10: lightProgressFlags(world); break;
        default: break;
    }
}

// SB1 mission 13: the convoy is through once every truck still running has
// left the map.
void checkConvoyThrough(World& world) {
    if (!inSB1Mission(world, 13)) return;
    bool any = false;
    bool allGone = true;
    for (const Target& t : world.targets) {
        if (t.unitType != kTruckUnit || !(t.health > 0.0f) || t.derived || (t.flags & kHoldsPosition) != 0) continue;
        any = true;
        allGone = allGone && t.hidden;
    }
    if (any && allGone) setMissionFlag(world, kConvoyArrivedFlag);
}

// The outcome is heard on the step on which the rules decide it.
void announceOutcome(World& world, int before) {
    const int now = world.pilot.status;
    if (now == before || (now != kStatusWon && now != kStatusLost)) return;
    world.sounds.push_back({now == kStatusWon ? SoundEvent::kWon : SoundEvent::kLost, 0,
                            eyePosition(world.pilot)});
}

}  // namespace

void World::stepMission(float dt) {
    if (pilot.status != kStatusActive) return;
    missionTime += dt;
    stepGenerators(dt);
    sb1StepRules(*this);
    stepEnemies(dt);

    const int beforeDestruction = pilot.status;
    for (Target& target : targets) {
        if (target.active && target.health <= 0.0f && !target.destroyed) targetDestroyed(target);
    }
    if (pilot.status != kStatusActive) {
        announceOutcome(*this, beforeDestruction);
        return;
    }

    if (!coop) collectPickups();
    checkConvoyThrough(*this);
    if (procedural) {
        updateProceduralMission(*this, dt);
    } else {
        evaluateMission();
    }
    announceOutcome(*this, kStatusActive);
}

}  // namespace bastion

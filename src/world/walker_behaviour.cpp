#include <numbers>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr float kMeleeRange = 4.0f;
constexpr float kMeleeDamage = 12.0f;
constexpr float kMeleePause = 8.0f;
constexpr float kChaseBeyondSight = 20.0f;
constexpr float kBlindTime = -3.0f;
constexpr float kSidestepTime = 2.0f;
constexpr float kAfterBurst = 3.0f;
constexpr float kSidestepDistance = 20.0f;

bool firesRockets(const EnemyView& view) {
    if (!view.sb2()) {
        const int mission = view.world.missionIndex;
        return mission == 4 || mission == 11 || mission == 15;
    }
    return (view.unit.parameters[3] & 1) != 0;
}

Burst walkerBurst(const EnemyView& view) {
    const Target& unit = view.unit;
    const int count = unit.parameters[2] != 0 ? unit.parameters[2] : 4;
    // The guns on either side take turns.
    const Vec3 muzzle{unit.sideCounter % 2 == 0 ? 1.7f : -1.7f, 1.8f, 0.0f};
    if (firesRockets(view)) return {count, 0.375f, 3.0f, kRocket, 70.0f, 20.0f, 5.0f, muzzle};
    return {count, 1.0f / 16.0f, 3.0f, kShot, 64.0f, 5.0f, 0.0f, muzzle};
}

// Steps sideways across the line to the target, the side by the count.
void sidestep(EnemyView& view) {
    const float side = view.unit.sideCounter % 2 == 0 ? 1.0f : -1.0f;
    const float bearing = headingOf(view.d) + side * std::numbers::pi_v<float> / 2.0f;
    steerToward(view, view.unit.home + headingVector(bearing) * kSidestepDistance, view.unit.speed, false);
}

}  // namespace

// Walkers patrol until something draws them in; then they chase, fight at
// range with side-stepping between bursts, or strike at close quarters.
void walkerBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    if (!view.alerted && !view.hit && unit.state == kStatePatrol) {
        followRoute(view, false);
        return;
    }
    if (view.h < kMeleeRange) {
        enterState(unit, kStateMelee);
        melee(view, kMeleeDamage, kMeleePause);
        return;
    }
    if (view.h > view.sight + kChaseBeyondSight) {
        enterState(unit, kStateApproach);
        steerToward(view, view.aim, unit.speed, false);
        return;
    }
    if (unit.state == kStateBreakOff || unit.state == kStateSidestep) {
        if (unit.stateTimer > 0.0f) {
            sidestep(view);
            return;
        }
    }
    enterState(unit, kStateAttack);
    if (unit.stateTimer < kBlindTime && !view.clear) {
        enterState(unit, kStateSidestep);
        unit.stateTimer = kSidestepTime;
        unit.sideCounter += 1;
        sidestep(view);
        return;
    }
    if (burstFire(view, walkerBurst(view))) {
        unit.sideCounter += 1;
        enterState(unit, kStateBreakOff);
        unit.stateTimer = kAfterBurst;
    }
}

}  // namespace bastion

#include <algorithm>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr float kBomberWakeRange = 300.0f;
constexpr float kBomberWakeTime = 6.0f;
constexpr float kAttackHeight = 20.0f;
constexpr float kBombDamage = 40.0f;
constexpr float kBombRadius = 10.0f;
constexpr float kLeaveTime = 3.0f;
constexpr float kFlyPastRange = 18.0f;
constexpr float kFlyPastTime = 3.0f;
constexpr float kFighterRange = 160.0f;

void closeIn(EnemyView& view) {
    const Vec3 point{view.aim.x, std::max(view.unit.anchor.y, kAttackHeight), view.aim.z};
    steerToward(view, point, view.unit.speed, true);
}

void bombingRun(EnemyView& view) {
    Target& unit = view.unit;
    flyStraight(view, true);
    if (view.hit && view.has(kBit02)) unit.secondaryLeft = 0;
    if (unit.secondaryLeft > 0 && unit.fireTimer <= 0.0f) {
        view.world.enemyFire(view.index, view.aim, view.victim, kGrenade, unit.speed, kBombDamage, kBombRadius, {});
        unit.secondaryLeft -= 1;
        unit.fireTimer = std::max(view.word(1, 256.0f), 0.04f);
    }
    if (unit.secondaryLeft <= 0) {
        unit.passes -= 1;
        enterState(unit, kStateLeave);
        unit.stateTimer = kLeaveTime;
    }
}

void leave(EnemyView& view) {
    Target& unit = view.unit;
    flyStraight(view, true);
    if (!(view.reach > kBomberWakeRange) || unit.stateTimer > 0.0f) return;
    if (view.has(kBit01) && unit.passes > 0)
        enterState(unit, kStateApproach);
    else
        view.world.retireEnemy(unit, true);
}

}  // namespace

// Bombers wait for the target, fly in, lay a stick of bombs in a straight
// run, fly on and come back for more passes or leave the map.
void bomberBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    switch (unit.state) {
    case kStateApproach:
        closeIn(view);
        if (view.reach <= view.sight) {
            enterState(unit, kStateRun);
            unit.secondaryLeft = std::max(unit.parameters[2], 1);
        }
        break;
    case kStateRun: bombingRun(view); break;
    case kStateLeave: leave(view); break;
    default:
        enterState(unit, kStatePatrol);
        if (view.reach <= kBomberWakeRange || view.world.missionTime > kBomberWakeTime)
            enterState(unit, kStateApproach);
        break;
    }
    bankToward(view);
}

// Fighters on a route patrol it; without one they chase the target and
// overshoot it in a straight fly-past before turning back.
void fighterBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    if (!unit.route.empty()) {
        enterState(unit, kStatePatrol);
        followRoute(view, false);
    } else if (unit.state == kStateLeave && unit.stateTimer > 0.0f) {
        flyStraight(view, true);
    } else {
        enterState(unit, kStateApproach);
        closeIn(view);
        if (view.h < kFlyPastRange) {
            enterState(unit, kStateLeave);
            unit.stateTimer = kFlyPastTime;
        }
    }
    if (view.reach <= kFighterRange) burstFire(view, {4, 0.1f, 2.0f, kShot, 130.0f, 5.0f, 0.0f, {}});
    bankToward(view);
}

}  // namespace bastion

#include <algorithm>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr float kTurretRate = 0.8f;
constexpr float kTooClose = 8.0f;
constexpr float kRetreatTime = 4.0f;
constexpr float kRocketRange = 40.0f;
constexpr float kLastDitchHealth = 8.0f;

void retreat(EnemyView& view) {
    const Vec3 away = view.unit.home - view.d;
    steerToward(view, away, view.unit.speed, false);
}

void lastDitchRocket(EnemyView& view, bool heavy) {
    Target& unit = view.unit;
    view.world.enemyFire(view.index, view.aim, view.victim, kRocket, heavy ? 140.0f : 70.0f, 20.0f, 5.0f, {});
    unit.rocketUsed = true;
    unit.fireTimer = 1.0f;
}

}  // namespace

// Tanks patrol until alerted, then hold or close in and fire bursts; one
// backs off from a walker at close quarters, and a badly hurt one spends
// its single rocket.
void tankBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    if (!view.alerted) {
        enterState(unit, kStatePatrol);
        followRoute(view, false);
        aimTurret(view, kTurretRate);
        return;
    }
    if (unit.state == kStateBreakOff && unit.stateTimer > 0.0f) {
        retreat(view);
        return;
    }
    if (view.h < kTooClose) {
        enterState(unit, kStateBreakOff);
        unit.stateTimer = kRetreatTime;
        retreat(view);
        return;
    }
    if (view.has(kBit04) || !view.has(kBit02)) {
        enterState(unit, kStateAttack);
    } else {
        const float stand = std::max(view.word(3, 100.0f), kTooClose);
        if (view.h > stand) {
            enterState(unit, kStateApproach);
            steerToward(view, view.aim, unit.speed, false);
        } else {
            enterState(unit, kStateAttack);
        }
    }
    const bool heavy = view.has(kBit40);
    const bool aimed = aimTurret(view, kTurretRate);
    if (unit.health <= kLastDitchHealth && view.h > kRocketRange && view.clear && aimed && !unit.rocketUsed) {
        lastDitchRocket(view, heavy);
        return;
    }
    const Burst burst{unit.parameters[2], view.word(1, 256.0f), 2.0f, kShot, heavy ? 128.0f : 64.0f,
                      heavy ? 16.0f : 4.0f, 0.0f, {}};
    burstFireAimed(view, aimed, burst);
}

}  // namespace bastion

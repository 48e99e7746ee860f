#include <algorithm>
#include <cmath>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr float kDefaultAttackRange = 70.0f;
constexpr float kApproachHeight = 16.0f;
constexpr float kHoverAbove = 8.0f;
constexpr float kHoverFloor = 12.0f;
constexpr float kClimbRate = 3.0f;
constexpr float kFlyOffTime = 5.0f;
constexpr float kFlyOffDistance = 40.0f;
constexpr float kFlyOffHeight = 18.0f;

Burst helicopterBurst(const EnemyView& view) {
    const int weapon = view.unit.parameters[4];
    const ProjectileKind kind = weapon == 1 ? kRocket : weapon == 2 ? kGrenade : kShot;
    const bool heavy = kind != kShot;
    return {view.unit.parameters[3], view.word(2, 256.0f), 5.0f, kind, heavy ? 70.0f : 64.0f,
            heavy ? 20.0f : 4.0f, heavy ? 5.0f : 0.0f, {}};
}

// After a burst it swings away from the target, to one side by its index.
void flyOff(EnemyView& view) {
    const Target& unit = view.unit;
    const float side = view.index % 2 == 1 ? 1.0f : -1.0f;
    const float away = headingOf(-view.d) + side;
    Vec3 point = unit.home + headingVector(away) * kFlyOffDistance;
    point.y = std::max(unit.anchor.y, kFlyOffHeight);
    steerToward(view, point, unit.speed, true);
}

void hover(EnemyView& view) {
    Target& unit = view.unit;
    float height = std::max(view.aim.y + kHoverAbove, kHoverFloor);
    if (view.world.procedural) height = std::max(height, unit.anchor.y);
    const float climb = kClimbRate * view.dt;
    view.world.moveEnemy(view.index, {0.0f, std::clamp(height - unit.home.y, -climb, climb), 0.0f}, view.dt, true);
}

}  // namespace

// Helicopters patrol, fly in when alerted, hover to fire a burst, then swing
// away and come round again.
void helicopterBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    if (unit.state == kStateBreakOff && unit.stateTimer > 0.0f) {
        flyOff(view);
        return;
    }
    if (!view.alerted) {
        enterState(unit, kStatePatrol);
        followRoute(view, false);
        return;
    }
    const float attackRange = unit.parameters[1] != 0 ? view.word(1, 100.0f) : kDefaultAttackRange;
    if (view.h > attackRange) {
        enterState(unit, kStateApproach);
        const Vec3 point{view.aim.x, std::max(unit.anchor.y, kApproachHeight), view.aim.z};
        steerToward(view, point, unit.speed, true);
        return;
    }
    enterState(unit, kStateAttack);
    hover(view);
    if (burstFire(view, helicopterBurst(view))) {
        enterState(unit, kStateBreakOff);
        unit.stateTimer = kFlyOffTime;
    }
}

}  // namespace bastion

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr int kRocketWalker = 11;
constexpr int kBrawler = 14;
constexpr int kGunner = 19;
constexpr float kMeleeRange = 5.0f;
constexpr float kMeleeDamage = 15.0f;
constexpr float kMeleePause = 2.0f;
constexpr float kRocketMinimum = 12.0f;

float engageRange(int type) {
    switch (type) {
    case kRocketWalker: return 65.0f;
    case kBrawler: return 45.0f;
    default: return 100.0f;
    }
}

Burst mainBurst(const Target& unit) {
    const Vec3 muzzle{unit.sideCounter % 2 == 0 ? 2.0f : -2.0f, 2.0f, 0.0f};
    if (unit.unitType == kGunner) return {8, 0.12f, 1.2f, kShot, 100.0f, 8.0f, 0.0f, muzzle};
    if (unit.unitType == kRocketWalker) return {5, 0.16f, 2.5f, kRocket, 70.0f, 5.0f, 6.0f, muzzle};
    return {5, 0.16f, 2.5f, kShot, 100.0f, 5.0f, 0.0f, muzzle};
}

// The shoulder rocket fires from the side opposite the gun.
void shoulderRocket(EnemyView& view) {
    Target& unit = view.unit;
    if (unit.secondaryTimer > 0.0f || !view.clear || !(view.h > kRocketMinimum)) return;
    const bool gunner = unit.unitType == kGunner;
    const Vec3 muzzle{unit.sideCounter % 2 == 0 ? -2.0f : 2.0f, 3.0f, 0.0f};
    view.world.enemyFire(view.index, view.aim, view.victim, kRocket, 80.0f, gunner ? 25.0f : 18.0f, 6.0f, muzzle);
    if (!gunner)
        unit.secondaryTimer = 6.0f;
    else
        unit.secondaryTimer = unit.health < 0.5f * unit.initialHealth ? 2.0f : 4.0f;
    unit.sideCounter += 1;
}

}  // namespace

// The SB2 mechs: patrol until alerted (the gunner always is), chase into
// their engage range and fight there; the brawler also strikes up close,
// and the brawler and the gunner carry a shoulder rocket.
void heavyWalkerBehaviour(EnemyView& view) {
    Target& unit = view.unit;
    const int type = unit.unitType;
    if (!view.alerted && type != kGunner) {
        enterState(unit, kStatePatrol);
        followRoute(view, false);
        return;
    }
    if (type == kBrawler && view.h < kMeleeRange) {
        enterState(unit, kStateMelee);
        melee(view, kMeleeDamage, kMeleePause);
        return;
    }
    if (view.h <= engageRange(type) && view.clear) {
        enterState(unit, kStateAttack);
        burstFire(view, mainBurst(unit));
    } else {
        enterState(unit, kStateApproach);
        steerToward(view, view.aim, unit.speed, false);
    }
    if (type != kRocketWalker) shoulderRocket(view);
}

}  // namespace bastion

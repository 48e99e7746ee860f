#include <algorithm>

#include "world/internal/box.h"
#include "world/internal/mission_rules.h"
#include "world/internal/session.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kStrikeReach = 2.5f;
constexpr float kPilotReach = 5.5f;
constexpr float kRocketReach = 3.5f;

}  // namespace

void World::strike(Vec3 point, Vec3 direction, Weapon weapon, float damage, bool sound) {
    const bool cutter = weapon == kCutter;
    // A punch of 7 does 15 to a unit, a cutter tick of 1.8 does 5.
    const float unitDamage = cutter ? damage * 25.0f / 9.0f : damage * 15.0f / 7.0f;
    for (Target& target : targets) {
        if (!target.active || !(target.health > 0.0f)) continue;
        const Vec3 nearest = nearestBoxPoint(target, point);
        if (!(length(nearest - point) < kStrikeReach)) continue;
        if (cutter && sound) effect(WeaponEffect::kCutterSpark, nearest, direction, kCutter, 0.4f);
        if (shieldedObjective(*this, target)) continue;
        if (!target.active || !(target.health > 0.0f) || target.hasDestination) continue;
        target.health -= target.unitType >= 0 ? unitDamage : damage;
        if (target.health <= 0.0f) ++kills;
    }
    if (coop) {
        for (Pilot* other : session) {
            if (other == nullptr || isLeadingPilot(*this, *other) || other->dead) continue;
            if (length(other->position + Vec3{0.0f, 6.0f, 0.0f} - point) <= kPilotReach) damagePilot(*other, damage);
        }
    }
    for (Projectile& rocket : projectiles) {
        if (rocket.kind != kRocket || rocket.intercepted || !(length(rocket.position - point) <= kRocketReach)) continue;
        wearHull(rocket, unitDamage);
    }
    if (sound) sounds.push_back({cutter ? SoundEvent::kCutter : SoundEvent::kStrike, static_cast<int>(weapon), point});
}

}  // namespace bastion

#include <algorithm>
#include <cmath>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr std::size_t kProjectileCap = 256;
constexpr float kMuzzleFlash = 0.08f;
constexpr float kBombDrop = 0.9f;
constexpr float kHeavyTankScale = 4.0f;

Weapon weaponOf(ProjectileKind kind) {
    switch (kind) {
    case kShot: return 1;
    case kRocket: return 2;
    default: return 5;
    }
}

// Damage of an enemy projectile: in a mission the difficulty decides it.
float scaledDamage(const World& world, const Target& unit, ProjectileKind kind, float damage) {
    if (world.missionIndex < 0) return damage;
    if (kind == kShot && unit.unitType == 3) return world.projectilePair[0];
    if (kind == kShot && (unit.unitType == 0 || unit.unitType == 1)) {
        const bool heavy = unit.unitType == 0 && (unit.behaviour & kBit40) != 0;
        return world.projectilePair[1] * (heavy ? kHeavyTankScale : 1.0f);
    }
    return damage * world.ratio;
}

}  // namespace

void World::enemyFire(u64 index, Vec3 aim, int victim, ProjectileKind kind, float speed, float damage, float radius,
                      Vec3 muzzle) {
    if (projectiles.size() >= kProjectileCap || index >= targets.size()) return;
    Target& unit = targets[index];
    const Vec3 from = unit.position + turnedByYaw(muzzle, unit.homeYaw);
    const Vec3 line = aim - from;
    const float distance = length(line);
    if (!(distance >= 0.01f)) return;

    Projectile shot;
    shot.position = from;
    shot.velocity = {line.x * speed / distance, line.y * speed / distance, line.z * speed / distance};
    shot.life = std::max(distance / std::max(speed, 1.0f) + 2.0f, 4.0f);
    shot.damage = scaledDamage(*this, unit, kind, damage);
    shot.mount = -1;
    shot.kind = kind;
    shot.owner = static_cast<int>(index);
    shot.victim = victim;
    shot.radius = radius;
    shot.weapon = weaponOf(kind);
    shot.shooter = -1;
    shot.homingTarget = -1;
    shot.hull = -1.0f;
    shot.intercepted = false;
    if (kind == kGrenade) {
        shot.position = unit.home - Vec3{0.0f, kBombDrop, 0.0f};
        shot.velocity = unit.velocity;
    }
    projectiles.push_back(shot);
    unit.flash = kMuzzleFlash;
    sounds.push_back({SoundEvent::kFired, static_cast<int>(shot.weapon), from});
}

}  // namespace bastion

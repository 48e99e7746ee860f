#include "world/effect_step.h"

#include <algorithm>

#include "world/blast.h"

namespace bastion {

namespace {

constexpr float kGravity = 18.0f;

// Area damage of one step: the effect hurts only during its first second, in
// proportion to the time of the step spent in it.
void blast(World& world, const WeaponEffect& effect, float dt) {
    if (!(effect.damageRate > 0.0f)) return;
    const float start = std::max(effect.age, 0.0f);
    const float end = std::min(effect.age + dt, 1.0f);
    if (!(end > start)) return;
    const float amount = effect.damageRate * (end - start);
    world.explode(effect.position, effect.damageRadius, amount, false);
    blastPilots(world, effect.position, effect.damageRadius, amount);
    for (Projectile& rocket : world.projectiles) {
        if (rocket.kind != kRocket || rocket.intercepted) continue;
        if (length(rocket.position - effect.position) < effect.damageRadius + 1.0f) wearHull(rocket, amount);
    }
}

void fall(const World& world, WeaponEffect& fragment, float dt) {
    fragment.direction.y -= kGravity * dt;
    fragment.position = fragment.position + fragment.direction * dt;
    const float floor = world.debrisFloor(fragment);
    if (floor > fragment.position.y) {
        fragment.position.y = floor;
        if (fragment.direction.y < 0.0f) fragment.direction.y *= -0.5f;
    }
}

}  // namespace

void stepEffects(World& world, float dt) {
    // Damage only touches targets, pilots, rockets and sounds, never this list.
    for (WeaponEffect& effect : world.effects) {
        blast(world, effect, dt);
        effect.age += dt;
        if (effect.kind == WeaponEffect::kDebris) fall(world, effect, dt);
    }
    std::erase_if(world.effects,
                  [](const WeaponEffect& effect) { return effect.age > effectLifetime(effect.kind); });
}

}  // namespace bastion

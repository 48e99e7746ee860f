#include "world/internal/effect_step.h"

#include <algorithm>

#include "world/internal/blast.h"

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
    explodeInStep(world, effect.position, effect.damageRadius, amount);
    blastPilots(world, effect.position, effect.damageRadius, amount);
    ProjectileStepBuffers& buffers = world.projectileBuffers;
    const float reach = effect.damageRadius + 1.0f;
    findOverlaps(buffers.blastRockets, blastBounds(effect.position, reach), buffers.found);
    for (const std::size_t j : buffers.found) {
        Projectile& rocket = world.projectiles[j];
        if (rocket.intercepted) continue;
        if (length(rocket.position - effect.position) < reach) wearHull(rocket, amount);
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
    // Damage only touches targets, pilots, rockets and sounds, never this list
    // nor the projectile list: no rocket moves, so they are bounded once.
    ProjectileStepBuffers& buffers = world.projectileBuffers;
    buffers.blastRockets.clear();
    for (std::size_t j = 0; j < world.projectiles.size(); ++j) {
        const Projectile& rocket = world.projectiles[j];
        if (rocket.kind != kRocket) continue;
        buffers.blastRockets.add(j, buffers.broadPhase ? blastBounds(rocket.position, 0.0f) : everywhere());
    }
    for (WeaponEffect& effect : world.effects) {
        blast(world, effect, dt);
        effect.age += dt;
        if (effect.kind == WeaponEffect::kDebris) fall(world, effect, dt);
    }
    std::erase_if(world.effects,
                  [](const WeaponEffect& effect) { return effect.age > effectLifetime(effect.kind); });
}

}  // namespace bastion

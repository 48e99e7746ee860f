#include <cmath>
#include <numbers>

#include "world/world.h"

namespace bastion {

void World::destruction(Vec3 position, float size, Weapon weapon, float damageRadius, float damageRate) {
    WeaponEffect fireball = makeEffect(WeaponEffect::kExplosion, position, {}, weapon, size);
    fireball.damageRadius = damageRadius;
    fireball.damageRate = damageRate;
    appendEffect(effects, fireball);
    // The smoke rises once the fireball has bloomed.
    WeaponEffect smoke = makeEffect(WeaponEffect::kSmoke, position + Vec3{0.0f, 0.15f * size, 0.0f}, {}, weapon,
                                    size * 0.8f);
    smoke.age = -0.35f;
    appendEffect(effects, smoke);
    for (int i = 0; i < 6; ++i) {
        const float k = static_cast<float>(i);
        const float angle = k * std::numbers::pi_v<float> / 3.0f;
        const float spread = 6.0f + 0.5f * k;
        effect(WeaponEffect::kDebris, position,
               {std::cos(angle) * spread, 12.0f + 0.5f * k, std::sin(angle) * spread}, weapon, 0.65f);
    }
}

}  // namespace bastion

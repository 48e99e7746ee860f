#include "world/effect.h"

#include <algorithm>

namespace bastion {

float effectLifetime(int kind) {
    switch (kind) {
        case WeaponEffect::kFlash: return 0.09f;
        case WeaponEffect::kExplosion: return 1.0f;
        case WeaponEffect::kDebris: return 3.0f;
        case WeaponEffect::kSmoke: return 1.0f;
        default: return 0.3f;
    }
}

WeaponEffect makeEffect(WeaponEffect::Kind kind, Vec3 position, Vec3 direction, Weapon weapon, float size) {
    WeaponEffect effect;
    effect.kind = kind;
    effect.position = position;
    effect.direction = direction;
    effect.weapon = weapon;
    effect.size = size;
    return effect;
}

void appendEffect(std::vector<WeaponEffect>& effects, const WeaponEffect& effect) {
    constexpr std::size_t kEffectCap = 256;
    if (effects.size() >= kEffectCap) {
        const auto spent = std::find_if(effects.begin(), effects.end(), [](const WeaponEffect& e) {
            return e.damageRate <= 0.0f || e.age >= 1.0f;
        });
        if (spent != effects.end()) effects.erase(spent);
    }
    effects.push_back(effect);
}

}  // namespace bastion

#pragma once

#include <vector>

#include "world/math.h"
#include "world/weapon.h"

namespace bastion {

// A visual or area effect.
struct WeaponEffect {
    enum Kind : int {
        kFlash = 0,
        kSpark = 1,
        kExplosion = 2,
        kCutterSpark = 3,
        kDebris = 4,
        kSmoke = 5,
    };
    Kind kind = kFlash;
    Vec3 position;
    Vec3 direction;
    Weapon weapon = 0;
    float age = 0.0f;  // may start negative to delay the effect
    float size = 0.0f;
    int model = 0;
    float damageRadius = 0.0f;
    float damageRate = 0.0f;  // per second, during the first second
};

// Seconds an effect of `kind` lives.
float effectLifetime(int kind);

// A harmless effect that starts now, with the plain debris shape.
WeaponEffect makeEffect(WeaponEffect::Kind kind, Vec3 position, Vec3 direction, Weapon weapon, float size);

// Appends `effect` to a list kept near 256 entries: a full list first drops
// its first spent entry (harmless, or past its first second), if it has one.
void appendEffect(std::vector<WeaponEffect>& effects, const WeaponEffect& effect);

}  // namespace bastion

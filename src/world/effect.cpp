#include "world/effect.h"

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

}  // namespace bastion

#include <algorithm>

#include "world/world.h"

namespace bastion {

// Explosions, falling debris and smoke hold back a win; sparks do not.
bool World::destructionPending() const {
    return std::any_of(effects.begin(), effects.end(), [](const WeaponEffect& effect) {
        return effect.kind == WeaponEffect::kExplosion || effect.kind == WeaponEffect::kDebris ||
               effect.kind == WeaponEffect::kSmoke;
    });
}

}  // namespace bastion

#include <algorithm>
#include <cmath>

#include "world/world.h"

namespace bastion {

void World::hurt(float amount) {
    // A NaN would leave a pilot that can never die; a negative amount would heal.
    if (!std::isfinite(amount) || amount < 0.0f) return;
    if (pilot.status != kStatusActive) return;
    for (int mount : {2, 3}) {
        if (pilot.weapons[mount] == kShield) amount *= 0.5f;
    }
    pilot.health = std::max(pilot.health - amount, 0.0f);
    const Vec3 head = eyePosition(pilot);
    sounds.push_back({SoundEvent::kHurt, 0, head});
    if (pilot.health == 0.0f) {
        pilot.dead = true;
        pilot.ejection = 0.0f;
        pilot.status = kStatusKilled;
        pilot.missile.active = false;
        resetTracking();
        sounds.push_back({SoundEvent::kLost, 0, head});
    }
}

void World::damagePilot(Pilot& other, float amount) {
    if (&other == &pilot) {
        hurt(amount);
        return;
    }
    Pilot leading = pilot;
    pilot = other;
    hurt(amount);
    other = pilot;
    pilot = leading;
}

void World::effect(WeaponEffect::Kind kind, Vec3 position, Vec3 direction, Weapon weapon, float size) {
    appendEffect(effects, makeEffect(kind, position, direction, weapon, size));
}

}  // namespace bastion

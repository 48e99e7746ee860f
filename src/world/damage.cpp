#include <algorithm>

#include "world/world.h"

namespace bastion {
namespace {

constexpr size_t kEffectBudget = 256;

}  // namespace

void World::hurt(float amount) {
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
    // Keep the list near its budget by dropping the first spent effect; when
    // every effect still matters the list grows instead.
    if (effects.size() >= kEffectBudget) {
        const auto spent = std::find_if(effects.begin(), effects.end(), [](const WeaponEffect& e) {
            return e.damageRate <= 0.0f || e.age >= 1.0f;
        });
        if (spent != effects.end()) effects.erase(spent);
    }
    WeaponEffect added;
    added.kind = kind;
    added.position = position;
    added.direction = direction;
    added.weapon = weapon;
    added.size = size;
    effects.push_back(added);
}

}  // namespace bastion

#include "world/projectile.h"

#include <algorithm>

namespace bastion {

float initialHull(const Projectile& rocket) { return rocket.weapon == kHomingMissiles ? 10.0f : 2.0f; }

void wearHull(Projectile& rocket, float amount) {
    if (rocket.hull < 0.0f) rocket.hull = initialHull(rocket);
    rocket.hull -= amount;
    if (rocket.hull < -1e-5f) {
        rocket.intercepted = true;
        rocket.life = 0.0f;
    } else {
        rocket.hull = std::max(rocket.hull, 0.0f);
    }
}

}  // namespace bastion

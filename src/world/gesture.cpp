#include <algorithm>
#include <cmath>

#include "world/pilot.h"

namespace bastion {
namespace {

constexpr float kJumpSpeed = 8.0f;     // faster is a tracking jump, not a punch
constexpr float kStillSpeed = 0.5f;    // slower arms the detector
constexpr float kPunchSpeed = 1.7f;
constexpr float kPunchTravel = 0.018f;
constexpr float kPunchCooldown = 0.45f;

}  // namespace

bool Gesture::sample(Vec3 position, bool handValid, float dt) {
    // A NaN frame time must not poison the cooldown for good.
    if (!std::isnan(dt)) cooldown = std::max(cooldown - dt, 0.0f);
    if (!(dt > 0.0f && dt <= 0.1f) || !handValid || !std::isfinite(length(position))) {
        valid = false;
        armed = true;
        return false;
    }
    if (!valid) {
        last = position;
        valid = true;
        return false;
    }
    const float travel = length(position - last);
    const float speed = travel / dt;
    last = position;
    if (speed > kJumpSpeed) {
        armed = false;
        return false;
    }
    if (speed < kStillSpeed) {
        armed = true;
    } else if (!armed) {
        return false;
    }
    if (travel > kPunchTravel && cooldown == 0.0f && speed > kPunchSpeed) {
        armed = false;
        cooldown = kPunchCooldown;
        return true;
    }
    return false;
}

}  // namespace bastion

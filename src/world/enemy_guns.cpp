#include <algorithm>
#include <cmath>
#include <numbers>

#include "world/internal/enemy_ai.h"

namespace bastion {
namespace {

constexpr float kAimed = 0.1f;
constexpr float kTankTurretRate = 0.8f;
constexpr float kTurretRate = std::numbers::pi_v<float> / 2.0f;
constexpr float kShortestPause = 0.04f;
constexpr float kBankPerError = -0.4f;
constexpr float kBankLimit = 0.6f;

float approach(float from, float to, float limit) { return from + std::clamp(to - from, -limit, limit); }

}  // namespace

bool aimTurret(EnemyView& view, float rate) {
    Target& unit = view.unit;
    const float limit = rate * view.dt;
    const float yaw = headingOf(view.d);
    const float pitch = std::atan2(view.d.y, std::max(view.h, 0.001f));
    unit.turretYaw = wrap(unit.turretYaw + std::clamp(wrap(yaw - unit.turretYaw), -limit, limit));
    unit.turretPitch = approach(unit.turretPitch, pitch, limit);
    return std::fabs(wrap(yaw - unit.turretYaw)) < kAimed && std::fabs(pitch - unit.turretPitch) < kAimed;
}

bool gunCycle(EnemyView& view, const Burst& burst, float& timer, int& left) {
    if (timer > 0.0f) return false;
    if (left <= 0) left = std::max(burst.count, 1);
    view.world.enemyFire(view.index, view.aim, view.victim, burst.kind, burst.speed, burst.damage, burst.radius,
                         burst.muzzle);
    left -= 1;
    const bool finished = left <= 0;
    timer = std::max(finished ? burst.pause : burst.interval, kShortestPause);
    return finished;
}

bool burstFireAimed(EnemyView& view, bool aimed, const Burst& burst) {
    if (!view.clear || !aimed) return false;
    return gunCycle(view, burst, view.unit.fireTimer, view.unit.burstLeft);
}

bool burstFire(EnemyView& view, const Burst& burst) {
    const float rate = view.unit.unitType == 0 ? kTankTurretRate : kTurretRate;
    return burstFireAimed(view, aimTurret(view, rate), burst);
}

void melee(EnemyView& view, float damage, float cooldown) {
    Target& unit = view.unit;
    if (!view.clear || unit.fireTimer > 0.0f) return;
    World& world = view.world;
    if (view.victim >= 0) {
        if (static_cast<std::size_t>(view.victim) < world.targets.size())
            world.targets[static_cast<std::size_t>(view.victim)].health -= damage;
    } else if (view.victim == kLeadingPilotId) {
        world.hurt(damage);
    } else if (livingSessionPilot(world, -2 - view.victim)) {
        world.damagePilot(*world.session[static_cast<std::size_t>(-2 - view.victim)], damage);
    }
    unit.fireTimer = cooldown;
    world.sounds.push_back({SoundEvent::kStrike, 0, unit.position});
}

void bankToward(EnemyView& view) {
    const float error = wrap(headingOf(view.d) - view.unit.homeYaw);
    view.unit.roll = std::clamp(kBankPerError * error, -kBankLimit, kBankLimit);
}

}  // namespace bastion

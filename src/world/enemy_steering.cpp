#include <algorithm>
#include <cmath>
#include <numbers>

#include "world/internal/enemy_ai.h"
#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kStuckSwitch = 1.5f;
constexpr float kAsideRate = 1.8f;
constexpr float kWaypointReach = 2.5f;
constexpr float kFlightFloor = 17.9f;

bool fliesRoute(int type) { return type == 1 || type == 12 || type == 18; }

// Blocked units alternate sides by the parity of their index and side count.
float sideOf(const EnemyView& view) {
    return ((view.index + static_cast<u64>(view.unit.sideCounter)) % 2 == 0) ? 1.0f : -1.0f;
}

}  // namespace

Vec3 turnedByYaw(Vec3 v, float yaw) { return rotate(angles(yaw, 0.0f, 0.0f), v); }

float headingOf(Vec3 delta) { return std::atan2(-delta.x, -delta.z); }

Vec3 headingVector(float yaw) { return {-std::sin(yaw), 0.0f, -std::cos(yaw)}; }

void enterState(Target& unit, int state) {
    if (unit.state == state) return;
    unit.state = state;
    unit.stateTimer = 0.0f;
}

void steerToward(EnemyView& view, Vec3 point, float speed, bool flying) {
    Target& unit = view.unit;
    const float dt = view.dt;
    const Vec3 delta = point - unit.home;
    const float distance = std::hypot(delta.x, delta.z);
    if (distance < 0.01f) return;
    const float rate = unit.unitType == kWalkerUnit ? kPi / 2.0f : kPi / 3.0f;
    const float wanted = headingOf(delta);
    const float turn = std::clamp(wrap(wanted - unit.homeYaw), -rate * dt, rate * dt);
    unit.homeYaw = wrap(unit.homeYaw + turn);
    const float remaining = wrap(wanted - unit.homeYaw);
    const float ahead = std::min(speed * dt * std::max(std::cos(remaining), flying ? 0.35f : 0.0f), distance);
    Vec3 step = headingVector(unit.homeYaw) * ahead;
    if (flying) {
        const float climb = 0.5f * speed * dt;
        step.y = std::clamp(delta.y, -climb, climb);
    }
    if (view.world.moveEnemy(view.index, step, dt, flying)) return;

    unit.homeYaw = wrap(unit.homeYaw + sideOf(view) * kAsideRate * dt);
    if (unit.stuckTimer > kStuckSwitch) {
        unit.sideCounter += 1;
        unit.stuckTimer = 0.0f;
    }
    const Vec3 aside = headingVector(unit.homeYaw + sideOf(view) * kPi / 3.0f) * (0.5f * speed * dt);
    view.world.moveEnemy(view.index, aside, dt, flying);
}

void flyStraight(EnemyView& view, bool flying) {
    const Vec3 step = headingVector(view.unit.homeYaw) * (view.unit.speed * view.dt);
    view.world.moveEnemy(view.index, step, view.dt, flying);
}

void followRoute(EnemyView& view, bool retireAtEnd) {
    Target& unit = view.unit;
    if (unit.route.empty()) {
        unit.velocity = {};
        return;
    }
    if (unit.routeIndex >= unit.route.size()) unit.routeIndex = 0;
    Vec3 waypoint = unit.route[unit.routeIndex];
    if (std::hypot(waypoint.x - unit.home.x, waypoint.z - unit.home.z) < kWaypointReach) {
        unit.routeIndex += 1;
        if (unit.routeIndex >= unit.route.size()) {
            if (retireAtEnd) {
                view.world.arrivedEnemy(unit);
                view.world.retireEnemy(unit, true);
                return;
            }
            unit.routeIndex = 0;
        }
        waypoint = unit.route[unit.routeIndex];
    }
    const bool flying = fliesRoute(unit.unitType);
    if (flying) waypoint.y = std::max(waypoint.y, kFlightFloor);
    steerToward(view, waypoint, unit.speed, flying);
}

}  // namespace bastion

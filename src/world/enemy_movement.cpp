#include <algorithm>
#include <cmath>

#include "world/internal/enemy_ai.h"
#include "world/internal/mission_rules.h"
#include "world/segment_hit.h"

namespace bastion {
namespace {

constexpr float kPilotBuffer = 2.5f;
constexpr float kTrackCycle = 18.0f;
constexpr float kTrackPerUnit = 25.0f / 24.0f;

float horizontal(Vec3 v) { return std::hypot(v.x, v.z); }

bool inside(Vec3 point, Vec3 centre, Vec3 half) {
    return std::fabs(point.x - centre.x) <= half.x && std::fabs(point.y - centre.y) <= half.y &&
           std::fabs(point.z - centre.z) <= half.z;
}

// On a procedural terrain a ground unit needs passable ground all along the
// step, and then stands on the surface where it ends.
bool followGround(const World& world, const Target& unit, Vec3& next) {
    const Vec3 step = next - unit.home;
    const int parts = std::max(static_cast<int>(std::ceil(std::min(horizontal(step), kMaxGroundSamples))), 1);
    const float radius = std::max(0.65f * std::min(unit.extent.x, unit.extent.z), 0.5f);
    for (int k = 1; k <= parts; ++k) {
        const Vec3 p = unit.home + step * (static_cast<float>(k) / static_cast<float>(parts));
        if (!world.groundPassable(p, radius)) return false;
    }
    next.y = world.surfaceHeight(next.x, next.z) + unit.modelHalf.y - unit.modelCentre.y;
    return true;
}

bool blockedByTargets(const World& world, const Target& unit, int index, Vec3 step) {
    const Vec3 grow{std::max(0.65f * unit.extent.x, 0.3f), unit.extent.y, std::max(0.65f * unit.extent.z, 0.3f)};
    const bool ship = unit.unitType == kShipUnit;
    for (std::size_t i = 0; i < world.targets.size(); ++i) {
        const Target& other = world.targets[i];
        const int otherIndex = static_cast<int>(i);
        if (otherIndex == index || otherIndex == unit.host || other.host == index) continue;
        if (!other.active || !(other.health > 0.0f) || other.hidden) continue;
        // Ships sail past everything but other ships.
        if (ship && other.unitType != kShipUnit) continue;
        const Vec3 half = other.extent + grow;
        if (inside(unit.position, other.position, half)) continue;
        if (segment(unit.position, unit.position + step, other.position, half) <= 1.0f) return true;
    }
    return false;
}

// Ground units do not run over a pilot they were clear of.
bool closesOnPilot(const World& world, const Target& unit, Vec3 next) {
    const auto closes = [&](const Pilot& pilot) {
        if (pilot.dead || !(pilot.health > 0.0f)) return false;
        return horizontal(next - pilot.position) < kPilotBuffer && horizontal(unit.home - pilot.position) >= kPilotBuffer;
    };
    if (!world.coop) return closes(world.pilot);
    for (const Pilot* pilot : world.session) {
        if (pilot && closes(*pilot)) return true;
    }
    return false;
}

}  // namespace

bool World::moveEnemy(u64 index, Vec3 step, float dt, bool flying) {
    if (index >= targets.size()) return false;
    Target& unit = targets[index];
    const bool ground = !flying && unit.unitType != kShipUnit;
    Vec3 next = unit.home + step;
    bool allowed = isFinite(next);
    if (allowed && ground && proceduralTerrain) {
        allowed = followGround(*this, unit, next);
        step = next - unit.home;
    }
    if (allowed) allowed = !blockedByTargets(*this, unit, static_cast<int>(index), step);
    if (allowed && ground) allowed = !closesOnPilot(*this, unit, next);
    if (!allowed) {
        unit.stuckTimer += dt;
        unit.velocity = {};
        return false;
    }
    unit.home = next;
    const float time = std::max(dt, 1e-5f);
    unit.velocity = {step.x / time, step.y / time, step.z / time};
    if (ground) {
        const float travelled = horizontal(step) * kTrackPerUnit;
        const bool backwards = dot(step, headingVector(unit.homeYaw)) < 0.0f;
        const float phase = std::fmod(unit.trackPhase + (backwards ? -travelled : travelled), kTrackCycle);
        unit.trackPhase = phase < 0.0f ? phase + kTrackCycle : phase;
        if (unit.trackPhase >= kTrackCycle) unit.trackPhase = 0.0f;
    }
    unit.stuckTimer = 0.0f;
    updateEnemyBounds(unit);
    return true;
}

}  // namespace bastion

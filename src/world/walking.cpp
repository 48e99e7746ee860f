#include <algorithm>
#include <cmath>

#include "world/segment_hit.h"
#include "world/internal/session.h"
#include "world/world.h"

namespace bastion {

namespace {

constexpr float kWalkerRadius = 3.5f;
constexpr float kGaitCycle = 18.0f;
constexpr float kGaitPerUnit = 25.0f / 24.0f;
constexpr float kPilotSpacing = 4.0f;

float horizontalDistance(Vec3 a, Vec3 b) { return std::hypot(b.x - a.x, b.z - a.z); }

bool finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// On a procedural terrain a step is refused where the ground is impassable or
// climbs more than 0.6 per unit (plus 0.6) anywhere along it.
bool terrainAllows(const World& world, Vec3 from, Vec3 to) {
    const float distance = horizontalDistance(from, to);
    const int samples = std::max(1, static_cast<int>(std::ceil(std::min(distance, kMaxGroundSamples))));
    for (int i = 1; i <= samples; ++i) {
        const Vec3 p = from + (to - from) * (static_cast<float>(i) / static_cast<float>(samples));
        if (!world.groundPassable(p, kWalkerRadius)) return false;
        const float climb = std::fabs(world.surfaceHeight(p.x, p.z) - from.y);
        if (climb > 0.6f + 0.6f * horizontalDistance(from, p)) return false;
    }
    return true;
}

bool blocksWalker(const World& world, const Target& target, Vec3 from, Vec3 to) {
    if (!target.active || !(target.health > 0.0f) || target.hidden) return false;
    const bool sb2 = world.campaign != 0;
    if (sb2 && target.unitType == 20) return false;  // carriers pick the walker up instead
    if (world.crushable(target) && !(sb2 && target.unitType == 14)) return false;
    const Vec3 raise{0.0f, 5.0f, 0.0f};
    return hit(from + raise, to + raise, target, 2.0f) <= 1.0f;
}

// Co-op walkers may step apart but not close in on one another.
bool crowded(const World& world, Vec3 from, Vec3 to) {
    if (!world.coop) return false;
    for (const Pilot* other : world.session) {
        if (!other || isLeadingPilot(world, *other) || other->dead || !(other->health > 0.0f)) continue;
        if (length(to - other->position) < kPilotSpacing && length(from - other->position) >= kPilotSpacing) {
            return true;
        }
    }
    return false;
}

// Whether the gait passes a footfall phase going forward from g0 to g1.
bool landsForward(float g0, float g1, float phase) {
    while (g0 >= phase) phase += kGaitCycle;
    return g1 >= phase;
}

bool landsBackward(float g0, float g1, float phase) {
    while (phase >= g0) phase -= kGaitCycle;
    return phase >= g1;
}

}  // namespace

void World::movePilot(Vec3 destination) {
    // A corrupt destination would leave the walker nowhere.
    if (!finite(destination)) return;
    const Vec3 from = pilot.position;
    if (length(destination - from) < 1e-5f) return;
    if (proceduralTerrain) {
        if (!terrainAllows(*this, from, destination)) return;
        destination.y = surfaceHeight(destination.x, destination.z);
    }
    for (const Target& target : targets) {
        if (blocksWalker(*this, target, from, destination)) return;
    }
    if (crowded(*this, from, destination)) return;

    if (missionIndex >= 0) {
        pilot.position.x = std::clamp(destination.x, -1000.0f, 1000.0f);
        pilot.position.z = std::clamp(destination.z, -1000.0f, 1000.0f);
    } else {
        pilot.position.x = std::clamp(destination.x, -150.0f, 150.0f);
        pilot.position.z = std::clamp(destination.z, -180.0f, 100.0f);
    }
    if (proceduralTerrain) pilot.position.y = destination.y;

    const float moved = horizontalDistance(from, pilot.position);
    if (moved < 1e-5f) return;
    const float body = pilot.angles[0];
    const Vec3 heading{-std::sin(body), 0.0f, -std::cos(body)};
    const bool backward = dot(pilot.position - from, heading) < 0.0f;
    const float g0 = pilot.gait;
    const float g1 = g0 + (backward ? -moved : moved) * kGaitPerUnit;
    if (backward) {
        if (landsBackward(g0, g1, 4.0f)) stomp(0);
        if (landsBackward(g0, g1, 13.0f)) stomp(1);
    } else {
        if (landsForward(g0, g1, 3.0f)) stomp(0);
        if (landsForward(g0, g1, 12.0f)) stomp(1);
    }
    pilot.gait = std::fmod(g1 + kGaitCycle, kGaitCycle);
}

void World::stomp(unsigned foot) {
    if (foot > 1 || pilot.dead || !(pilot.health > 0.0f)) return;
    const float side = foot == 0 ? 1.7f : -1.7f;
    const Vec3 point = pilot.position + rotate(angles(pilot.angles[0], 0.0f, 0.0f), {side, 0.0f, 0.0f});
    for (Target& target : targets) {
        if (!crushable(target)) continue;
        const bool atFootHeight = target.position.y - target.extent.y <= point.y + 0.96f &&
                                  target.position.y + target.extent.y >= point.y - 0.96f;
        if (!atFootHeight) continue;
        const float dx = std::max(std::fabs(target.position.x - point.x) - target.extent.x, 0.0f);
        const float dz = std::max(std::fabs(target.position.z - point.z) - target.extent.z, 0.0f);
        if (std::sqrt(dx * dx + dz * dz) > 1.75f) continue;
        target.health -= 1000.0f;
        if (target.health <= 0.0f) ++kills;
    }
    sounds.push_back({SoundEvent::kFootfall, 0, point});
}

bool World::crushable(const Target& target) const {
    if (target.hasDestination || target.hidden || !target.active || !(target.health > 0.0f)) return false;
    const bool sb2 = campaign != 0;
    if (target.unitType >= 0) {
        if (target.unitType == 3 || target.unitType == 10) return false;
        if (target.unitType == 0 && (target.behaviour & 0x40u) != 0) return false;
        return !(sb2 && target.unitType == 20);
    }
    // Static objects light enough to crush, by object type.
    constexpr u64 kSB1Props = (1ull << 6) | (1ull << 8) | (1ull << 9) | (1ull << 20) | (1ull << 27);
    constexpr u64 kSB2Props = kSB1Props | (1ull << 35) | (1ull << 36) | (1ull << 37) | (1ull << 39) | (1ull << 40) |
                              (1ull << 41) | (1ull << 43) | (1ull << 44) | (1ull << 45) | (1ull << 47) | (1ull << 48);
    const int type = target.objectType;
    if (type < 0 || type >= 64) return false;
    return (((sb2 ? kSB2Props : kSB1Props) >> type) & 1u) != 0;
}

}  // namespace bastion

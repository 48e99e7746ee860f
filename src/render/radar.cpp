#include "render/internal/radar.h"

#include <cmath>

#include "render/internal/cockpit_readings.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kRadarScale = 0.0011f;
constexpr float kOuterRing = 0.18f;
constexpr int kReconObjective = 2;

}  // namespace

RadarPoint radarProjection(const Pilot& local, Vec3 point) {
    const float dx = point.x - local.position.x;
    const float dz = point.z - local.position.z;
    const float a = torsoHeading(local);
    const float c = std::cos(a);
    const float s = std::sin(a);
    return {(dx * c - dz * s) * kRadarScale, (-dx * s - dz * c) * kRadarScale};
}

RadarPoint clampedRadarProjection(const Pilot& local, Vec3 point) {
    RadarPoint p = radarProjection(local, point);
    const float radius = std::hypot(p.x, p.y);
    if (radius > kRadarRim) {
        const float scale = kRadarRim / radius;
        p.x *= scale;
        p.y *= scale;
    }
    return p;
}

std::optional<RadarPoint> radarTarget(const Pilot& local, const Target& target) {
    if (!target.active || target.hidden || target.health <= 0.0f) return std::nullopt;
    const RadarPoint p = radarProjection(local, target.position);
    if (!(std::hypot(p.x, p.y) < kOuterRing)) return std::nullopt;
    return p;
}

Vec3 radarTargetColour(int campaign, const Target& target) {
    if (campaign != 0 && target.unitType == 20) return {0.2f, 0.8f, 1.0f};
    if (campaign != 0 && target.unitType == 21) return {1.0f, 0.8f, 0.2f};
    return target.unitType >= 0 ? Vec3{1.0f, 0.2f, 0.1f} : Vec3{0.25f, 0.5f, 0.2f};
}

std::vector<RadarMarker> radarMarkers(const World& world) {
    std::vector<RadarMarker> markers;
    if (!world.procedural) return markers;
    const ProceduralMission& mission = world.proceduralMission;
    for (std::size_t i = 0; i < mission.objectives.size(); ++i) {
        const ProceduralObjective& objective = mission.objectives[i];
        if (objective.done) continue;
        markers.push_back({objective.centre, numberedLabel('O', static_cast<long long>(i) + 1),
                           objective.kind == kReconObjective ? Vec3{0.2f, 0.85f, 1.0f} : cockpit::kAmber});
    }
    if (mission.extracting) markers.push_back({mission.extraction, "EX", cockpit::kGreen});
    return markers;
}

std::vector<Pilot> radarPilots(const World& world) {
    std::vector<Pilot> pilots = world.others;
    for (Pilot& pilot : pilots) {
        if (pilot.slot == world.pilot.slot) {
            pilot = world.pilot;
            return pilots;
        }
    }
    pilots.push_back(world.pilot);
    return pilots;
}

std::string numberedLabel(char letter, long long number) {
    std::string label(1, letter);
    label += std::to_string(number);
    return label;
}

Vec3 pilotColour(int slot) {
    static constexpr Vec3 kColours[4] = {
        {0.2f, 0.85f, 1.0f}, {1.0f, 0.55f, 0.15f}, {0.9f, 0.4f, 1.0f}, {1.0f, 1.0f, 0.8f}};
    return kColours[slot & 3];
}

}  // namespace bastion

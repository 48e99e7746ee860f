#include "render/radar.h"

#include <cmath>

#include "world/world.h"

namespace bastion {
namespace {

constexpr float kRadarScale = 0.0011f;

}  // namespace

RadarPoint radarProjection(const Pilot& local, Vec3 point) {
    const float dx = point.x - local.position.x;
    const float dz = point.z - local.position.z;
    const float a = wrap(local.angles[0] + local.angles[1]);
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

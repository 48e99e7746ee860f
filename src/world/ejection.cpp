#include <algorithm>
#include <cmath>

#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr float kEjectionEnd = 7.0f;          // seconds until the sequence is over
constexpr float kBlastTimes[] = {1.0f, 1.5f, 3.0f};
constexpr float kShakeEnd = 1.5f;             // the seat shakes, then flies
constexpr float kFlightEnd = 3.5f;            // seconds of flight after the shaking

}  // namespace

void World::stepEjection(float dt) {
    if (pilot.status != kStatusKilled || !(dt > 0.0f)) return;
    const float before = pilot.ejection;
    pilot.ejection = std::min(before + dt, kEjectionEnd);
    for (float time : kBlastTimes) {
        if (before < time && pilot.ejection >= time) sounds.push_back({SoundEvent::kExplosion, 0, eyePosition(pilot)});
    }
    if (pilot.ejection >= kEjectionEnd) pilot.status = kStatusLost;
}

Vec3 World::pilotPosition() const {
    const Vec3 eye = eyePosition(pilot);
    if (!pilot.dead) return eye;
    const float e = pilot.ejection;
    const float s = std::clamp(e - kShakeEnd, 0.0f, kFlightEnd);
    const float shake = e < kShakeEnd ? 0.035f * std::sin(91.0f * e) : 0.0f;
    // Up on a parabola that tops out at 77, drifting 42 backward.
    const Vec3 seat{shake, 36.0f * s - 4.0f * s * s, 12.0f * s};
    return eye + rotate(angles(torsoHeading(pilot), 0.0f, 0.0f), seat);
}

Quaternion World::pilotOrientation() const {
    const float heading = torsoHeading(pilot);
    if (!pilot.dead) return angles(heading, 0.0f, 0.0f);
    const float e = pilot.ejection;
    const float u = std::clamp((e - 2.0f) / 2.0f, 0.0f, 1.0f);
    const float pitch = -1.04f * u * u * (3.0f - 2.0f * u);
    const float roll = 0.12f * std::sin(8.0f * e) * std::exp(-std::max(e - 2.0f, 0.0f));
    return angles(heading, pitch, roll);
}

}  // namespace bastion

#include "world/internal/line_of_fire.h"

#include <algorithm>
#include <cmath>

#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr float kHalfPi = 1.57079632679489662f;
constexpr float kQuarterPi = 0.78539816339744831f;
constexpr float kConvergence = 80.0f;  // the side mounts' shots meet this far ahead of the eye

Vec3 normalizeOr(Vec3 v, Vec3 fallback) {
    const float size = length(v);
    if (!(size > 1e-5f) || !std::isfinite(size)) return fallback;
    return v * (1.0f / size);
}

}  // namespace

Vec3 limitHeading(Vec3 direction, float heading, float limit) {
    const float horizontal = std::hypot(direction.x, direction.z);
    if (!(horizontal >= 1e-6f)) return direction;
    const float a = std::atan2(-direction.x, -direction.z);
    const float limited = heading + std::clamp(wrap(a - heading), -limit, limit);
    return {-std::sin(limited) * horizontal, direction.y, -std::cos(limited) * horizontal};
}

LineOfFire lineOfFire(const Pilot& pilot, int mount) {
    const float heading = torsoHeading(pilot);
    if (mount < 2) {
        const Arm& arm = pilot.arms[mount];
        return {arm.muzzle, normalize(limitHeading(arm.forward, heading, kHalfPi))};
    }
    const Vec3 eye = eyePosition(pilot);
    const float side = mount % 2 == 0 ? -2.0f : 2.0f;
    const float height = mount < 4 ? 1.0f : -6.0f;
    const Vec3 right{std::cos(heading), 0.0f, -std::sin(heading)};
    const Vec3 muzzle = eye + right * side + Vec3{0.0f, height, 0.0f};
    const Vec3 toward = eye + direction(pilot.angles[2], pilot.angles[3]) * kConvergence - muzzle;
    return {muzzle, normalize(limitHeading(toward, heading, kQuarterPi))};
}

void pelletDirections(Vec3 d, float heading, Vec3 (&pellets)[kPelletCount]) {
    const Vec3 right = normalizeOr({-d.z, 0.0f, d.x}, {1.0f, 0.0f, 0.0f});
    const Vec3 up = normalize(cross(right, d));
    for (int i = 0; i < kPelletCount; ++i) {
        const float angle = static_cast<float>(i) * kQuarterPi;
        const float spread = i % 2 == 0 ? 0.025f : 0.055f;
        const Vec3 pellet = normalize(d + right * (spread * std::cos(angle)) + up * (spread * std::sin(angle)));
        pellets[i] = limitHeading(pellet, heading, kHalfPi);
    }
}

}  // namespace bastion

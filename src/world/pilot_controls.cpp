#include <algorithm>
#include <cmath>

#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr float kDeadZone = 0.18f;
constexpr float kTurnRate = -0.8f;         // radians per second; positive sticks turn clockwise
constexpr float kTorsoTurnRate = -1.35f;   // radians per second
constexpr float kTorsoLimit = 1.57079632679489662f;
constexpr float kWalkSpeed = 8.0f;         // units per second

}  // namespace

float driveAxis(float x) {
    if (!std::isfinite(x) || std::fabs(x) < kDeadZone) return 0.0f;
    return std::copysign((std::min(std::fabs(x), 1.0f) - kDeadZone) / (1.0f - kDeadZone), x);
}

int heldModel(Weapon weapon) {
    switch (weapon) {
        case kRifle: return 1;
        case kCutter: return 2;
        case kShotgun: return 3;
        case kHeavyMG: return 4;
        default: return 0;
    }
}

void walkPilot(World& world, const Input& input, float dt) {
    Pilot& pilot = world.pilot;
    pilot.angles[1] =
        std::clamp(pilot.angles[1] + driveAxis(input.axes[2]) * kTorsoTurnRate * dt, -kTorsoLimit, kTorsoLimit);
    const float body = wrap(pilot.angles[0] + driveAxis(input.axes[0]) * kTurnRate * dt);
    pilot.angles[0] = body;
    const float stride = kWalkSpeed * dt * driveAxis(input.axes[1]);
    world.movePilot(pilot.position + Vec3{-std::sin(body), 0.0f, -std::cos(body)} * stride);
}

}  // namespace bastion

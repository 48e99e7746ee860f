#include <algorithm>
#include <cmath>

#include "world/arm.h"
#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr float kLongestFrame = 0.1f;
constexpr float kLongestEjectionStep = 1.0f;
constexpr float kAimYawLimit = 0.78539816339744831f;  // a quarter turn either side of the torso
constexpr float kAimPitchLimit = 1.45f;

// The buttons of an unusable frame are remembered, so that a button held
// meanwhile does not count as a fresh press later.
void latchButtons(Pilot& pilot, const Input& input) {
    std::copy(std::begin(input.fire), std::end(input.fire), std::begin(pilot.fireLatch));
    std::copy(std::begin(input.punch), std::end(input.punch), std::begin(pilot.punchLatch));
}

void runTimers(Pilot& pilot, float dt) {
    // Mount cooldowns run below zero so that a fast gun keeps its average rate.
    for (float& cooldown : pilot.cooldown) cooldown -= dt;
    for (int hand = 0; hand < 2; ++hand) {
        pilot.flash[hand] = std::max(pilot.flash[hand] - dt, 0.0f);
        pilot.punchCooldown[hand] = std::max(pilot.punchCooldown[hand] - dt, 0.0f);
    }
    pilot.transitTimer = std::max(pilot.transitTimer - dt, 0.0f);
}

void aim(Pilot& pilot, const Input& input) {
    pilot.angles[2] = wrap(torsoHeading(pilot) + std::clamp(wrap(input.axes[3]), -kAimYawLimit, kAimYawLimit));
    pilot.angles[3] = std::clamp(input.axes[4], -kAimPitchLimit, kAimPitchLimit);
}

void solveArms(Pilot& pilot, const Input& input) {
    const Vec3 eye = eyePosition(pilot);
    const float heading = torsoHeading(pilot);
    for (int hand = 0; hand < 2; ++hand) {
        pilot.arms[hand] = solveArm(input.poses[hand], hand, eye, heading, pilot.rig, heldModel(pilot.weapons[hand]));
    }
}

}  // namespace

void World::step(const Input& input, float dt, bool advanceWorld) {
    if (!(dt > 0.0f) || !std::isfinite(dt)) {
        resetTracking();
        return;
    }
    if (pilot.status == kStatusKilled) {
        stepEjection(std::min(dt, kLongestEjectionStep));
        return;
    }
    if (dt > kLongestFrame) {
        resetTracking();
        return;
    }
    if (!input.focused || !input.head || !std::isfinite(input.axes[3]) || !std::isfinite(input.axes[4])) {
        pilot.homing_target = -1;
        resetTracking();
        latchButtons(pilot, input);
        return;
    }
    pilot.walk_speed = 0.0f;
    if (pilot.status == kStatusWon || pilot.status == kStatusLost) return;

    const Vec3 before = pilot.position;
    runTimers(pilot, dt);
    boardCarrier(*this);
    if (pilot.inTransit) {
        rideCarrier(*this, dt);
    } else if (!pilot.missile.active) {
        walkPilot(*this, input, dt);
    }
    pilot.walk_speed = std::hypot(pilot.position.x - before.x, pilot.position.z - before.z) / dt;

    aim(pilot, input);
    lockHoming();
    if (!coop) {
        for (unsigned k = 0; k < 2; ++k) {
            if (input.ping[k] && !pilot.pingLatch[k]) pingMap(k);
            pilot.pingLatch[k] = input.ping[k];
        }
    }
    solveArms(pilot, input);
    landPunches(*this, input, dt);
    fireMounts(*this, input, dt);
    if (pilot.missile.active) guideCruise(*this, input, dt);

    if (advanceWorld) {
        stepProjectiles(dt);
        stepMission(dt);
    } else if (pilot.status == kStatusActive) {
        collectPickups();
    }
}

}  // namespace bastion

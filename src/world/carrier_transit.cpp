#include <algorithm>
#include <cmath>

#include "world/pilot_step.h"

namespace bastion {
namespace {

constexpr int kCarrierUnit = 20;
constexpr float kCarrierSpeed = 200.0f;  // units per second
constexpr float kBoardingPause = 2.0f;   // seconds after arriving before the next pick-up
constexpr float kSmallestPad = 3.0f;

}  // namespace

void boardCarrier(World& world) {
    Pilot& pilot = world.pilot;
    if (world.campaign == 0 || pilot.inTransit || pilot.transitTimer != 0.0f) return;
    for (const Target& carrier : world.targets) {
        if (!carrier.active || carrier.unitType != kCarrierUnit || carrier.route.empty()) continue;
        const float pad = std::max(std::min(carrier.extent.x, carrier.extent.z), kSmallestPad);
        if (!(std::hypot(carrier.home.x - pilot.position.x, carrier.home.z - pilot.position.z) < pad)) continue;
        pilot.transitDestination = carrier.route.front();
        pilot.inTransit = true;
        pilot.transitTimer = kBoardingPause;
        return;
    }
}

void rideCarrier(World& world, float dt) {
    Pilot& pilot = world.pilot;
    const Vec3 way = pilot.transitDestination - pilot.position;
    const float distance = length(way);
    const float reach = kCarrierSpeed * dt;
    if (!(distance > reach)) {
        // A corrupt route point ends the ride where the walker is.
        if (isFinite(pilot.transitDestination)) pilot.position = pilot.transitDestination;
        pilot.inTransit = false;
        pilot.transitTimer = kBoardingPause;
        return;
    }
    pilot.position = pilot.position + way * (reach / distance);
}

}  // namespace bastion

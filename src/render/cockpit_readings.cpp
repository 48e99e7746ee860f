#include "render/internal/cockpit_readings.h"

#include <algorithm>
#include <cmath>

#include "world/world.h"

namespace bastion::cockpit {
namespace {

constexpr float kThird = 1.0f / 3.0f;
constexpr float kTwoThirds = 2.0f / 3.0f;
constexpr Weapon kCutter = 3;
constexpr Weapon kShield = 7;
constexpr Weapon kAutoGrenade = 12;

bool unlimited(Weapon weapon) { return weapon == kCutter || weapon == kShield; }

}  // namespace

std::array<float, 4> lampColour(float health, int lamp) {
    const float fill = std::clamp(health / 20.0f - static_cast<float>(lamp), 0.0f, 1.0f);
    if (fill <= 0.0f) return {0.006f, 0.008f, 0.005f, 1.0f};
    if (fill <= kThird) return {1.0f, 0.015f, 0.003f, 1.0f};
    if (fill <= kTwoThirds) return {1.0f, 0.65f, 0.005f, 1.0f};
    return {0.03f, 1.0f, 0.008f, 1.0f};
}

Readout ammoReadout(const Pilot& pilot, int mount) {
    const Weapon weapon = pilot.weapons[mount] > kAutoGrenade ? Weapon{0} : pilot.weapons[mount];
    Readout readout;
    if (weapon == 0) {
        readout.text = "--";
    } else if (weapon == kShield) {
        readout.text = "ON";
    } else if (weapon == kCutter) {
        readout.text = "INF";
    } else {
        readout.text = std::to_string(static_cast<u32>(pilot.ammo[mount]));
    }
    // The auto grenade launcher takes both hips: the other hip links to it.
    if ((mount == 4 || mount == 5) && pilot.weapons[9 - mount] == kAutoGrenade) readout.text = "LINK";
    readout.colour = pilot.ammo[mount] == 0 && !unlimited(weapon) ? kReadoutRed : kGreen;
    return readout;
}

Readout statusLine(const Pilot& pilot, bool paused) {
    if (paused) return {"PAUSED", kAmber};
    return {pilot.health < 25.0f ? "ARMOR CRITICAL" : "SB ONLINE", kGreen};
}

Vec3 torsoColour(float health) {
    if (health < 25.0f) return kTorsoRed;
    if (health < 60.0f) return kAmber;
    return kGreen;
}

std::string headingText(const Pilot& pilot) {
    const float degrees = -pilot.angles[0] * 180.0f / kPi + 360.0f;
    return "HDG " + std::to_string(static_cast<int>(std::fmod(static_cast<double>(degrees), 360.0)));
}

std::string torsoDegrees(const Pilot& pilot) {
    return std::to_string(static_cast<int>(std::round(pilot.angles[1] * 180.0f / kPi)));
}

float torsoPointer(const Pilot& pilot) { return pilot.angles[1] / -kHalfPi * 0.1f; }

std::string armourLine(const World& world) {
    std::string line = "ARMOR " + std::to_string(static_cast<int>(world.pilot.health)) + "  OBJ ";
    for (int i = 0; i < 3; ++i) {
        if (i > 0) line += '/';
        line += std::to_string(std::max(0, world.counters[i]));
    }
    return line;
}

}  // namespace bastion::cockpit

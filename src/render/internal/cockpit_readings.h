#pragma once

#include <array>
#include <string>
#include <vector>

#include "world/math.h"
#include "world/pilot.h"

namespace bastion {

class World;

namespace cockpit {

inline constexpr float kPi = 3.1415927f;
inline constexpr float kHalfPi = 1.5707964f;

// Instrument palette.
inline constexpr Vec3 kGreen{0.25f, 0.95f, 0.08f};
inline constexpr Vec3 kDimGreen{0.055f, 0.23f, 0.025f};
inline constexpr Vec3 kAmber{1.0f, 0.65f, 0.05f};
inline constexpr Vec3 kReadoutRed{1.0f, 0.2f, 0.05f};
inline constexpr Vec3 kTorsoRed{1.0f, 0.2f, 0.1f};

// The flat colour of health lamp `lamp` (0..4) at `health`, alpha 1: lamp i
// covers health 20 i to 20 (i + 1), going off, red, amber and green.
std::array<float, 4> lampColour(float health, int lamp);

// One ammunition readout: its text and colour for mount 0..5.
struct Readout {
    std::string text;
    Vec3 colour;
};
Readout ammoReadout(const Pilot& pilot, int mount);

// The overview's status line and its colour.
Readout statusLine(const Pilot& pilot, bool paused);

// Colour of the overview's torso outline by armour.
Vec3 torsoColour(float health);

// "HDG " and the legs' compass heading in whole degrees.
std::string headingText(const Pilot& pilot);

// The torso yaw in whole, signed degrees.
std::string torsoDegrees(const Pilot& pilot);

// The torso gauge pointer's x: -0.1 at full left, +0.1 at full right.
float torsoPointer(const Pilot& pilot);

// The head-up status line under the mission text: "ARMOR 99  OBJ 0/2/3".
std::string armourLine(const World& world);

}  // namespace cockpit
}  // namespace bastion

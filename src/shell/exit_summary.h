#pragma once

#include <string>

namespace bastion {

class World;

// "Frames=<n> destroyed=<kills> torso_degrees=<torso yaw in degrees>" and a
// line feed, the line scripts read after a normal end of the frame loop.
std::string exitSummary(int frames, const World& world);

}  // namespace bastion

#pragma once

#include <string>
#include <vector>

#include "world/math.h"
#include "world/pilot.h"

namespace bastion {

class World;

// A point on the radar disc, in radar units (0.0011 per world unit), the
// local torso's facing pointing to +y.
struct RadarPoint {
    float x = 0.0f;
    float y = 0.0f;
};

inline constexpr float kRadarRim = 0.17f;

// `point` relative to the pilot `local`, height ignored.
RadarPoint radarProjection(const Pilot& local, Vec3 point);

// The projection moved onto the rim when it lies beyond it.
RadarPoint clampedRadarProjection(const Pilot& local, Vec3 point);

// The pilots the radar shows: the World's other pilots with the local pilot
// in place of the first one sharing its slot, or appended when none does.
std::vector<Pilot> radarPilots(const World& world);

// A letter and a number, as the radar and the spectator name pilots ("P1")
// and objectives ("O2").
std::string numberedLabel(char letter, long long number);

// The colour of the pilot in `slot` on the radar.
Vec3 pilotColour(int slot);

}  // namespace bastion

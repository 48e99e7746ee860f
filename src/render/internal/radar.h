#pragma once

#include <optional>
#include <string>
#include <vector>

#include "world/math.h"
#include "world/pilot.h"
#include "world/target.h"

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

// Where `target` shows on the radar: only an active, shown, intact target
// inside the outer ring, unclamped; none otherwise.
std::optional<RadarPoint> radarTarget(const Pilot& local, const Target& target);

// A target's radar colour: SB2's two marked unit types, else enemy units
// and static objects.
Vec3 radarTargetColour(int campaign, const Target& target);

// A labelled diamond on the radar at a world point.
struct RadarMarker {
    Vec3 point;
    std::string label;
    Vec3 colour;
};

// The generated mission's markers: each open objective, numbered by its place
// in the list ("O1", "O2", ...) whether or not earlier ones are done, then
// the extraction point ("EX") while extraction is on. None outside a
// generated mission.
std::vector<RadarMarker> radarMarkers(const World& world);

// The pilots the radar shows: the World's other pilots with the local pilot
// in place of the first one sharing its slot, or appended when none does.
std::vector<Pilot> radarPilots(const World& world);

// A letter and a number, as the radar and the spectator name pilots ("P1")
// and objectives ("O2").
std::string numberedLabel(char letter, long long number);

// The colour of the pilot in `slot` on the radar.
Vec3 pilotColour(int slot);

}  // namespace bastion

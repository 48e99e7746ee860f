#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/matrix.h"
#include "world/math.h"

namespace bastion {

class World;
struct Frontend;

// The horizon image of a campaign's horizon index: "horizon-01".."horizon-06"
// (index clamped) in SB1, "sb2-horizon-NN" (index + 1) otherwise.
std::string horizonName(int campaign, int horizonIndex);

// The mission text in the cockpit: the objective wrapped at 26 characters,
// then the armour and objective counters line.
std::vector<std::string> missionTextLines(const World& world);

// The end-of-mission headline and prompt, for a pilot whose status is 2 (won)
// or 4 (ejection finished).
std::string missionHeadline(const World& world, const Frontend* frontend);
std::string missionPrompt(const World& world, const Frontend* frontend);

// "REACTOR FAILURE" or "EJECT EJECT EJECT" during the first 1.5 s of the
// ejection, nothing afterwards.
std::optional<std::string> ejectionLine(float ejection);

// The spectator's line, naming the pilot the spectate cursor picks among the
// front end's living other pilots, or "WAITING".
std::string spectatingLine(const Frontend& frontend);

// Where an aim marker for world point `p` hangs under the head pose `hud`:
// the point moved along its ray to a depth of 8..120 and scaled with it, so
// it keeps its apparent size. Nothing when the point is not in front of the
// head.
std::optional<vant::Matrix> aimMarkerFrame(const vant::Matrix& hud, Vec3 p);

// `projection` with its depth terms fitted to near..far.
vant::Matrix depthFitted(const vant::Matrix& projection, float near, float far);

// Whether the sphere around the bounding box min..max under M, seen through
// `view`, reaches into the depth range near..far (each widened by 0.02).
bool withinDepthSlice(const vant::Matrix& view, const vant::Matrix& M, Vec3 min, Vec3 max, float near, float far);

}  // namespace bastion

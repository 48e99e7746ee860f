#pragma once

#include <cstddef>
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

// The mission text's glyph size, and where line `index` of it, `length`
// characters long, starts in cockpit space: centred on the torso anchor
// (each character advances four sizes), 0.18 above it and 0.25 nearer the
// eye, the lines 0.028 apart downward.
inline constexpr float kMissionTextSize = 0.0055f;
Vec3 missionLineOrigin(Vec3 torsoAnchor, std::size_t index, std::size_t length);

// A head-locked text: its offset on the head-up plane 2 units before the
// head, and its glyph size.
struct HeadUpPlacement {
    float x;
    float y;
    float size;
};
inline constexpr HeadUpPlacement kResultPlacement{-0.5f, 0.18f, 0.008f};
inline constexpr HeadUpPlacement kSaveNoticePlacement{-0.5f, 0.12f, 0.008f};
inline constexpr HeadUpPlacement kHeadlinePlacement{-0.38f, 0.3f, 0.012f};
inline constexpr HeadUpPlacement kPromptPlacement{-0.5f, 0.24f, 0.008f};
inline constexpr HeadUpPlacement kCoopNoticePlacement{-0.6f, -0.65f, 0.007f};

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

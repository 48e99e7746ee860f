#pragma once

#include <vector>

#include "world/math.h"
#include "world/target.h"

namespace bastion {

// A square of 141 x 141 cells, 4 m apart, centred on a point of the ground.
inline constexpr int kAnchorGridSide = 141;
inline constexpr float kAnchorSpacing = 4.0f;

// Distance on the ground plane; heights are ignored.
float groundDistance(Vec3 a, Vec3 b);

// True when a walker may be placed at `cell`: inside the playable square and
// clear of every standing target that rises into walking height (with a
// margin around its box).
bool anchorFree(const std::vector<Target>& targets, Vec3 cell);

// The free cells that a breadth-first walk from the grid's centre reaches
// over free cells, as ground points (height 0) in cell-number order (row
// by row along z, then column along x). Throws when the centre itself is
// not free.
std::vector<Vec3> reachableAnchors(const std::vector<Target>& targets, Vec3 centre);

}  // namespace bastion

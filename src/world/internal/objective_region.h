#pragma once

#include <array>
#include <vector>

#include "world/math.h"

namespace bastion {

// True when the ground point (x, -z) of `point` lies in one of the
// rectangles (minX, minZ, maxX, maxZ), edges included.
bool inObjectiveRegion(const std::vector<std::array<float, 4>>& regions, Vec3 point);

}  // namespace bastion

#include "world/internal/objective_region.h"

namespace bastion {

bool inObjectiveRegion(const std::vector<std::array<float, 4>>& regions, Vec3 point) {
    const float x = point.x, z = -point.z;
    for (const std::array<float, 4>& r : regions) {
        if (x >= r[0] && z >= r[1] && x <= r[2] && z <= r[3]) return true;
    }
    return false;
}

}  // namespace bastion

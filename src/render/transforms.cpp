#include "render/internal/transforms.h"

#include <cmath>

namespace vant {

Matrix scaling(float x, float y, float z) { return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }

Matrix rotationX(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
}

Matrix rotationZ(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

}  // namespace vant

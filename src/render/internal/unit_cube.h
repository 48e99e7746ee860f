#pragma once

#include <array>

namespace bastion {

// One corner of the unit cube with its face's light factor.
struct CubeVertex {
    float x, y, z;
    float light;
};

// The cube with corners at +-1, six faces of two counter-clockwise triangles
// each (seen from outside), in the order +Z, -Z, -X, +X, +Y, -Y.
inline constexpr std::array<CubeVertex, 36> kUnitCube{{
    {-1, -1, 1, 1.0f}, {1, -1, 1, 1.0f}, {1, 1, 1, 1.0f}, {-1, -1, 1, 1.0f}, {1, 1, 1, 1.0f}, {-1, 1, 1, 1.0f},
    {1, -1, -1, 0.6f}, {-1, -1, -1, 0.6f}, {-1, 1, -1, 0.6f}, {1, -1, -1, 0.6f}, {-1, 1, -1, 0.6f}, {1, 1, -1, 0.6f},
    {-1, -1, -1, 0.7f}, {-1, -1, 1, 0.7f}, {-1, 1, 1, 0.7f}, {-1, -1, -1, 0.7f}, {-1, 1, 1, 0.7f}, {-1, 1, -1, 0.7f},
    {1, -1, 1, 0.8f}, {1, -1, -1, 0.8f}, {1, 1, -1, 0.8f}, {1, -1, 1, 0.8f}, {1, 1, -1, 0.8f}, {1, 1, 1, 0.8f},
    {-1, 1, 1, 1.0f}, {1, 1, 1, 1.0f}, {1, 1, -1, 1.0f}, {-1, 1, 1, 1.0f}, {1, 1, -1, 1.0f}, {-1, 1, -1, 1.0f},
    {-1, -1, -1, 0.5f}, {1, -1, -1, 0.5f}, {1, -1, 1, 0.5f}, {-1, -1, -1, 0.5f}, {1, -1, 1, 0.5f}, {-1, -1, 1, 0.5f},
}};
static_assert(sizeof kUnitCube == 576);

}  // namespace bastion

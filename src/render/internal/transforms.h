#pragma once

#include "render/matrix.h"

namespace vant {

Matrix scaling(float x, float y, float z);

// Rotation about +X: a positive angle turns +Y toward +Z.
Matrix rotationX(float angle);

// Rotation about +Z: a positive angle turns +X toward +Y.
Matrix rotationZ(float angle);

// The product of the matrices left to right.
template <typename... Rest>
Matrix chain(const Matrix& first, const Rest&... rest) {
    Matrix result = first;
    ((result = multiply(result, rest)), ...);
    return result;
}

}  // namespace vant

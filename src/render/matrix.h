#pragma once

#include <array>

namespace vant {

// 4 x 4 matrices in OpenGL column-major order: element 4c + r is row r of
// column c, points transform as M x (p, 1), and the translation sits in
// elements 12, 13 and 14. Right-handed, +Y up; a pose looks along its own -Z.
using Matrix = std::array<float, 16>;

inline constexpr Matrix identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// a x b, each column accumulated from zero in the order of a's columns.
Matrix multiply(const Matrix& a, const Matrix& b);

Matrix translation(float x, float y, float z);

// Rotation about +Y: a positive angle turns -Z toward -X.
Matrix rotationY(float angle);

// Inverse of a pose made of a rotation and a translation only: the rotation
// transposed and the translation carried back through it.
Matrix rigidInverse(const Matrix& pose);

}  // namespace vant

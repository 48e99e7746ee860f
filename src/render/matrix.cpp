#include "render/matrix.h"

#include <cmath>

namespace vant {

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix result{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum = sum + a[4 * k + row] * b[4 * column + k];
            result[4 * column + row] = sum;
        }
    }
    return result;
}

Matrix translation(float x, float y, float z) {
    Matrix result = identity;
    result[12] = x;
    result[13] = y;
    result[14] = z;
    return result;
}

Matrix rotationY(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
}

Matrix rigidInverse(const Matrix& pose) {
    Matrix result{};
    for (int row = 0; row < 3; ++row) {
        // Row `row` of the inverse is column `row` of the pose.
        for (int column = 0; column < 3; ++column) result[4 * column + row] = pose[4 * row + column];
        result[12 + row] =
            -(pose[4 * row] * pose[12] + pose[4 * row + 1] * pose[13] + pose[4 * row + 2] * pose[14]);
    }
    result[15] = 1.0f;
    return result;
}

}  // namespace vant

#pragma once

#include <limits>

namespace bastion {

// `v` in single precision, saturating to infinity beyond the float range so
// that the narrowing is defined for every finite double.
inline float saturatingFloat(double v) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (v > largest) return std::numeric_limits<float>::infinity();
    if (v < -largest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

}  // namespace bastion

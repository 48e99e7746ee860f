#pragma once

#include "render/matrix.h"

namespace bastion::testing_support {

// The shell's desktop projection for its 1280 x 800 window, which the
// renderer's tests and benchmarks draw with (they sit below the shell).
constexpr float kDesktopVerticalTangent = 0.7602044f;
constexpr float kDesktopFocalY = 1.3154358f;

inline vant::Matrix desktopProjection() {
    vant::Matrix projection{};
    projection[0] = 1.0f / (kDesktopVerticalTangent * 1280.0f / 800.0f);
    projection[5] = kDesktopFocalY;
    projection[10] = -1.0000333f;
    projection[11] = -1.0f;
    projection[14] = -0.10000167f;
    return projection;
}

}  // namespace bastion::testing_support

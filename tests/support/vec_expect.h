#pragma once

#include <gtest/gtest.h>

#include "world/math.h"

namespace bastion::testing_support {

// Component-wise closeness of two vectors, reported per axis.
inline void expectNear(Vec3 actual, Vec3 expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

}  // namespace bastion::testing_support

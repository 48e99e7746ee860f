#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "support/vec_expect.h"
#include "world/math.h"

namespace bastion {
namespace {

using testing_support::expectNear;

constexpr float kPi = std::numbers::pi_v<float>;

TEST(QuaternionProduct, AppliesTheRightRotationFirst) {
    const Quaternion yaw = angles(0.8f, 0, 0), pitch = angles(0, -0.3f, 0);
    const Quaternion both = yaw * pitch;
    const Quaternion expected = angles(0.8f, -0.3f, 0);
    EXPECT_NEAR(both.x, expected.x, 1e-6f);
    EXPECT_NEAR(both.y, expected.y, 1e-6f);
    EXPECT_NEAR(both.z, expected.z, 1e-6f);
    EXPECT_NEAR(both.w, expected.w, 1e-6f);
    const Vec3 v{0.2f, 1.0f, -3.0f};
    expectNear(rotate(both, v), rotate(yaw, rotate(pitch, v)), 1e-5f);
    EXPECT_EQ(Quaternion{} * yaw, yaw);
}

TEST(Normalize, FallsBackToForward) {
    expectNear(normalize({3, 0, 4}), {0.6f, 0, 0.8f}, 1e-7f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (Vec3 v : {Vec3{}, Vec3{1e-6f, 0, 0}, Vec3{nan, 0, 0}, Vec3{inf, 0, 0}}) {
        EXPECT_EQ(normalize(v), (Vec3{0, 0, -1}));
    }
}

TEST(Wrap, BringsAnglesIntoOneTurn) {
    EXPECT_NEAR(wrap(3 * kPi / 2), -kPi / 2, 1e-6f);
    EXPECT_NEAR(wrap(-5 * kPi / 2), -kPi / 2, 1e-5f);
    EXPECT_FLOAT_EQ(wrap(1.0f), 1.0f);
}

}  // namespace
}  // namespace bastion

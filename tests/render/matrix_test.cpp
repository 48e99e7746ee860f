#include <cmath>

#include <gtest/gtest.h>

#include "render/matrix.h"

namespace vant {
namespace {

constexpr float kTolerance = 1e-6f;

void expectNear(const Matrix& actual, const Matrix& expected) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], kTolerance) << "element " << i;
}

// An arbitrary matrix with no zero or repeated element.
const Matrix kDense{1.5f, -2, 3, 0.25f, 4, 5.5f, -6, 7, -8, 9, 10.5f, -11, 12, -13, 14, 15.5f};

TEST(MatrixTest, IdentityIsNeutralOnBothSides) {
    EXPECT_EQ(multiply(identity, kDense), kDense);
    EXPECT_EQ(multiply(kDense, identity), kDense);
}

TEST(MatrixTest, ProductTakesColumnsOfTheLeftByElementsOfTheRight) {
    // Column j of a x b is a's columns weighted by column j of b.
    const Matrix weights{0, 1, 0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, -1, 0};
    expectNear(multiply(kDense, weights), {4, 5.5f, -6, 7, 12, -13, 14, 15.5f, 3, -4, 6, 0.5f, 8, -9, -10.5f, 11});
}

TEST(MatrixTest, TranslationAfterRotationKeepsTheOffset) {
    const float quarter = static_cast<float>(M_PI / 2);
    expectNear(multiply(translation(1, 2, 3), rotationY(quarter)), {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 2, 3, 1});
    // The other order turns the offset too.
    expectNear(multiply(rotationY(quarter), translation(1, 2, 3)), {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 3, 2, -1, 1});
}

TEST(MatrixTest, PositiveYawTurnsForwardToTheLeft) {
    const Matrix turned = rotationY(static_cast<float>(M_PI / 2));
    // Column 2 negated is where -Z goes.
    EXPECT_NEAR(-turned[8], -1.0f, kTolerance);
    EXPECT_NEAR(-turned[9], 0.0f, kTolerance);
    EXPECT_NEAR(-turned[10], 0.0f, kTolerance);
    expectNear(multiply(rotationY(0.3f), rotationY(0.4f)), rotationY(0.7f));
}

TEST(MatrixTest, RigidInverseUndoesAPose) {
    const Matrix pose = multiply(translation(4, -2, 7), rotationY(0.7f));
    const Matrix inverse = rigidInverse(pose);
    expectNear(multiply(inverse, pose), identity);
    expectNear(multiply(pose, inverse), identity);
    expectNear(rigidInverse(translation(1, 2, 3)), translation(-1, -2, -3));
    EXPECT_EQ(inverse[3], 0.0f);
    EXPECT_EQ(inverse[7], 0.0f);
    EXPECT_EQ(inverse[11], 0.0f);
    EXPECT_EQ(inverse[15], 1.0f);
}

}  // namespace
}  // namespace vant

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "support/vec_expect.h"
#include "world/arm.h"

namespace bastion {
namespace {

using testing_support::expectNear;

constexpr float kPi = std::numbers::pi_v<float>;
const Vec3 kEye{10, 12, -4};

HandPose pose(Vec3 position) {
    HandPose hand;
    hand.position = position;
    hand.valid = true;
    return hand;
}

Vec3 unit(Vec3 v) { return v * (1.0f / length(v)); }

// Distance of p from the line through a along the unit direction u.
float offLine(Vec3 p, Vec3 a, Vec3 u) {
    const Vec3 d = p - a;
    return length(d - u * dot(d, u));
}

TEST(SolveArm, DefaultRigReachesTowardsTheHand) {
    const ArmRig rig;
    for (const int hand : {0, 1}) {
        SCOPED_TRACE(hand == 0 ? "left" : "right");
        const float side = hand == 0 ? -1.0f : 1.0f;
        const Arm arm = solveArm(pose({0.4f * side, -0.13f, -0.75f}), hand, kEye, 0, rig, 0);
        ASSERT_TRUE(arm.tracked);
        expectNear(arm.shoulder, kEye + Vec3{2.5f * side, -1.2f, -0.1f}, 1e-3f);
        // The target eye + (2.4, -0.78, -4.5) lies 4.42 away, beyond the reach
        // of 3.899: the wrist stops short on the same line.
        const Vec3 target = kEye + Vec3{2.4f * side, -0.78f, -4.5f};
        const Vec3 u = unit(target - arm.shoulder);
        EXPECT_NEAR(length(target - arm.shoulder), 4.421f, 1e-3f);
        expectNear(arm.wrist, arm.shoulder + u * 3.899f, 1e-3f);
        EXPECT_NEAR(length(arm.elbow - arm.shoulder), 2.1f, 1e-3f);
        EXPECT_NEAR(length(arm.wrist - arm.elbow), 1.8f, 1e-3f);
        EXPECT_NEAR(offLine(arm.elbow, arm.shoulder, u), 0.044f, 1e-3f);
        // Bent outward and down.
        EXPECT_GT((arm.elbow.x - arm.shoulder.x) * side - (arm.wrist.x - arm.shoulder.x) * side * 2.1f / 3.899f, 0);
        EXPECT_LT(arm.elbow.y - (arm.shoulder.y + u.y * 2.1f), 0.0f);
        // The left hand mirrors the muzzle's x.
        expectNear(arm.muzzle, arm.wrist + Vec3{-0.34f * side, 0.08f, -2.28f}, 1e-3f);
        expectNear(arm.forward, {0, 0, -1}, 1e-6f);
        EXPECT_EQ(arm.aim, Quaternion{});
    }
}

TEST(SolveArm, TurnsWithTheTorsoHeading) {
    const ArmRig rig;
    const HandPose hand = pose({0.3f, 0.1f, -0.5f});
    const float heading = 1.1f;
    const Quaternion torso = angles(heading, 0, 0);
    const Arm ahead = solveArm(hand, 1, {}, 0, rig, 3);
    const Arm turned = solveArm(hand, 1, {}, heading, rig, 3);
    expectNear(turned.shoulder, rotate(torso, ahead.shoulder), 1e-4f);
    expectNear(turned.elbow, rotate(torso, ahead.elbow), 1e-4f);
    expectNear(turned.wrist, rotate(torso, ahead.wrist), 1e-4f);
    expectNear(turned.muzzle, rotate(torso, ahead.muzzle), 1e-4f);
    expectNear(turned.forward, direction(heading, 0), 1e-5f);
}

TEST(SolveArm, HandBehindTheHeadSwingsToTheSide) {
    // Heading of (0.3, 0.4) is behind; limited to the right side, the
    // distance 0.5 from the eye's vertical line is kept: target eye + (3, 0, 0),
    // within reach, so the wrist is on it.
    const Arm arm = solveArm(pose({0.3f, 0, 0.4f}), 1, kEye, 0, ArmRig{}, 0);
    ASSERT_TRUE(arm.tracked);
    expectNear(arm.wrist, kEye + Vec3{3, 0, 0}, 1e-3f);
}

TEST(SolveArm, HeldModelPicksTheMuzzleAndIsClamped) {
    const ArmRig rig;
    const HandPose hand = pose({0.2f, 0, -0.4f});
    const Arm rifle = solveArm(hand, 1, kEye, 0, rig, 1);
    expectNear(rifle.muzzle, rifle.wrist + rig.muzzle[1], 1e-5f);
    expectNear(solveArm(hand, 1, kEye, 0, rig, 9).muzzle, rifle.wrist + rig.muzzle[4], 1e-5f);
    expectNear(solveArm(hand, 1, kEye, 0, rig, -2).muzzle, rifle.wrist + rig.muzzle[0], 1e-5f);
}

TEST(SolveArm, UnusablePoseOrRigLeavesOnlyTheShoulder) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        void (*change)(HandPose&, ArmRig&);
    } cases[] = {
        {"pose not valid", [](HandPose& p, ArmRig&) { p.valid = false; }},
        {"grip squared length 0.4", [](HandPose& p, ArmRig&) { p.grip = {0, 0, 0, std::sqrt(0.4f)}; }},
        {"aim squared length 1.6", [](HandPose& p, ArmRig&) { p.aim = {0, 0, 0, std::sqrt(1.6f)}; }},
        {"NaN aim", [](HandPose& p, ArmRig&) { p.aim.x = kNaN; }},
        {"hand too far from the eye", [](HandPose& p, ArmRig&) { p.position = {0, 0, -3.1f}; }},
        {"NaN hand", [](HandPose& p, ArmRig&) { p.position.y = kNaN; }},
        {"upper arm too short", [](HandPose&, ArmRig& r) { r.upperLength = 0.05f; }},
        {"forearm too long", [](HandPose&, ArmRig& r) { r.foreLength = 10.5f; }},
        {"NaN scale", [](HandPose&, ArmRig& r) { r.trackingScale = kNaN; }},
    };
    for (const auto& c : cases) {
        HandPose hand = pose({0.4f, -0.13f, -0.75f});
        ArmRig rig;
        c.change(hand, rig);
        const Arm arm = solveArm(hand, 0, kEye, 0, rig, 0);
        EXPECT_FALSE(arm.tracked) << c.what;
        expectNear(arm.shoulder, kEye + Vec3{-2.5f, -1.2f, -0.1f}, 1e-5f);
        EXPECT_EQ(arm.elbow, Vec3{}) << c.what;
        EXPECT_EQ(arm.wrist, Vec3{}) << c.what;
        EXPECT_EQ(arm.muzzle, Vec3{}) << c.what;
        EXPECT_EQ(arm.forward, (Vec3{0, 0, -1})) << c.what;
    }
    // A slightly unnormalised rotation is still usable, and normalised.
    HandPose hand = pose({0.4f, -0.13f, -0.75f});
    hand.aim = {0, 0, 0, 1.2f};
    const Arm arm = solveArm(hand, 1, kEye, 0, ArmRig{}, 0);
    EXPECT_TRUE(arm.tracked);
    EXPECT_EQ(arm.aim, Quaternion{});
}

TEST(AttackOrientation, KeepsTheForwardHeadingInTheFrontHalf) {
    const float limit = kPi / 2;
    const struct {
        float yaw, expected;
    } cases[] = {{0.3f, 0.3f}, {-1.2f, -1.2f}, {2.5f, limit}, {-2.9f, -limit}, {3.0f, limit}};
    for (const auto& c : cases) {
        const Quaternion turned = attackOrientation(angles(c.yaw, 0.4f, 0.2f), limit);
        const Vec3 f = rotate(turned, {0, 0, -1});
        EXPECT_NEAR(std::atan2(-f.x, -f.z), c.expected, 1e-5f) << c.yaw;
        EXPECT_NEAR(f.y, std::sin(0.4f), 1e-5f) << "elevation kept";
    }
    const Quaternion up = angles(0.7f, kPi / 2, 0);
    EXPECT_EQ(attackOrientation(up, 0.1f), up);
}

TEST(Gesture, RecognisesAJabAfterAStillPhase) {
    Gesture g;
    const float dt = 0.05f;
    EXPECT_FALSE(g.sample({0, 0, 0}, true, dt)) << "first sample only stores";
    EXPECT_TRUE(g.valid);
    EXPECT_FALSE(g.sample({0, 0, 0.01f}, true, dt)) << "still: arms";
    EXPECT_TRUE(g.armed);
    EXPECT_TRUE(g.sample({0, 0, -0.09f}, true, dt)) << "speed 2";
    EXPECT_FALSE(g.armed);
    EXPECT_FLOAT_EQ(g.cooldown, 0.45f);
    EXPECT_FALSE(g.sample({0, 0, -0.19f}, true, dt)) << "disarmed";
}

TEST(Gesture, SpeedTravelAndCooldownThresholds) {
    // Each case: an armed detector with a stored position gets one sample.
    const struct {
        const char* what;
        float travel, dt, cooldown;
        bool punch, armedAfter;
    } cases[] = {
        {"fast enough", 0.1f, 0.05f, 0, true, false},
        {"too slow", 0.08f, 0.05f, 0, false, true},
        {"travel too short", 0.018f, 0.01f, 0, false, true},
        {"cooling down", 0.1f, 0.05f, 0.1f, false, true},
        {"tracking jump", 0.5f, 0.05f, 0, false, false},
        {"still", 0.01f, 0.05f, 0, false, true},
    };
    for (const auto& c : cases) {
        Gesture g;
        g.sample({}, true, c.dt);
        g.cooldown = c.cooldown + c.dt;  // lowered by dt before the test
        EXPECT_EQ(g.sample({0, 0, -c.travel}, true, c.dt), c.punch) << c.what;
        EXPECT_EQ(g.armed, c.armedAfter) << c.what;
    }
}

TEST(Gesture, CooldownAndRearming) {
    Gesture g;
    g.sample({}, true, 0.05f);
    ASSERT_TRUE(g.sample({0, 0, -0.1f}, true, 0.05f));
    // Still again, but the cooldown still runs.
    EXPECT_FALSE(g.sample({0, 0, -0.1f}, true, 0.05f));
    EXPECT_FALSE(g.sample({0, 0, -0.2f}, true, 0.05f));
    for (int i = 0; i < 7; ++i) g.sample({0, 0, -0.2f}, true, 0.05f);
    EXPECT_FLOAT_EQ(g.cooldown, 0);
    EXPECT_TRUE(g.sample({0, 0, -0.3f}, true, 0.05f)) << "again after the cooldown and a still phase";

    // A jump disarms until the hand rests again.
    Gesture jumpy;
    jumpy.sample({}, true, 0.05f);
    EXPECT_FALSE(jumpy.sample({0, 0, -0.5f}, true, 0.05f));
    EXPECT_FALSE(jumpy.sample({0, 0, -0.6f}, true, 0.05f)) << "still disarmed";
}

TEST(Gesture, UnusableSamplesReset) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        Vec3 position;
        bool valid;
        float dt;
    } cases[] = {
        {"long frame", {}, true, 0.2f},
        {"zero frame", {}, true, 0.0f},
        {"NaN position", {kNaN, 0, 0}, true, 0.05f},
        {"hand not valid", {}, false, 0.05f},
    };
    for (const auto& c : cases) {
        Gesture g;
        g.sample({}, true, 0.05f);
        g.armed = false;
        g.cooldown = 0.3f;
        EXPECT_FALSE(g.sample(c.position, c.valid, c.dt)) << c.what;
        EXPECT_FALSE(g.valid) << c.what;
        EXPECT_TRUE(g.armed) << c.what;
    }
    Gesture g;
    g.cooldown = 0.3f;
    g.sample({}, true, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(g.cooldown, 0.3f) << "a NaN frame leaves the cooldown alone";
}

}  // namespace
}  // namespace bastion

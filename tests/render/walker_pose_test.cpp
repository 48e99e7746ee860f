#include <array>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "render/walker_pose.h"
#include "support/refusal.h"

namespace bastion {
namespace {

using testing_support::refusal;

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

WalkerPart part(std::int32_t role, std::int32_t parent = -1) {
    WalkerPart p;
    p.role = role;
    p.parent = parent;
    return p;
}

// One part per role 0..7, all roots with the pivot at the origin, so each
// pose's rotation is its joint's own.
WalkerRig everyRole() {
    WalkerRig rig;
    for (std::int32_t role = 0; role < 8; ++role) {
        WalkerPart p = part(role);
        p.noFaces = true;  // no ground contact: translations stay as posed
        rig.parts.push_back(p);
    }
    return rig;
}

// The angle of a rotation about +X (legs) or +Y (torso) from its quaternion.
float angleAbout(const Quaternion& q, bool yAxis) { return 2.0f * std::atan2(yAxis ? q.y : q.x, q.w); }

TEST(PoseWalker, JointAnglesOfOneMomentOfTheCycle) {
    // Phase 4.5 puts the cycle a quarter in; speed 1 is half a stride.
    const WalkerPose pose = poseWalker(everyRole(), 4.5f, 1.0f, 1.0f);
    ASSERT_EQ(pose.parts.size(), 8u);
    EXPECT_EQ(pose.parts[0].rotation, (Quaternion{0, 0, 0, 1}));
    EXPECT_NEAR(pose.parts[1].rotation.y, std::sin(0.5f), 1e-6f);
    EXPECT_NEAR(pose.parts[1].rotation.w, std::cos(0.5f), 1e-6f);
    const float expected[8] = {0, 0, 0.12f, 0.0f, -0.12f, -0.12f, 0.11f, 0.01f};
    for (std::size_t role = 2; role < 8; ++role)
        EXPECT_NEAR(angleAbout(pose.parts[role].rotation, false), expected[role], 1e-6f) << "role " << role;
    EXPECT_EQ(pose.lift, 0.0f);
}

TEST(PoseWalker, CycleRepeatsAndStrideSignDoesNotMatter) {
    const WalkerRig rig = everyRole();
    const auto same = [](const WalkerPose& a, const WalkerPose& b, const std::string& what) {
        for (std::size_t i = 0; i < a.parts.size(); ++i) {
            EXPECT_NEAR(a.parts[i].rotation.x, b.parts[i].rotation.x, 2e-6f) << what << " part " << i;
            EXPECT_NEAR(a.parts[i].rotation.y, b.parts[i].rotation.y, 2e-6f) << what << " part " << i;
            EXPECT_NEAR(a.parts[i].rotation.w, b.parts[i].rotation.w, 2e-6f) << what << " part " << i;
        }
    };
    for (const float phase : {0.0f, 2.3f, 7.9f, 13.1f}) {
        same(poseWalker(rig, phase, 1.3f, 0.2f), poseWalker(rig, phase + 18.0f, 1.3f, 0.2f), "period");
        same(poseWalker(rig, phase, -3.0f, 0.2f), poseWalker(rig, phase, 3.0f, 0.2f), "sign");
    }
    // Beyond a full stride nothing grows.
    same(poseWalker(rig, 5.0f, 2.0f, 0.0f), poseWalker(rig, 5.0f, 40.0f, 0.0f), "full stride");
}

TEST(PoseWalker, StandingTorsoClampsAndNonFiniteInputs) {
    const WalkerRig rig = everyRole();
    const WalkerPose standing = poseWalker(rig, 4.5f, 0.0f, 0.3f);
    for (std::size_t role = 2; role < 8; ++role)
        EXPECT_EQ(standing.parts[role].rotation, (Quaternion{0, 0, 0, 1})) << role;
    EXPECT_NEAR(angleAbout(standing.parts[1].rotation, true), 0.3f, 1e-6f);

    struct Case {
        float torso;
        float angle;
    };
    const Case torsos[] = {{2.0f, 1.57079637f}, {-2.0f, -1.57079637f}, {4.0f, -1.57079637f},
                           {kNan, 0.0f},        {kInf, 0.0f},          {1.5f, 1.5f}};
    for (const Case& c : torsos)
        EXPECT_NEAR(angleAbout(poseWalker(rig, 0, 0, c.torso).parts[1].rotation, true), c.angle, 1e-6f) << c.torso;

    // A phase that is not finite is phase 0; a speed that is not finite no stride.
    for (const float phase : {kNan, kInf, -kInf}) {
        const WalkerPose pose = poseWalker(rig, phase, 2.0f, 0.0f);
        const WalkerPose zero = poseWalker(rig, 0.0f, 2.0f, 0.0f);
        for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(pose.parts[i].rotation, zero.parts[i].rotation);
    }
    EXPECT_EQ(poseWalker(rig, 4.5f, kNan, 0.0f).parts[2].rotation, (Quaternion{0, 0, 0, 1}));
}

TEST(PoseWalker, PartsTurnAboutTheirPivotsUnderTheirParents) {
    WalkerRig rig;
    WalkerPart torso = part(1);
    torso.pivot = {1, 0, 0};
    WalkerPart arm = part(0, 0);
    arm.pivot = {5, 5, 5};
    rig.parts = {torso, arm};
    const WalkerPose pose = poseWalker(rig, 0, 0, 1.57079637f);
    // The torso's pivot stays where it is; a point one unit along -Z from it
    // turns to -X.
    const Vec3 pivot = animatedPoint(pose.parts[0], {1, 0, 0});
    EXPECT_NEAR(pivot.x, 1.0f, 1e-6f);
    EXPECT_NEAR(pivot.z, 0.0f, 1e-6f);
    const Vec3 ahead = animatedPoint(pose.parts[1], {1, 0, -1});
    EXPECT_NEAR(ahead.x, 0.0f, 1e-6f);
    EXPECT_NEAR(ahead.z, 0.0f, 1e-6f);
    // A rigid root stays put wherever its pivot lies.
    WalkerRig rigid;
    rigid.parts = {part(0)};
    rigid.parts[0].pivot = {5, 5, 5};
    const WalkerPose still = poseWalker(rigid, 3, 1, 1);
    EXPECT_EQ(still.parts[0].rotation, (Quaternion{0, 0, 0, 1}));
    EXPECT_EQ(still.parts[0].translation, (Vec3{0, 0, 0}));
}

TEST(PoseWalker, LowestFootCornerRestsOnTheFloor) {
    WalkerRig rig;
    WalkerPart foot = part(4);
    foot.low = {-1, -3.5f, -1};
    foot.high = {1, -3, 1};
    rig.parts = {foot};
    const WalkerPose pose = poseWalker(rig, 0, 0, 0);
    EXPECT_FLOAT_EQ(pose.lift, 3.5f);
    EXPECT_EQ(pose.parts[0].translation, (Vec3{0, 3.5f, 0}));

    rig.parts[0].noFaces = true;
    EXPECT_EQ(poseWalker(rig, 0, 0, 0).lift, 0.0f);
    rig.parts[0] = part(0);
    rig.parts[0].low = {0, -9, 0};
    EXPECT_EQ(poseWalker(rig, 0, 0, 0).lift, 0.0f);
    EXPECT_TRUE(poseWalker(WalkerRig{}, 1, 1, 1).parts.empty());
}

TEST(PoseWalker, PartsOutOfOrderAreRefused) {
    for (const std::int32_t parent : {-2, 0, 1}) {
        WalkerRig rig;
        rig.parts = {part(0, parent)};
        EXPECT_EQ(refusal([&] { poseWalker(rig, 0, 0, 0); }), "Invalid walker hierarchy") << parent;
    }
}

TEST(AnimatedPoint, RotatesThenTranslates) {
    const PartPose turned{{0, std::sin(0.5f), 0, std::cos(0.5f)}, {1, 2, 3}};
    const Vec3 p = animatedPoint(turned, {0, 0, -1});
    EXPECT_NEAR(p.x, 1.0f - std::sin(1.0f), 1e-6f);
    EXPECT_NEAR(p.y, 2.0f, 1e-6f);
    EXPECT_NEAR(p.z, 3.0f - std::cos(1.0f), 1e-6f);
    EXPECT_EQ(animatedPoint(PartPose{{}, {1, 2, 3}}, {1, 1, 1}), (Vec3{2, 3, 4}));
}

TEST(Bone, FramesOfSegments) {
    using M = std::array<float, 16>;
    struct Case {
        const char* name;
        Vec3 a, b;
        Quaternion reference;
        M expected;
    };
    const float c = std::cos(0.6f), s = std::sin(0.6f);
    const Quaternion tilted{0, 0, std::sin(0.3f), std::cos(0.3f)};
    const Case cases[] = {
        {"forward", {0, 0, 0}, {0, 0, -2}, {}, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}},
        {"forward moved", {1, 2, 3}, {1, 2, 1}, {}, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}},
        {"straight down", {0, 0, 0}, {0, -3, 0}, {}, {0, 0, 1, 0, 1, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 1}},
        {"sideways", {0, 0, 0}, {3, 0, 0}, {}, {0, 0, 1, 0, 0, 1, 0, 0, -3, 0, 0, 0, 0, 0, 0, 1}},
        {"no length", {4, 5, 6}, {4, 5, 6}, {}, {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 4, 5, 6, 1}},
        {"rolled", {0, 0, 0}, {0, 0, -2}, tilted, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}},
    };
    for (const Case& k : cases) {
        const M m = bone(k.a, k.b, k.reference);
        for (std::size_t i = 0; i < 16; ++i) EXPECT_NEAR(m[i], k.expected[i], 1e-6f) << k.name << " [" << i << "]";
    }
    // Points that are not finite fall back instead of failing.
    const M broken = bone({kNan, 0, 0}, {0, 0, 0}, {});
    EXPECT_EQ(broken[0], -1.0f);
}

}  // namespace
}  // namespace bastion

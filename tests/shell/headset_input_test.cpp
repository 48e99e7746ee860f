#include <gtest/gtest.h>

#include <cmath>

#include "shell/frontend/frontend.h"
#include "shell/headset_input.h"
#include "support/vec_expect.h"

namespace bastion {
namespace {

using testing_support::expectNear;

XrQuaternionf xr(Quaternion q) { return {q.x, q.y, q.z, q.w}; }
XrVector3f xr(Vec3 v) { return {v.x, v.y, v.z}; }

XrPosef headAt(float yaw, float pitch, Vec3 position) { return {xr(angles(yaw, pitch, 0.0f)), xr(position)}; }

void expectNear(const Quaternion& a, const Quaternion& b) {
    // q and -q are the same turn.
    const float sign = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w < 0.0f ? -1.0f : 1.0f;
    EXPECT_NEAR(a.x, sign * b.x, 1e-5f);
    EXPECT_NEAR(a.y, sign * b.y, 1e-5f);
    EXPECT_NEAR(a.z, sign * b.z, 1e-5f);
    EXPECT_NEAR(a.w, sign * b.w, 1e-5f);
}

vant::XR::Tracking tracked() {
    vant::XR::Tracking t;
    t.active = true;
    return t;
}

// The player stands turned by 0.5 rad at (1, 1.6, 2) when play is centred:
// hands held where they are in front of the body count from there, turned
// back, and the head's later turns count from that yaw.
TEST(HeadsetInput, HeadAndHandsCountFromTheReferenceTakenOnTheFirstTrackedFrame) {
    const float yaw = 0.5f;
    const Vec3 standing{1.0f, 1.6f, 2.0f};
    const Quaternion facing = angles(yaw, 0.0f, 0.0f);
    vant::XR::Tracking t = tracked();
    const Vec3 held[2] = {{-0.4f, -0.2f, -0.6f}, {0.3f, 0.1f, -0.5f}};
    for (int h = 0; h < 2; ++h) {
        t.grip[h] = {xr(facing * angles(0.0f, 0.3f, 0.0f)), xr(standing + rotate(facing, held[h]))};
        t.aim[h] = {xr(facing * angles(0.2f, 0.0f, 0.0f)), xr(Vec3{9, 9, 9})};
        t.aimValid[h] = true;
        t.gripValid[h] = true;
    }
    t.aimValid[0] = false;

    HeadReference reference;
    bool pause = false;
    const Input first = headsetInput(t, true, headAt(yaw, 0.0f, standing), Frontend::kPlaying, reference, pause).input;
    EXPECT_TRUE(reference.taken);
    EXPECT_NEAR(reference.yaw, yaw, 1e-6f);
    EXPECT_NEAR(first.axes[3], 0.0f, 1e-6f);
    for (int h = 0; h < 2; ++h) {
        expectNear(first.poses[h].position, held[h], 1e-5f);
        expectNear(first.hands[h], held[h], 1e-5f);
        expectNear(first.poses[h].grip, angles(0.0f, 0.3f, 0.0f));
        expectNear(first.poses[h].aim, angles(0.2f, 0.0f, 0.0f));
        EXPECT_TRUE(first.valid[h]);
    }
    // A hand counts as posed only with both its aim and its grip valid.
    EXPECT_FALSE(first.poses[0].valid);
    EXPECT_TRUE(first.poses[1].valid);

    // Later frames keep that reference: the head turned on by 0.3 and
    // looking 0.2 up; the turn is wrapped into [-pi, pi].
    struct Turn {
        float headYaw, headPitch, axisYaw, axisPitch;
    };
    const Turn turns[] = {{0.8f, 0.2f, 0.3f, 0.2f}, {-3.0f, -0.4f, 2.78318531f, -0.4f}};
    for (const Turn& turn : turns) {
        const Input later =
            headsetInput(t, true, headAt(turn.headYaw, turn.headPitch, standing), Frontend::kPlaying, reference, pause)
                .input;
        EXPECT_NEAR(later.axes[3], turn.axisYaw, 1e-5f) << turn.headYaw;
        EXPECT_NEAR(later.axes[4], turn.axisPitch, 1e-5f) << turn.headYaw;
        EXPECT_NEAR(headYaw(xr(angles(turn.headYaw, turn.headPitch, 0.0f))), turn.headYaw, 1e-5f);
    }

    // Dropped by recentring, the reference is taken again from the head.
    reference.taken = false;
    const Input recentred =
        headsetInput(t, true, headAt(-1.0f, 0.0f, {0, 0, 0}), Frontend::kPlaying, reference, pause).input;
    EXPECT_NEAR(recentred.axes[3], 0.0f, 1e-6f);
    EXPECT_NEAR(reference.yaw, -1.0f, 1e-6f);
}

TEST(HeadsetInput, ControllerStateBecomesAxesButtonsAndPings) {
    vant::XR::Tracking t = tracked();
    t.stick[0] = {0.25f, -0.5f};
    t.stick[1] = {0.75f, 0.9f};
    t.trigger[1] = true;
    t.secondary[0] = true;
    t.primary[1] = true;
    t.squeeze[0] = true;
    t.rightClick = t.leftClick = t.leftUse = true;  // read by no one here
    HeadReference reference;
    bool pause = false;
    const Input input =
        headsetInput(t, false, headAt(0, 0, {0, 1.6f, 0}), Frontend::kPlaying, reference, pause).input;
    EXPECT_FALSE(input.focused);
    EXPECT_TRUE(input.head);
    const float axes[3] = {0.25f, -0.5f, 0.75f};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(input.axes[i], axes[i]) << i;
    const bool fire[6] = {false, true, true, false, false, true};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(input.fire[i], fire[i]) << i;
    EXPECT_TRUE(input.ping[0]);
    EXPECT_FALSE(input.ping[1]);
    EXPECT_FALSE(input.punch[0] || input.punch[1]);
    // No hand tracked: no valid hands, no valid poses.
    EXPECT_FALSE(input.valid[0] || input.valid[1] || input.poses[0].valid || input.poses[1].valid);
}

// Untracked frames give the default Input (but for the head and focus
// flags) and leave the reference to be taken later; the menu flags still
// come from the pause button and the right stick.
TEST(HeadsetInput, UntrackedFramesKeepTheDefaults) {
    vant::XR::Tracking t;
    t.stick[0] = {1.0f, 1.0f};
    t.trigger[0] = true;
    HeadReference reference;
    bool pause = false;
    const Input input = headsetInput(t, true, headAt(1, 0, {0, 1.6f, 0}), Frontend::kPlaying, reference, pause).input;
    EXPECT_FALSE(input.head);
    EXPECT_TRUE(input.focused);
    EXPECT_FALSE(reference.taken);
    const Input defaults;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(input.axes[i], 0.0f) << i;
    EXPECT_FALSE(input.fire[0]);
    EXPECT_EQ(input.poses[0].position, defaults.poses[0].position);
    EXPECT_TRUE(input.poses[1].valid);
}

TEST(HeadsetInput, PauseAndTheRightStickWorkTheMenus) {
    struct Case {
        int screen;
        bool pause, wasHeld;
        float stickY;
        bool select, back, missionMenu;
    };
    const Case cases[] = {
        {Frontend::kPlaying, true, false, 0.0f, false, false, true},
        {Frontend::kPlaying, true, true, 0.0f, false, false, false},  // held, not pressed
        {Frontend::kMissionMenu, true, false, 0.0f, false, false, true},
        {Frontend::kLobbyReady, true, false, 0.0f, true, false, false},
        {Frontend::kLoadout, true, false, 0.0f, true, false, false},
        {Frontend::kDebrief, true, true, 0.0f, true, false, false},
        {Frontend::kCampaignChoice, true, true, 0.0f, false, true, false},
        {Frontend::kBriefing, true, false, 0.0f, false, true, false},
        {Frontend::kConnectionLost, true, false, 0.0f, false, true, false},
        {Frontend::kSkirmishSetup, true, false, 0.0f, false, true, false},
        {Frontend::kTitle, true, false, 0.0f, false, false, false},
        {Frontend::kTitle, false, false, -0.71f, false, true, false},
        {Frontend::kTitle, false, false, -0.7f, false, false, false},
        {Frontend::kPlaying, false, false, -0.9f, false, true, false},
    };
    for (const Case& c : cases) {
        vant::XR::Tracking t = tracked();
        t.pause = c.pause;
        t.stick[1].y = c.stickY;
        HeadReference reference;
        bool pause = c.wasHeld;
        const HeadsetFrame frame = headsetInput(t, true, headAt(0, 0, {}), c.screen, reference, pause);
        EXPECT_EQ(frame.select, c.select) << c.screen << " " << c.stickY;
        EXPECT_EQ(frame.back, c.back) << c.screen << " " << c.stickY;
        EXPECT_EQ(frame.missionMenu, c.missionMenu) << c.screen << " " << c.wasHeld;
        EXPECT_EQ(pause, c.pause);
    }
}

}  // namespace
}  // namespace bastion

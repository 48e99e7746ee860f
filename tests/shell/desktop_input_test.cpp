#include <gtest/gtest.h>

#include <cmath>

#include "shell/desktop_input.h"
#include "shell/frontend/frontend.h"
#include "world/pilot.h"

namespace bastion {
namespace {

Quaternion about(Vec3 axis, float angle) {
    const float s = std::sin(angle / 2.0f);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2.0f)};
}

void expectNear(const Quaternion& a, const Quaternion& b) {
    EXPECT_NEAR(a.x, b.x, 1e-6f);
    EXPECT_NEAR(a.y, b.y, 1e-6f);
    EXPECT_NEAR(a.z, b.z, 1e-6f);
    EXPECT_NEAR(a.w, b.w, 1e-6f);
}

TEST(DesktopInput, KeysAndButtonsFillTheInput) {
    HeldKeys keys;
    keys.d = keys.w = keys.right = true;
    keys.mounts[1] = keys.mounts[3] = true;
    keys.mouseRight = keys.g = keys.e = true;
    DesktopLook look;
    look.yaw = 0.5f;
    look.pitch = -0.25f;
    const Input input = desktopInput(keys, look, false, Frontend::kPlaying);
    EXPECT_FALSE(input.focused);
    EXPECT_TRUE(input.head);
    const float axes[5] = {1, 1, 1, 0.5f, -0.25f};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(input.axes[i], axes[i]) << i;
    const bool fire[6] = {false, true, false, true, false, true};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(input.fire[i], fire[i]) << i;
    EXPECT_TRUE(input.ping[0]);
    EXPECT_FALSE(input.ping[1]);
    EXPECT_FALSE(input.punch[0]);
    EXPECT_TRUE(input.punch[1]);
    EXPECT_FALSE(input.valid[0]);
    EXPECT_FALSE(input.valid[1]);
    EXPECT_EQ(input.hands[0], (Vec3{}));
}

TEST(DesktopInput, ArrowsMoveMenuCursorsAndOnlyThemOnTheJoinCodeScreen) {
    HeldKeys keys;
    keys.a = keys.w = true;  // letters typed into a code
    keys.right = keys.down = true;
    struct Case {
        int screen;
        float steer, forward;
    };
    const Case cases[] = {
        {Frontend::kPlaying, -1, 1},
        {Frontend::kTitle, 0, 0},
        {Frontend::kJoinCode, 1, -1},
    };
    for (const Case& c : cases) {
        const Input input = desktopInput(keys, DesktopLook{}, true, c.screen);
        EXPECT_EQ(input.axes[0], c.steer) << c.screen;
        EXPECT_EQ(input.axes[1], c.forward) << c.screen;
        EXPECT_EQ(input.axes[2], 1.0f) << c.screen;
    }
}

TEST(DesktopInput, HandPosesComeFromTheHandState) {
    DesktopLook look;
    look.hands[1] = {0.5f, -0.2f, -1.0f, 0.3f, -0.4f, 0.2f};
    const Input input = desktopInput(HeldKeys{}, look, true, Frontend::kPlaying);
    const HandPose& left = input.poses[0];
    EXPECT_EQ(left.position, (Vec3{-0.4f, -0.13f, -0.75f}));
    expectNear(left.grip, Quaternion{});
    const HandPose& right = input.poses[1];
    EXPECT_EQ(right.position, (Vec3{0.5f, -0.2f, -1.0f}));
    const Quaternion want = about({0, 1, 0}, 0.3f) * about({1, 0, 0}, -0.4f) * about({0, 0, 1}, 0.2f);
    expectNear(right.grip, want);
    expectNear(right.aim, want);
    EXPECT_TRUE(left.valid);
    EXPECT_TRUE(right.valid);
}

TEST(DesktopInput, MouseLooksOrMovesTheHeldHands) {
    DesktopLook look;
    HeldKeys keys;
    applyMouseMotion(look, keys, 100.0f, -40.0f);
    EXPECT_FLOAT_EQ(look.yaw, -0.25f);
    EXPECT_FLOAT_EQ(look.pitch, 0.1f);
    applyMouseMotion(look, keys, 0.0f, -10000.0f);
    EXPECT_EQ(look.pitch, 1.45f);
    applyMouseMotion(look, keys, -1400.0f, 0.0f);  // yaw 3.25 wraps past pi
    EXPECT_NEAR(look.yaw, 3.25f - 6.2831855f, 1e-5f);

    // Z and C together move both hands by the same motion; the look stays.
    const DesktopLook before = look;
    keys.z = keys.c = true;
    applyMouseMotion(look, keys, 40.0f, 10000.0f);
    EXPECT_EQ(look.yaw, before.yaw);
    for (const DesktopHand& hand : look.hands) {
        EXPECT_FLOAT_EQ(hand.yaw, -0.1f);
        EXPECT_EQ(hand.pitch, -1.5f);
    }
    keys.c = false;
    keys.shift = true;
    applyMouseMotion(look, keys, 50.0f, 25.0f);
    EXPECT_FLOAT_EQ(look.hands[0].offsetX, -0.3f);
    EXPECT_FLOAT_EQ(look.hands[0].offsetY, -0.18f);
    EXPECT_FLOAT_EQ(look.hands[1].offsetX, 0.4f);
    keys.shift = false;
    keys.alt = true;
    applyMouseMotion(look, keys, 1000.0f, 0.0f);
    EXPECT_FLOAT_EQ(look.hands[0].roll, -5.0f);  // neither wrapped nor clamped

    // The wheel pushes the held hand's depth within [-1.2, 0.3].
    applyMouseWheel(look, keys, -2.0f);
    EXPECT_FLOAT_EQ(look.hands[0].depth, -0.65f);
    applyMouseWheel(look, keys, -100.0f);
    EXPECT_EQ(look.hands[0].depth, 0.3f);
    applyMouseWheel(look, keys, 100.0f);
    EXPECT_EQ(look.hands[0].depth, -1.2f);
    EXPECT_EQ(look.hands[1].depth, -0.75f);

    recenter(look);
    EXPECT_EQ(look.yaw, 0.0f);
    EXPECT_EQ(look.hands[0].depth, -0.75f);
    EXPECT_EQ(look.hands[0].offsetX, -0.4f);
}

TEST(DesktopInput, KeyPresses) {
    Frontend frontend;
    FrameRequests requests;
    pressKey(ShellKey::kW, false, frontend, kStatusActive, requests);
    EXPECT_TRUE(requests.running);
    pressKey(ShellKey::kW, true, frontend, kStatusActive, requests);
    EXPECT_FALSE(requests.running);

    requests = {};
    pressKey(ShellKey::kReturn, false, frontend, kStatusActive, requests);
    pressKey(ShellKey::kEscape, false, frontend, kStatusActive, requests);
    EXPECT_TRUE(requests.select);
    EXPECT_TRUE(requests.back);
    EXPECT_FALSE(requests.missionMenu);

    for (const Frontend::Screen screen : {Frontend::kPlaying, Frontend::kMissionMenu}) {
        frontend.screen = screen;
        requests = {};
        pressKey(ShellKey::kEscape, false, frontend, kStatusActive, requests);
        EXPECT_TRUE(requests.missionMenu);
        EXPECT_FALSE(requests.back);
    }

    requests = {};
    pressKey(ShellKey::kR, false, frontend, kStatusKilled, requests);
    EXPECT_FALSE(requests.recenter);
    pressKey(ShellKey::kR, false, frontend, kStatusLost, requests);
    EXPECT_TRUE(requests.recenter);

    frontend.loadoutCursor = 4;
    pressKey(ShellKey::kDelete, false, frontend, kStatusActive, requests);
    EXPECT_EQ(frontend.loadoutCursor, 4);
    frontend.screen = Frontend::kLoadout;
    pressKey(ShellKey::kDelete, false, frontend, kStatusActive, requests);
    EXPECT_EQ(frontend.loadoutCursor, 0);

    // M mutes the radio in co-op, except while a join code is typed.
    pressKey(ShellKey::kM, false, frontend, kStatusActive, requests);
    EXPECT_TRUE(frontend.radio);
    frontend.coopActive = true;
    pressKey(ShellKey::kM, false, frontend, kStatusActive, requests);
    EXPECT_FALSE(frontend.radio);
    frontend.screen = Frontend::kJoinCode;
    pressKey(ShellKey::kM, false, frontend, kStatusActive, requests);
    EXPECT_FALSE(frontend.radio);

    pressKey(ShellKey::kTab, false, frontend, kStatusActive, requests);
    EXPECT_EQ(frontend.spectateIndex, 0);
    frontend.spectating = true;
    pressKey(ShellKey::kTab, false, frontend, kStatusActive, requests);
    EXPECT_EQ(frontend.spectateIndex, 1);
}

TEST(DesktopInput, TypedJoinCode) {
    Frontend frontend;
    typeJoinCode(frontend, "abc");
    EXPECT_EQ(frontend.joinCode, "AAAAAA");  // only on the join-code screen
    frontend.screen = Frontend::kJoinCode;
    typeJoinCode(frontend, "abc1");
    EXPECT_EQ(frontend.joinCode, "ABCAAA");
    EXPECT_EQ(frontend.joinCursor, 3);
    typeJoinCode(frontend, "x9z");
    EXPECT_EQ(frontend.joinCode, "ABCX9Z");
    EXPECT_EQ(frontend.joinCursor, 0);
    typeJoinCode(frontend, "oI0-");
    EXPECT_EQ(frontend.joinCode, "ABCX9Z");
}

}  // namespace
}  // namespace bastion

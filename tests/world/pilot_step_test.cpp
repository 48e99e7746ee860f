#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/step_driver.h"
#include "support/vec_expect.h"
#include "world/world.h"

namespace bastion {
namespace {

using namespace testing_support;

constexpr float kPi = 3.14159265358979f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const Loadout kRifles{kRifle, kRifle, kGatling, kGatling, kAutoGrenade, kAutoGrenade};

// Marks state that only resetting the tracking clears.
void dirtyTracking(Pilot& pilot) {
    pilot.walk_speed = 3.0f;
    for (Gesture& gesture : pilot.gestures) {
        gesture.valid = true;
        gesture.armed = false;
    }
    for (Arm& arm : pilot.arms) arm.tracked = true;
}

void expectTrackingReset(const Pilot& pilot) {
    EXPECT_EQ(pilot.walk_speed, 0.0f);
    for (const Gesture& gesture : pilot.gestures) {
        EXPECT_FALSE(gesture.valid);
        EXPECT_TRUE(gesture.armed);
    }
    for (const Arm& arm : pilot.arms) EXPECT_FALSE(arm.tracked);
}

// A frame whose time is unusable only resets the tracking, whatever it asks.
TEST(PilotStepGates, UnusableFrameTimesOnlyResetTracking) {
    for (float dt : {0.0f, -0.01f, kNaN, kInf, -kInf, 0.2f}) {
        SCOPED_TRACE(dt);
        World world = armedRange(kRifles);
        dirtyTracking(world.pilot);
        Input input = firing({0, 1, 2, 3, 4, 5});
        input.axes[0] = input.axes[1] = input.axes[2] = 1.0f;
        input.axes[3] = 0.5f;
        input.ping[0] = true;
        world.step(input, dt, true);
        expectTrackingReset(world.pilot);
        expectNear(world.pilot.position, {0, 0, 35}, 0);
        for (float angle : world.pilot.angles) EXPECT_EQ(angle, 0.0f);
        EXPECT_TRUE(world.projectiles.empty());
        EXPECT_TRUE(world.sounds.empty());
        EXPECT_FALSE(world.pilot.pingLatch[0]);
    }
}

TEST(PilotStepGates, KilledPilotEjectsByAtMostOneSecondPerFrame) {
    struct Case {
        float dt;
        float ejection;
    };
    for (const Case& c : {Case{0.0f, 0.0f}, Case{kNaN, 0.0f}, Case{0.05f, 0.05f}, Case{0.2f, 0.2f}, Case{5.0f, 1.0f}}) {
        SCOPED_TRACE(c.dt);
        World world = armedRange(kRifles);
        world.pilot.status = kStatusKilled;
        world.pilot.dead = true;
        world.step(firing({2}), c.dt, true);
        EXPECT_FLOAT_EQ(world.pilot.ejection, c.ejection);
        EXPECT_TRUE(world.projectiles.empty());
    }
}

TEST(PilotStepGates, UnfocusedOrHeadlessFramesLatchButtonsAndClearTheLock) {
    const auto spoil = [](Input& input, int how) {
        if (how == 0) input.focused = false;
        if (how == 1) input.head = false;
        if (how == 2) input.axes[3] = kNaN;
        if (how == 3) input.axes[4] = kInf;
    };
    for (int how = 0; how < 4; ++how) {
        SCOPED_TRACE(how);
        World world = armedRange({kEmptyHand, kRifle, kGatling, kGatling, kAutoGrenade, kAutoGrenade});
        hold(world, released(), 0.05f);
        world.pilot.homing_target = 3;
        world.pilot.pingLatch[1] = true;
        Input input = firing({0, 2});
        input.punch[1] = true;
        input.axes[1] = 1.0f;
        spoil(input, how);
        EXPECT_EQ(hold(world, input, 0.05f), 0u);
        EXPECT_EQ(world.pilot.homing_target, -1);
        expectTrackingReset(world.pilot);
        EXPECT_TRUE(world.pilot.fireLatch[0]);
        EXPECT_FALSE(world.pilot.fireLatch[1]);
        EXPECT_TRUE(world.pilot.fireLatch[2]);
        EXPECT_TRUE(world.pilot.punchLatch[1]);
        EXPECT_TRUE(world.pilot.pingLatch[1]) << "pings latch only in frames that pass the gate";
        expectNear(world.pilot.position, {0, 0, 35}, 0);

        // The empty hand's button stayed down: no strike on the first usable frame.
        Input focused = firing({0});
        focused.punch[1] = true;
        hold(world, focused, 0.05f);
        EXPECT_EQ(world.pilot.punches[0], 0);
        EXPECT_EQ(world.pilot.punches[1], 0);
        hold(world, released(), 0.05f);
        hold(world, focused, 0.05f);
        EXPECT_EQ(world.pilot.punches[0], 1);
        EXPECT_EQ(world.pilot.punches[1], 1);
    }
}

TEST(PilotStepGates, WonOrFinishedPilotsOnlyStopWalking) {
    for (int status : {kStatusWon, kStatusLost}) {
        World world = armedRange(kRifles);
        world.pilot.status = status;
        world.pilot.walk_speed = 4.0f;
        Input input = firing({0, 2});
        input.axes[0] = input.axes[1] = 1.0f;
        EXPECT_EQ(hold(world, input, 0.05f, 5), 0u);
        EXPECT_EQ(world.pilot.walk_speed, 0.0f);
        EXPECT_EQ(world.pilot.angles[0], 0.0f);
        expectNear(world.pilot.position, {0, 0, 35}, 0);
        EXPECT_EQ(world.pilot.status, status);
    }
}

// Stick to rate: the dead zone below 0.18, full rate at 1, clipped beyond.
TEST(PilotStepTurning, BodyAndTorsoTurnAtTheirRatesWithinLimits) {
    struct Case {
        float stick;
        float body;   // after one second
        float torso;  // after one second
    };
    const Case cases[] = {
        {1.0f, -0.8f, -1.35f}, {-1.0f, 0.8f, 1.35f}, {0.59f, -0.4f, -0.675f},
        {3.0f, -0.8f, -1.35f}, {0.17f, 0.0f, 0.0f},  {kNaN, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stick);
        World world = armedRange(kRifles);
        Input input;
        input.axes[0] = c.stick;
        input.axes[2] = c.stick;
        hold(world, input, 0.05f, 20);
        EXPECT_NEAR(world.pilot.angles[0], c.body, 1e-4f);
        EXPECT_NEAR(world.pilot.angles[1], c.torso, 1e-4f);
    }

    World world = armedRange(kRifles);
    Input input;
    input.axes[0] = -1.0f;
    input.axes[2] = 1.0f;
    hold(world, input, 0.1f, 50);
    EXPECT_FLOAT_EQ(world.pilot.angles[1], -kPi / 2) << "torso stops a quarter turn aside";
    EXPECT_NEAR(world.pilot.angles[0], std::remainder(4.0f, 2 * kPi), 1e-3f) << "the body turns on, wrapped";
}

TEST(PilotStepWalking, WalksAlongTheBodyHeadingAtEightUnitsPerSecond) {
    World world = armedRange(kRifles);
    world.pilot.angles[0] = kPi / 2;  // facing -x
    world.pilot.angles[1] = 0.3f;     // the torso does not steer the walk
    Input input;
    input.axes[1] = 1.0f;
    hold(world, input, 0.05f, 20);
    expectNear(world.pilot.position, {-8, 0, 35}, 1e-3f);
    EXPECT_NEAR(world.pilot.walk_speed, 8.0f, 1e-3f);

    input.axes[1] = -0.59f;  // half speed backward
    hold(world, input, 0.05f, 20);
    expectNear(world.pilot.position, {-4, 0, 35}, 1e-3f);
    EXPECT_NEAR(world.pilot.walk_speed, 4.0f, 1e-3f);

    input.axes[1] = kInf;
    hold(world, input, 0.05f);
    EXPECT_EQ(world.pilot.walk_speed, 0.0f);
}

TEST(PilotStepAim, AimFollowsTheTorsoWithinLimits) {
    struct Case {
        float yawStick, pitchStick, yaw, pitch;
    };
    const Case cases[] = {
        {0.3f, -0.2f, 1.3f, -0.2f},
        {2.0f, 3.0f, 1.0f + kPi / 4, 1.45f},
        {-2.0f, -3.0f, 1.0f - kPi / 4, -1.45f},
        {2 * kPi + 0.1f, 0.0f, 1.1f, 0.0f},  // the yaw stick is an angle, wrapped first
    };
    for (const Case& c : cases) {
        World world = armedRange(kRifles);
        world.pilot.angles[0] = 0.6f;
        world.pilot.angles[1] = 0.4f;
        Input input;
        input.axes[3] = c.yawStick;
        input.axes[4] = c.pitchStick;
        hold(world, input, 0.05f);
        EXPECT_NEAR(world.pilot.angles[2], c.yaw, 1e-5f);
        EXPECT_NEAR(world.pilot.angles[3], c.pitch, 1e-6f);
    }
}

TEST(PilotStepPings, PingsActOnPressesOfAnActivePilotOutsideCoop) {
    World world = armedRange(kRifles);
    world.pilot.status = kStatusActive;
    world.missionTime = 10.0f;
    Input input;
    input.ping[0] = true;
    hold(world, input, 0.05f);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[0], 16.0f);
    world.missionTime = 20.0f;
    hold(world, input, 0.05f);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[0], 16.0f) << "a held button pings once";
    hold(world, released(), 0.05f);
    hold(world, input, 0.05f);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[0], 26.0f);

    World coop = armedRange(kRifles);
    coop.coop = true;
    coop.pilot.status = kStatusActive;
    hold(coop, input, 0.05f);
    EXPECT_EQ(coop.pilot.map_ping[0], 0.0f);
    EXPECT_FALSE(coop.pilot.pingLatch[0]);
}

class CarrierTransit : public testing::Test {
protected:
    void SetUp() override {
        world = armedRange(kRifles, 1);
        Target carrier;
        carrier.unitType = 20;
        carrier.home = {0, 0, 33};
        carrier.position = {0, 2, 33};
        carrier.extent = {2, 2, 2};  // a pad below 3 wide still picks up within 3
        carrier.route = {{0, 0, -5}, {50, 0, 0}};
        world.targets = {carrier};
    }
    World world;
};

TEST_F(CarrierTransit, CarriesTheWalkerToTheRouteStartWhateverTheSticks) {
    Input input;
    input.axes[0] = input.axes[1] = 1.0f;
    hold(world, input, 0.05f);
    EXPECT_TRUE(world.pilot.inTransit);
    expectNear(world.pilot.position, {0, 0, 25}, 1e-4f);
    EXPECT_NEAR(world.pilot.walk_speed, 200.0f, 1e-2f);
    EXPECT_EQ(world.pilot.angles[0], 0.0f);
    expectNear(world.pilot.transitDestination, {0, 0, -5}, 0);
    hold(world, input, 0.05f, 2);
    EXPECT_TRUE(world.pilot.inTransit);
    hold(world, input, 0.05f);  // the last 10 units
    EXPECT_FALSE(world.pilot.inTransit);
    expectNear(world.pilot.position, {0, 0, -5}, 0);
    EXPECT_FLOAT_EQ(world.pilot.transitTimer, 2.0f);
}

TEST_F(CarrierTransit, PicksUpOnlyWithinThePadAfterThePause) {
    world.pilot.position = {3.0f, 0, 33};  // exactly at the pad's edge
    hold(world, released(), 0.05f);
    EXPECT_FALSE(world.pilot.inTransit);
    world.pilot.position = {2.9f, 0, 33};
    world.pilot.transitTimer = 0.06f;
    hold(world, released(), 0.05f);
    EXPECT_FALSE(world.pilot.inTransit) << "still pausing after the last ride";
    hold(world, released(), 0.05f);
    EXPECT_TRUE(world.pilot.inTransit);

    World sb1 = armedRange(kRifles, 0);
    sb1.targets = world.targets;
    sb1.pilot.position = {0, 0, 33};
    hold(sb1, released(), 0.05f);
    EXPECT_FALSE(sb1.pilot.inTransit);
}

}  // namespace
}  // namespace bastion

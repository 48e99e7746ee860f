#include <gtest/gtest.h>

#include "coop/pilot_codec.h"
#include "coop/wire_failure.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::wireFailure;

// A pilot whose every travelling field differs from a default one.
Pilot busyPilot() {
    Pilot p;
    p.position = {1.5f, 2.25f, -3.0f};
    p.homing_target = 7;
    p.gait = 0.75f;
    p.walk_speed = 4.5f;
    const float angles[4] = {0.1f, -0.2f, 0.3f, -0.4f};
    std::copy(std::begin(angles), std::end(angles), p.angles);
    p.health = 42.5f;
    for (int i = 0; i < 6; ++i) {
        p.ammo[i] = 10 + i;
        p.weapons[i] = static_cast<Weapon>(12 - i);
        p.shots[i] = 4000000000u + static_cast<u32>(i);
    }
    p.arms[1].shoulder = {1, 2, 3};
    p.arms[1].grip = {0.5f, 0.5f, 0.5f, 0.5f};
    p.arms[1].tracked = true;
    p.arms[0].forward = {0, 1, 0};
    p.missile.active = true;
    p.missile.position = {9, 8, 7};
    p.missile.headPitch = -0.5f;
    p.dead = true;
    p.ejection = 3.5f;
    p.status = kStatusKilled;
    p.slot = 3;
    p.punches[0] = 2;
    p.punches[1] = 5;
    p.flash[0] = 0.25f;
    p.flash[1] = 0.5f;
    p.map_ping[0] = 1.25f;
    p.map_ping[1] = 2.5f;
    p.ping_target = -1;
    p.ping_position = {4, 5, 6};
    return p;
}

void expectSameArm(const Arm& a, const Arm& b) {
    EXPECT_EQ(a.shoulder, b.shoulder);
    EXPECT_EQ(a.elbow, b.elbow);
    EXPECT_EQ(a.wrist, b.wrist);
    EXPECT_EQ(a.muzzle, b.muzzle);
    EXPECT_EQ(a.forward, b.forward);
    EXPECT_EQ(a.grip, b.grip);
    EXPECT_EQ(a.aim, b.aim);
    EXPECT_EQ(a.tracked, b.tracked);
}

TEST(PilotCodec, EveryTravellingFieldRoundTrips) {
    const Pilot sent = busyPilot();
    const json wire = pilotWire(sent);
    EXPECT_EQ(wire.size(), 20u);
    Pilot got;
    pilotRead(wire, got);
    EXPECT_EQ(got.position, sent.position);
    EXPECT_EQ(got.homing_target, sent.homing_target);
    EXPECT_EQ(got.gait, sent.gait);
    EXPECT_EQ(got.walk_speed, sent.walk_speed);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(got.angles[i], sent.angles[i]);
    EXPECT_EQ(got.health, sent.health);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(got.ammo[i], sent.ammo[i]);
        EXPECT_EQ(got.weapons[i], sent.weapons[i]);
        EXPECT_EQ(got.shots[i], sent.shots[i]);
    }
    for (int i = 0; i < 2; ++i) {
        expectSameArm(got.arms[i], sent.arms[i]);
        EXPECT_EQ(got.punches[i], sent.punches[i]);
        EXPECT_EQ(got.flash[i], sent.flash[i]);
        EXPECT_EQ(got.map_ping[i], sent.map_ping[i]);
    }
    EXPECT_EQ(got.missile.active, sent.missile.active);
    EXPECT_EQ(got.missile.position, sent.missile.position);
    EXPECT_EQ(got.missile.headPitch, sent.missile.headPitch);
    EXPECT_EQ(got.dead, sent.dead);
    EXPECT_EQ(got.ejection, sent.ejection);
    EXPECT_EQ(got.status, sent.status);
    EXPECT_EQ(got.slot, sent.slot);
    EXPECT_EQ(got.ping_target, sent.ping_target);
    EXPECT_EQ(got.ping_position, sent.ping_position);
}

TEST(PilotCodec, OptionalMembersDefaultAndRequiredOnesFail) {
    json wire = pilotWire(busyPilot());
    wire.erase("homing_target");
    wire.erase("gait");
    wire.erase("walk_speed");
    Pilot got = busyPilot();
    pilotRead(wire, got);
    EXPECT_EQ(got.homing_target, -1);
    EXPECT_EQ(got.gait, 0.0f);
    EXPECT_EQ(got.walk_speed, 0.0f);

    for (const char* key : {"health", "position", "arms", "ping_position", "slot"}) {
        json missing = pilotWire(busyPilot());
        missing.erase(key);
        Pilot target;
        EXPECT_EQ(wireFailure([&] { pilotRead(missing, target); }), "out of range") << key;
    }
    json negativeAmmo = pilotWire(busyPilot());
    negativeAmmo["ammo"][0] = -5;
    Pilot target;
    EXPECT_EQ(wireFailure([&] { pilotRead(negativeAmmo, target); }), "out of range");
}

TEST(PilotCodec, ReadingKeepsTheFieldsThatNeverTravel) {
    Pilot local;
    local.rig.upperLength = 9.0f;
    local.cooldown[3] = 0.75f;
    local.fireLatch[2] = true;
    pilotRead(pilotWire(busyPilot()), local);
    EXPECT_EQ(local.rig.upperLength, 9.0f);
    EXPECT_EQ(local.cooldown[3], 0.75f);
    EXPECT_TRUE(local.fireLatch[2]);
}

}  // namespace
}  // namespace bastion::coop

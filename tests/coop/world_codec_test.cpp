#include <gtest/gtest.h>

#include "coop/internal/value_codec.h"
#include "coop/internal/world_codec.h"
#include "coop/wire_failure.h"
#include "support/demo_content.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::wireFailure;
using testing_support::demoContent;

World demoMission() {
    World world;
    world.loadMission(demoContent(), 0, 0, true);
    return world;
}

class WorldCodec : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GE(world.targets.size(), 2u); }
    World world = demoMission();
};

// Every target field that travels, set apart from its loaded value.
void stir(Target& t, float k) {
    t.position = {k, k + 1, k + 2};
    t.extent = {k + 3, k + 4, k + 5};
    t.home = {k + 6, k + 7, k + 8};
    t.homeYaw = k + 0.5f;
    t.health = k + 9;
    t.active = !t.active;
    t.hidden = !t.hidden;
    t.pitch = k + 0.1f;
    t.roll = k + 0.2f;
    t.turretYaw = k + 0.3f;
    t.stateTimer = k + 0.4f;
    t.alertTimer = k + 0.6f;
    t.trackPhase = k + 0.7f;
    t.velocity = {k + 10, k + 11, k + 12};
}

void expectSameMotion(const Target& a, const Target& b) {
    EXPECT_EQ(a.position, b.position);
    EXPECT_EQ(a.extent, b.extent);
    EXPECT_EQ(a.home, b.home);
    EXPECT_EQ(a.homeYaw, b.homeYaw);
    EXPECT_EQ(a.health, b.health);
    EXPECT_EQ(a.active, b.active);
    EXPECT_EQ(a.hidden, b.hidden);
    EXPECT_EQ(a.pitch, b.pitch);
    EXPECT_EQ(a.roll, b.roll);
    EXPECT_EQ(a.turretYaw, b.turretYaw);
    EXPECT_EQ(a.stateTimer, b.stateTimer);
    EXPECT_EQ(a.alertTimer, b.alertTimer);
    EXPECT_EQ(a.trackPhase, b.trackPhase);
    EXPECT_EQ(a.velocity, b.velocity);
}

TEST_F(WorldCodec, EveryFieldRoundTrips) {
    World server = demoMission();
    for (std::size_t i = 0; i < server.targets.size(); ++i) stir(server.targets[i], static_cast<float>(i));
    Projectile shot;
    shot.homingTarget = 3;
    server.projectiles = {shot, shot};
    server.effects = {WeaponEffect{}};
    server.effects[0].model = 5;
    server.pickups = {Pickup{}};
    server.sounds = {SoundEvent{SoundEvent::kExplosion, 2, {1, 2, 3}}};
    server.missionTime = 12.5f;
    server.missionFlags = 0x80000001u;
    server.counters[0] = -2;
    server.counters[2] = 9;
    server.kills = 4;

    worldRead(worldWire(server), world);
    for (std::size_t i = 0; i < world.targets.size(); ++i) expectSameMotion(world.targets[i], server.targets[i]);
    EXPECT_EQ(world.projectiles.size(), 2u);
    EXPECT_EQ(world.projectiles[1].homingTarget, 3);
    ASSERT_EQ(world.effects.size(), 1u);
    EXPECT_EQ(world.effects[0].model, 5);
    EXPECT_EQ(world.pickups.size(), 1u);
    ASSERT_EQ(world.sounds.size(), 1u);
    EXPECT_EQ(world.sounds[0].position, (Vec3{1, 2, 3}));
    EXPECT_EQ(world.missionTime, 12.5f);
    EXPECT_EQ(world.missionFlags, 0x80000001u);
    EXPECT_EQ(world.counters[0], -2);
    EXPECT_EQ(world.counters[2], 9);
    EXPECT_EQ(world.kills, 4);
}

TEST_F(WorldCodec, RefusedSnapshotsLeaveTheWorldUnchanged) {
    World server = demoMission();
    for (Target& t : server.targets) stir(t, 3.0f);
    server.sounds = {SoundEvent{}};
    const json good = worldWire(server);

    json fewer = good;
    fewer["targets"].erase(fewer["targets"].size() - 1);
    json badLast = good;  // targets are fine, a later list is not
    badLast["destroyed"] = "many";
    json badEffect = good;
    badEffect["effects"] = json::array({WeaponEffect{}});
    badEffect["effects"][0]["model"] = -1;
    json shortTuple = good;
    shortTuple["targets"].back().erase(11);
    shortTuple["targets"].back().erase(11);
    shortTuple["targets"].back().erase(11);
    json objectTargets = good;
    objectTargets["targets"] = json::object();

    const struct {
        const char* name;
        const json& wire;
        const char* failure;
    } cases[] = {
        {"one target fewer", fewer, "Mission data does not match server"},
        {"bad destroyed count", badLast, "type error"},
        {"negative effect model", badEffect, "out of range"},
        {"11-element tuple", shortTuple, "out of range"},
        {"targets not an array", objectTargets, "type error"},
    };
    const std::string before = worldWire(world).dump();
    for (const auto& c : cases) {
        EXPECT_EQ(wireFailure([&] { worldRead(c.wire, world); }), c.failure) << c.name;
        EXPECT_EQ(worldWire(world).dump(), before) << c.name;
    }
}

TEST_F(WorldCodec, ShortTuplesZeroTheOptionalElements) {
    World server = demoMission();
    for (Target& t : server.targets) stir(t, 1.0f);
    for (std::size_t size : {12u, 13u, 14u}) {
        json wire = worldWire(server);
        for (json& tuple : wire["targets"]) tuple.erase(tuple.begin() + static_cast<long>(size), tuple.end());
        worldRead(wire, world);
        const Target& t = world.targets[0];
        EXPECT_EQ(t.alertTimer, server.targets[0].alertTimer) << size;
        EXPECT_EQ(t.trackPhase, size >= 13 ? server.targets[0].trackPhase : 0.0f) << size;
        EXPECT_EQ(t.velocity, size >= 14 ? server.targets[0].velocity : Vec3{}) << size;
    }
}

TEST_F(WorldCodec, SoundsAppendAndListsReplace) {
    World server = demoMission();
    server.sounds = {SoundEvent{}, SoundEvent{}};
    server.projectiles = {Projectile{}};
    worldRead(worldWire(server), world);
    worldRead(worldWire(server), world);
    EXPECT_EQ(world.sounds.size(), 4u);
    EXPECT_EQ(world.projectiles.size(), 1u);

    server.sounds.clear();
    server.projectiles.clear();
    worldRead(worldWire(server), world);
    EXPECT_EQ(world.sounds.size(), 4u);
    EXPECT_TRUE(world.projectiles.empty());
}

TEST_F(WorldCodec, PickupsShowCollectedOnlyForTheLocalSlot) {
    World server = demoMission();
    Pickup pickup;
    pickup.collectedBy = 2;  // slot 1 took it
    pickup.collected = false;
    Pickup everyone;
    everyone.collectedBy = 0xFFFFFFFFu;
    everyone.collected = false;
    server.pickups = {pickup, everyone};
    const json wire = worldWire(server);
    const struct {
        int slot;
        bool first;
        bool second;
    } cases[] = {{0, false, true}, {1, true, true}, {3, false, true}, {4, false, false}, {-1, false, false},
                 {31, false, false}, {1000, false, false}};
    for (const auto& c : cases) {
        world.pilot.slot = c.slot;
        worldRead(wire, world);
        EXPECT_EQ(world.pickups[0].collected, c.first) << c.slot;
        EXPECT_EQ(world.pickups[1].collected, c.second) << c.slot;
    }
}

}  // namespace
}  // namespace bastion::coop

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mission_fixture.h"

namespace bastion {
namespace {

using testing_support::add;
using testing_support::missionWorld;
using testing_support::placed;

using Arrange = std::function<void(World&)>;

struct Row {
    int mission;
    const char* what;
    Arrange setup;
    int status;
};

constexpr int kActive = kStatusActive;
constexpr int kWon = kStatusWon;
constexpr int kLost = kStatusLost;

Arrange counters(int c0, int c1, int c2) {
    return [=](World& w) {
        w.counters[0] = c0;
        w.counters[1] = c1;
        w.counters[2] = c2;
    };
}
Arrange all(std::vector<Arrange> parts) {
    return [=](World& w) {
        for (const Arrange& part : parts) part(w);
    };
}
Arrange withFlags(std::initializer_list<u32> bits) {
    const std::vector<u32> list(bits);
    return [=](World& w) {
        for (u32 b : list) w.missionFlags |= 1u << b;
    };
}
Arrange atTime(float seconds) {
    return [=](World& w) { w.missionTime = seconds; };
}
Arrange units(int type, int count, bool alive = true) {
    return [=](World& w) {
        for (int i = 0; i < count; ++i) {
            Target t = placed(type);
            if (!alive) t.health = 0.0f;
            add(w, t);
        }
    };
}
Arrange kills(int type, int count) {
    return [=](World& w) { w.killsByType[type] = count; };
}
Arrange generatorOf(int type, int remaining) {
    return [=](World& w) {
        Generator g;
        g.unitTemplate = placed(type);
        g.remaining = remaining;
        w.generators.push_back(g);
    };
}

void run(int campaign, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        World world = missionWorld(campaign, row.mission);
        world.counters[0] = world.counters[1] = world.counters[2] = 1;
        row.setup(world);
        world.evaluateMission();
        EXPECT_EQ(world.pilot.status, row.status) << "SB" << campaign + 1 << " mission " << row.mission << ": "
                                                  << row.what;
    }
}

TEST(SB1Evaluation, EveryMissionsRow) {
    const Arrange none = [](World&) {};
    std::vector<Row> rows;
    for (int m : {0, 3, 8}) {
        rows.push_back({m, "counter 0 and flag 31", all({counters(0, 1, 1), withFlags({31})}), kWon});
        rows.push_back({m, "counter 0 without flag 31", counters(0, 1, 1), kActive});
        rows.push_back({m, "flag 31 with counter 0 left", withFlags({31}), kActive});
    }
    rows.push_back({1, "flags 0, 1 and counter 0", all({counters(0, 1, 1), withFlags({0, 1}), atTime(479.9f)}), kWon});
    rows.push_back({1, "flag 1 missing", all({counters(0, 1, 1), withFlags({0})}), kActive});
    rows.push_back({1, "time out beats a win", all({counters(0, 1, 1), withFlags({0, 1}), atTime(480.0f)}), kLost});
    for (int m : {2, 4, 14}) {
        rows.push_back({m, "counter 0", counters(0, 1, 1), kWon});
        rows.push_back({m, "counter 0 left", none, kActive});
    }
    for (int m : {5, 11}) {
        rows.push_back({m, "flag 0 beats a win", all({counters(0, 1, 1), withFlags({0})}), kLost});
        rows.push_back({m, "counter 0", counters(0, 1, 1), kWon});
    }
    rows.push_back({6, "counter 0 and flag 31", all({counters(0, 1, 1), withFlags({31})}), kWon});
    rows.push_back({6, "counter 0 without flag 31", counters(0, 1, 1), kActive});
    rows.push_back({6, "a truck got through", all({counters(0, 1, 1), withFlags({30, 31})}), kLost});
    rows.push_back({7, "counter 0", all({counters(0, 1, 1), atTime(749.0f)}), kWon});
    rows.push_back({7, "time out", all({counters(0, 1, 1), atTime(750.0f)}), kLost});
    rows.push_back({9, "empty target list", counters(0, 1, 1), kWon});
    rows.push_back({9, "five helicopters", all({counters(0, 1, 1), units(1, 5)}), kWon});
    rows.push_back({9, "six helicopters", all({counters(0, 1, 1), units(1, 6)}), kActive});
    rows.push_back({9, "six, one down", all({counters(0, 1, 1), units(1, 5), units(1, 1, false)}), kWon});
    rows.push_back({9, "counter 0 left", units(1, 1), kActive});
    rows.push_back({10, "counter 2", counters(1, 1, 0), kWon});
    rows.push_back({10, "counter 2 left", counters(0, 0, 1), kActive});
    rows.push_back({12, "counter 1", counters(1, 0, 1), kWon});
    rows.push_back({12, "counter 1 left", counters(0, 1, 0), kActive});
    rows.push_back({13, "counter 0 lost before flag 30", all({counters(0, 1, 1), withFlags({30})}), kLost});
    rows.push_back({13, "flag 30", withFlags({30}), kWon});
    rows.push_back({13, "nothing yet", none, kActive});
    rows.push_back({15, "counters 0 and 1", counters(0, 0, 1), kWon});
    rows.push_back({15, "counter 1 left", counters(0, 1, 0), kActive});
    rows.push_back({16, "no rule", all({counters(0, 0, 0), withFlags({30, 31})}), kActive});
    run(0, rows);
}

TEST(SB2Evaluation, EveryMissionsRow) {
    const Arrange none = [](World&) {};
    std::vector<Row> rows;
    rows.push_back({0, "counter 2", counters(1, 1, 0), kWon});
    rows.push_back({0, "counter 2 left", counters(0, 0, 2), kActive});
    for (int m : {1, 2, 11, 12, 14}) {
        rows.push_back({m, "counter 0", counters(0, 1, 1), kWon});
        rows.push_back({m, "counter 0 left", none, kActive});
    }
    rows.push_back({3, "protected objects gone", all({withFlags({24}), kills(14, 3)}), kLost});
    rows.push_back({3, "three Satyrs", kills(14, 3), kWon});
    rows.push_back({3, "two Satyrs", kills(14, 2), kActive});
    for (int m : {4, 8}) {
        rows.push_back({m, "every truck lost", all({counters(0, 1, 1), withFlags({30})}), kLost});
        rows.push_back({m, "convoy through", withFlags({30}), kWon});
    }
    rows.push_back({5, "four escapes beat nine kills", counters(4, 9, 1), kLost});
    rows.push_back({5, "nine car bombs stopped", counters(3, 9, 1), kWon});
    rows.push_back({5, "eight", counters(3, 8, 1), kActive});
    rows.push_back({6, "city lost", withFlags({24}), kLost});
    rows.push_back({6, "no ship left", units(9, 1, false), kWon});
    rows.push_back({6, "a ship afloat", units(9, 1), kActive});
    rows.push_back({6, "a ship still to come", generatorOf(9, 1), kActive});
    rows.push_back({7, "base and five fighters", all({counters(0, 0, 1), kills(18, 5)}), kWon});
    rows.push_back({7, "four fighters", all({counters(0, 0, 1), kills(18, 4)}), kActive});
    rows.push_back({9, "a truck escaped", all({counters(0, 1, 1), withFlags({30})}), kLost});
    rows.push_back({9, "every truck stopped", counters(0, 1, 1), kWon});
    rows.push_back({10, "before 300 s", atTime(299.9f), kActive});
    rows.push_back({10, "300 s and clear", atTime(300.0f), kWon});
    for (int type : {11, 0, 14}) rows.push_back({10, "a ground unit left", all({atTime(300.0f), units(type, 1)}), kActive});
    rows.push_back({10, "an air unit left", all({atTime(300.0f), units(1, 1)}), kWon});
    rows.push_back({13, "Ur lost", all({counters(0, 1, 1), kills(3, 2)}), kLost});
    rows.push_back({13, "two mechs", kills(3, 2), kWon});
    rows.push_back({15, "twelve minutes passed", all({atTime(720.5f), kills(9, 6)}), kLost});
    rows.push_back({15, "six ships at 720 s", all({atTime(720.0f), kills(9, 6)}), kWon});
    for (int m : {16, 17}) {
        rows.push_back({m, "counter 0", counters(0, 1, 1), kWon});
        rows.push_back({m, "counter 0 below zero", counters(-2, 1, 1), kWon});
    }
    rows.push_back({18, "every truck lost", all({counters(0, 1, 1), withFlags({30})}), kLost});
    rows.push_back({18, "convoy through", withFlags({30}), kWon});
    rows.push_back({19, "no kill, no gunner", none, kActive});
    rows.push_back({19, "gunner down", kills(19, 1), kWon});
    rows.push_back({19, "another gunner standing", all({kills(19, 1), units(19, 1)}), kActive});
    rows.push_back({19, "another gunner to come", all({kills(19, 1), generatorOf(19, 1)}), kActive});
    rows.push_back({20, "no such mission", counters(0, 0, 0), kActive});
    run(1, rows);
}

TEST(SB2Evaluation, RemainingUnitsCountWaitingOnesButNotRetiredOrCarried) {
    struct Case {
        const char* what;
        std::function<void(Target&)> change;
        bool counts;
    };
    const std::vector<Case> cases = {
        {"active", [](Target&) {}, true},
        {"waiting to activate", [](Target& t) { t.active = false; }, true},
        {"waiting copy", [](Target& t) { t.active = false; t.derived = true; }, false},
        {"cannot activate", [](Target& t) { t.active = false; t.flags = 2; }, false},
        {"holds back", [](Target& t) { t.active = false; t.flags = 4; }, false},
        {"hidden", [](Target& t) { t.hidden = true; }, false},
        {"destroyed", [](Target& t) { t.destroyed = true; }, false},
        {"carried", [](Target& t) { t.host = 0; }, false},
    };
    for (const Case& c : cases) {
        World world = missionWorld(1, 6);
        Target ship = placed(9);
        c.change(ship);
        add(world, ship);
        world.evaluateMission();
        EXPECT_EQ(world.pilot.status, c.counts ? kActive : kWon) << c.what;
    }
}

TEST(SB2Evaluation, ProgressFlagsOfMissionsZeroAndEighteen) {
    World world = missionWorld(1, 0);
    world.initialCounter = 7;
    world.counters[2] = 3;  // q = 24 / 8 = 3
    world.evaluateMission();
    EXPECT_EQ(world.missionFlags, 1u << 3);
    world.counters[2] = 7;  // q = 7: no flag
    world.missionFlags = 0;
    world.evaluateMission();
    EXPECT_EQ(world.missionFlags, 0u);

    World convoy = missionWorld(1, 18);
    convoy.counters[0] = 1;
    convoy.killsByType[14] = 3;
    convoy.evaluateMission();
    EXPECT_EQ(convoy.missionFlags, 0b111u);
    convoy.killsByType[14] = 12;
    convoy.evaluateMission();
    EXPECT_EQ(convoy.missionFlags, 0xFFu);
}

TEST(SB2Evaluation, MissionTenGroupsCountOnlyUnitsThatStartedOnTheGround) {
    World world = missionWorld(1, 10);
    world.missionFlags = 1u << 2;  // rebuilt every step
    for (int i = 0; i < 6; ++i) {
        Target t = placed(0);
        t.group = 0;
        add(world, t);
    }
    CargoFlight flight;
    for (int i = 0; i < 6; ++i) {
        Target t = placed(0);
        t.group = 1;
        const int index = add(world, t);
        if (i == 0) flight.slots.push_back(static_cast<u64>(index));
    }
    world.cargoFlights.push_back(flight);
    world.evaluateMission();
    EXPECT_EQ(world.missionFlags, 1u << 0);
}

TEST(MissionEvaluation, AWinWaitsForExplosionsDebrisAndSmoke) {
    for (const auto kind : {WeaponEffect::kExplosion, WeaponEffect::kDebris, WeaponEffect::kSmoke}) {
        World world = missionWorld(0, 2);
        world.effects.push_back(makeEffect(kind, {}, {}, 0, 1.0f));
        EXPECT_TRUE(world.destructionPending());
        world.evaluateMission();
        EXPECT_EQ(world.pilot.status, kActive) << kind;
        world.effects.clear();
        world.evaluateMission();
        EXPECT_EQ(world.pilot.status, kWon) << kind;
    }
    World sparks = missionWorld(1, 1);
    sparks.effects.push_back(makeEffect(WeaponEffect::kSpark, {}, {}, 0, 1.0f));
    sparks.effects.push_back(makeEffect(WeaponEffect::kCutterSpark, {}, {}, 0, 1.0f));
    EXPECT_FALSE(sparks.destructionPending());
    sparks.evaluateMission();
    EXPECT_EQ(sparks.pilot.status, kWon);

    World lost = missionWorld(0, 5);
    lost.missionFlags = 1;
    lost.effects.push_back(makeEffect(WeaponEffect::kSmoke, {}, {}, 0, 1.0f));
    lost.evaluateMission();
    EXPECT_EQ(lost.pilot.status, kLost) << "a loss does not wait";
}

TEST(MissionEvaluation, DecidedMissionsStayDecided) {
    for (const int status : {kStatusIdle, kStatusWon, kStatusKilled, kStatusLost}) {
        World world = missionWorld(0, 5);
        world.missionFlags = 1;
        world.pilot.status = status;
        world.evaluateMission();
        EXPECT_EQ(world.pilot.status, status);
    }
}

TEST(MissionEvaluation, PrototypeCountsItsMarkedTargets) {
    World world = missionWorld(1, 3);
    world.prototype = true;
    world.prototypeSeed = 4294967295u;
    world.missionFlags = 1u << 24;  // SB2 rules do not apply
    for (int i = 0; i < 3; ++i) {
        Target t = placed(0);
        t.prototypeObjective = i < 2;
        add(world, t);
    }
    world.evaluateMission();
    EXPECT_EQ(world.objectiveText, "PROTOTYPE / SEED 4294967295 / DESTROY 2 TARGETS");
    EXPECT_EQ(world.pilot.status, kActive);
    world.targets[0].health = 0.0f;
    world.targets[1].health = -3.0f;
    world.evaluateMission();
    EXPECT_EQ(world.objectiveText, "PROTOTYPE / SEED 4294967295 / DESTROY 0 TARGETS");
    EXPECT_EQ(world.pilot.status, kWon);
}

}  // namespace
}  // namespace bastion

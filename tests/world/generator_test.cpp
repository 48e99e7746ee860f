#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "mission_fixture.h"
#include "support/vec_expect.h"

namespace bastion {
namespace {

using testing_support::add;
using testing_support::missionWorld;
using testing_support::placed;

// A generator of `members` reserved entries releasing type-0 units.
World generatorWorld(int members, float interval) {
    World world = missionWorld(0, 0);
    Generator g;
    g.unitTemplate = placed(0, {50, 0, 60});
    g.unitTemplate.derived = true;
    g.remaining = 10;
    g.interval = interval;
    for (int i = 0; i < members; ++i) {
        Target member = g.unitTemplate;
        member.active = false;
        g.members.push_back(static_cast<u64>(add(world, member)));
    }
    world.generators.push_back(g);
    return world;
}

int activeCount(const World& world) {
    int n = 0;
    for (const Target& t : world.targets) n += t.active ? 1 : 0;
    return n;
}

// Steps of 1/16 s (exact in binary) on which a unit was released, counting
// from 1.
std::vector<int> releaseSteps(World& world, int steps) {
    std::vector<int> released;
    for (int s = 1; s <= steps; ++s) {
        const int before = world.generators[0].remaining;
        world.missionTime += 0.0625f;
        world.stepGenerators(0.0625f);
        if (world.generators[0].remaining != before) released.push_back(s);
    }
    return released;
}

TEST(Generators, ReleaseOnTheirIntervalButNeverFasterThanATenth) {
    World fast = generatorWorld(8, 0.0f);
    EXPECT_EQ(releaseSteps(fast, 8), (std::vector<int>{1, 3, 5, 7}));
    EXPECT_EQ(activeCount(fast), 4);
    EXPECT_EQ(fast.generators[0].remaining, 6);

    World slow = generatorWorld(8, 0.25f);
    EXPECT_EQ(releaseSteps(slow, 12), (std::vector<int>{1, 5, 9}));
}

TEST(Generators, BurstsReleaseTheirSizeThenPause) {
    World world = generatorWorld(8, 0.1f);
    Generator& g = world.generators[0];
    g.flags = 1;
    g.burstSize = 3;
    g.burstCounter = 3;
    g.burstPause = 0.5f;
    EXPECT_EQ(releaseSteps(world, 20), (std::vector<int>{1, 3, 5, 13, 15, 17}));
    EXPECT_EQ(world.generators[0].burstCounter, 3);

    World plain = generatorWorld(8, 0.1f);
    plain.generators[0].burstSize = 3;  // no burst flag: no pauses
    plain.generators[0].burstCounter = 3;
    plain.generators[0].burstPause = 0.5f;
    EXPECT_EQ(releaseSteps(plain, 8), (std::vector<int>{1, 3, 5, 7}));
}

TEST(Generators, ReleasedUnitIsATemplateCopyOffItsParent) {
    World world = generatorWorld(1, 0.0f);
    Target& wreck = world.targets[0];
    wreck.active = true;
    wreck.health = 0.0f;
    wreck.destroyed = true;
    world.generators[0].unitTemplate.parameters[5] = 3;
    CargoFlight flight;
    flight.carrier = 0;
    world.cargoFlights.push_back(flight);
    world.stepGenerators(0.05f);
    const Target& unit = world.targets[0];
    EXPECT_TRUE(unit.active);
    EXPECT_FALSE(unit.destroyed) << "a destroyed wreck takes the next unit";
    EXPECT_EQ(unit.health, 100.0f);
    EXPECT_EQ(unit.parent, -1);
    EXPECT_EQ(world.cargoFlights[0].passes, 3u);

    World busy = generatorWorld(1, 0.0f);
    busy.targets[0].active = true;
    busy.generators[0].timer = 0.3f;
    busy.stepGenerators(0.05f);
    EXPECT_EQ(busy.generators[0].remaining, 10);
    EXPECT_EQ(busy.generators[0].timer, 0.3f) << "with no free entry the timer waits";
}

TEST(Generators, GatesOfFlagsTriggerRangeAndStock) {
    struct Case {
        const char* what;
        void (*arrange)(World&);
        bool releases;
    };
    const std::vector<Case> cases = {
        {"open", [](World&) {}, true},
        {"nothing left", [](World& w) { w.generators[0].remaining = 0; }, false},
        {"stops while flag 9", [](World& w) { w.generators[0].flags = 2 | (9u << 16); w.missionFlags = 1u << 9; },
         false},
        {"flag 9 clear", [](World& w) { w.generators[0].flags = 2 | (9u << 16); }, true},
        {"waits for flag 9", [](World& w) { w.generators[0].flags = 4 | (9u << 16); }, false},
        {"flag 9 raised", [](World& w) { w.generators[0].flags = 4 | (9u << 16); w.missionFlags = 1u << 9; }, true},
        {"SB2 stop in SB1", [](World& w) { w.generators[0].flags = 8 | (9u << 16); w.missionFlags = 1u << 9; },
         true},
        {"SB2 stop in SB2",
         [](World& w) {
             w.campaign = 1;
             w.generators[0].flags = 8 | (9u << 16);
             w.missionFlags = 1u << 9;
         },
         false},
        {"trigger at second 5", [](World& w) { w.generators[0].trigger = 5; }, false},
        {"second 5 reached",
         [](World& w) {
             w.generators[0].trigger = 5;
             w.missionTime = 5.0f;
         },
         true},
        {"pilot out of range",
         [](World& w) {
             w.generators[0].activationRange = 40.0f;
             w.generators[0].anchor = {0, 0, 0};
             w.pilot.position = {40.5f, 0, 0};
         },
         false},
        {"pilot on the range",
         [](World& w) {
             w.generators[0].activationRange = 40.0f;
             w.pilot.position = {-40.0f, 0, 39.0f};
         },
         true},
    };
    for (const Case& c : cases) {
        World world = generatorWorld(2, 0.0f);
        c.arrange(world);
        const int before = world.generators[0].remaining;
        world.stepGenerators(0.05f);
        EXPECT_EQ(world.generators[0].remaining != before, c.releases) << c.what;
    }
}

TEST(Generators, FollowALiveParentAndFreezeWithADeadOne) {
    World world = generatorWorld(2, 0.0f);
    Target ship = placed(9, {100, 2, -100});
    ship.homeYaw = 1.5707964f;
    const int parent = add(world, ship);
    Generator& g = world.generators[0];
    g.unitTemplate.parent = parent;
    g.unitTemplate.mountOffset = {0, 3, -10};
    world.stepGenerators(0.05f);
    EXPECT_EQ(world.generators[0].anchor, (Vec3{100, 2, -100}));
    // Ten ahead of a ship turned a quarter to the left is ten along -x.
    testing_support::expectNear(world.generators[0].unitTemplate.home, {90, 5, -100}, 1e-4f);
    testing_support::expectNear(world.targets[0].home, {90, 5, -100}, 1e-4f);
    EXPECT_EQ(world.targets[0].parent, -1);
    EXPECT_EQ(world.generators[0].remaining, 9);

    world.targets[static_cast<std::size_t>(parent)].health = 0.0f;
    world.targets[static_cast<std::size_t>(parent)].home = {0, 0, 0};
    world.generators[0].timer = 0.0f;
    world.stepGenerators(0.05f);
    EXPECT_EQ(world.generators[0].remaining, 9) << "a dead parent silences the generator";
    testing_support::expectNear(world.generators[0].unitTemplate.home, {90, 5, -100}, 1e-4f);
}

TEST(Generators, IndicesOutsideTheTargetListAreIgnored) {
    World world = generatorWorld(1, 0.0f);
    world.generators[0].unitTemplate.parent = 999;
    world.generators[0].members.insert(world.generators[0].members.begin(), 12345u);
    ASSERT_NO_THROW(world.stepGenerators(0.05f));
    EXPECT_TRUE(world.targets[0].active) << "an unknown parent counts as none";
    EXPECT_EQ(world.generators[0].remaining, 9);
}

TEST(Generators, SB1MissionOneCountsReleasedWalkers) {
    for (const int type : {3, 0}) {
        World world = generatorWorld(1, 0.0f);
        world.missionIndex = 1;
        world.generators[0].unitTemplate.unitType = type;
        world.stepGenerators(0.05f);
        EXPECT_EQ(world.counters[0], type == 3 ? 1 : 0);
    }
}

// A carrier at index 0 with a flight of two templates and four slots.
World cargoWorld() {
    World world = missionWorld(1, 10);
    Target carrier = placed(12, {10, 30, 20});
    carrier.homeYaw = 0.5f;
    add(world, carrier);
    CargoFlight flight;
    flight.carrier = 0;
    for (int k = 0; k < 2; ++k) {
        Target cargo = placed(k == 0 ? 0 : 11);
        cargo.derived = true;
        cargo.mesh = std::make_shared<Mesh>(3);
        cargo.group = 1;
        flight.cargo.push_back(cargo);
    }
    for (int i = 0; i < 4; ++i) {
        Target slot = flight.cargo[static_cast<std::size_t>(i % 2)];
        slot.active = false;
        flight.slots.push_back(static_cast<u64>(add(world, slot)));
    }
    world.cargoFlights.push_back(flight);
    return world;
}

TEST(CargoDrop, DropsTheDrawnTemplateBehindTheCarrier) {
    World world = cargoWorld();
    u32 expected = world.random;
    const u32 draw = xorshift32(expected);
    const std::size_t pick = draw % 2;
    world.dropCargo(0);
    EXPECT_EQ(world.random, expected);
    const Target& unit = world.targets[1 + pick];
    EXPECT_EQ(unit.unitType, pick == 0 ? 0 : 11);
    EXPECT_TRUE(unit.active);
    EXPECT_TRUE(unit.dropped);
    EXPECT_FALSE(unit.hidden);
    EXPECT_FALSE(unit.started);
    EXPECT_EQ(unit.velocity, (Vec3{}));
    EXPECT_EQ(unit.homeYaw, 0.5f);
    testing_support::expectNear(unit.home, {10 + 4 * std::sin(0.5f), 30, 20 + 4 * std::cos(0.5f)}, 1e-5f);
    EXPECT_EQ(unit.anchor.y, 0.0f);
    EXPECT_EQ(unit.anchor.x, unit.home.x);
    EXPECT_EQ(world.targets[3 - pick].active, false) << "the other model's slot stays free";
}

TEST(CargoDrop, FullSlotsStillDrawAndPlaceNothing) {
    World world = cargoWorld();
    for (std::size_t i = 1; i < world.targets.size(); ++i) world.targets[i].active = true;
    const std::vector<Target> before = world.targets;
    u32 expected = world.random;
    xorshift32(expected);
    world.dropCargo(0);
    EXPECT_EQ(world.random, expected);
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(world.targets[i].home, before[i].home);

    World none = cargoWorld();
    const u32 seed = none.random;
    none.dropCargo(7);
    EXPECT_EQ(none.random, seed) << "no flight of that carrier: no draw";
    none.cargoFlights[0].slots = {999, 1000};
    EXPECT_NO_THROW(none.dropCargo(0));
}

}  // namespace
}  // namespace bastion

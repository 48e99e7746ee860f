#include <vector>

#include <gtest/gtest.h>

#include "world/world.h"
#include "enemy_fixture.h"

namespace bastion {
namespace {

using testing_support::EnemyWorld;

// An SB2 carrier with a route north, a cargo flight of two passes of two
// drops each, and three free cargo entries.
class CarrierCycle : public EnemyWorld {
protected:
    void SetUp() override {
        EnemyWorld::SetUp();
        world.campaign = 1;
        carrier = addUnit(12, {0, 30, 0});
        unit(carrier).speed = 20;
        unit(carrier).route = {{0, 30, -50}, {0, 30, -100}, {0, 30, -150}};
        for (int k = 0; k < 3; ++k) {
            cargo.push_back(addUnit(13, {0, 0, 0}));
            unit(cargo.back()).active = false;
            unit(cargo.back()).derived = true;  // held in reserve, never wakes by itself
        }
        CargoFlight flight;
        flight.carrier = carrier;
        flight.cargo = {unit(cargo[0])};
        flight.slots = {cargo[0], cargo[1], cargo[2]};
        flight.passes = 2;
        flight.dropWaypoint = 1;
        flight.dropsPerPass = 2;
        flight.dropInterval = 0.5f;
        world.cargoFlights.push_back(flight);
    }

    int activeCargo() {
        int n = 0;
        for (std::size_t i : cargo) n += unit(i).active;
        return n;
    }

    std::size_t carrier = 0;
    std::vector<std::size_t> cargo;
};

TEST_F(CarrierCycle, DropPassesFromTheDropWaypointThenLeaves) {
    run(2.0f);
    EXPECT_EQ(unit(carrier).state, 1);
    EXPECT_EQ(activeCargo(), 0);
    while (unit(carrier).state != 6) run(kTick);
    EXPECT_EQ(unit(carrier).routeIndex, 1u);
    EXPECT_EQ(unit(carrier).secondaryLeft, 2);
    const u32 seed = world.random;
    run(0.5f);
    ASSERT_EQ(activeCargo(), 1);
    const Target& first = unit(cargo[0]);
    EXPECT_TRUE(first.dropped || first.home.y == 0.0f);
    EXPECT_NE(world.random, seed);
    run(0.5f);
    EXPECT_EQ(activeCargo(), 2);
    EXPECT_EQ(unit(carrier).state, 7);
    EXPECT_EQ(world.cargoFlights[0].passes, 1u);
    run(4.0f);
    EXPECT_EQ(unit(carrier).state, 1);
    run(kTick);
    EXPECT_EQ(unit(carrier).state, 6) << "still past the drop waypoint: the next pass follows";
    run(1.0f);
    EXPECT_EQ(activeCargo(), 3) << "the fourth drop finds no free entry";
    EXPECT_EQ(world.cargoFlights[0].passes, 0u);
    run(4.0f);
    EXPECT_TRUE(unit(carrier).hidden);
    EXPECT_EQ(unit(carrier).state, 9);
    for (std::size_t i : cargo) {
        EXPECT_FALSE(unit(i).dropped) << "landed";
        EXPECT_EQ(unit(i).home.y, 0.0f);
    }
}

TEST_F(CarrierCycle, WithoutAFlightTheCarrierFliesItsRouteAndLeaves) {
    world.cargoFlights.clear();
    run(12.0f);
    EXPECT_TRUE(unit(carrier).hidden);
    EXPECT_EQ(activeCargo(), 0);

    world.campaign = 0;
    unit(carrier).hidden = false;
    unit(carrier).home = {0, 30, 0};
    unit(carrier).routeIndex = 0;
    run(2.0f);
    EXPECT_EQ(unit(carrier).home, (Vec3{0, 30, 0})) << "carriers do nothing in SB1";
}

}  // namespace
}  // namespace bastion

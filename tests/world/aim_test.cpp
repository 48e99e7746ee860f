#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/vec_expect.h"
#include "world/segment_hit.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::expectNear;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

Target box(Vec3 position, Vec3 extent, int unitType = kStaticObject) {
    Target target;
    target.position = position;
    target.extent = extent;
    target.unitType = unitType;
    return target;
}

TEST(SegmentHit, EntryFractionOrMiss) {
    const Target unit = box({0, 0, -10}, {1, 1, 1});
    const struct {
        Vec3 a, b;
        float radius, t;
        const char* what;
    } cases[] = {
        {{0, 0, 0}, {0, 0, -20}, 0, 0.45f, "straight through"},
        {{0, 0, 0}, {0, 0, -20}, 1, 0.4f, "grown by the radius"},
        {{0, 0, -10}, {5, 5, 5}, 0, 0.0f, "starts inside"},
        {{0, 0, -10}, {0, 0, -10}, 0, 0.0f, "a point inside"},
        {{0, 3, 0}, {0, 3, -20}, 0, kMiss, "parallel to a face, outside"},
        {{0, 3, 0}, {0, 3, -20}, 2.5f, 0.325f, "parallel, inside the grown box"},
        {{0, 0, 0}, {0, 0, -5}, 0, kMiss, "stops short"},
        {{0, 0, -20}, {0, 0, -30}, 0, kMiss, "behind"},
        {{0, 0, 0}, {20, 0, -20}, 0, kMiss, "passes beside"},
        {{kNaN, 0, 0}, {0, 0, -20}, 0, kMiss, "NaN start"},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(hit(c.a, c.b, unit, c.radius), c.t) << c.what;
}

TEST(AimRay, HitsTheBoxStraightAheadOnTheTestRange) {
    const World world;
    const Vec3 eye = eyePosition(world.pilot);
    // Row 0 straight ahead is only 6 high; the eye sees over it to row 1.
    const AimTrace trace = world.traceAim(eye, {0, 0, -1}, 1000);
    EXPECT_EQ(trace.target, 10);
    expectNear(trace.end, {0, 12, -41}, 1e-4f);
}

TEST(AimRay, StopsAtHeightZeroAndSkipsUntargetables) {
    World world;
    world.targets.clear();
    const AimTrace down = world.traceAim({0, 10, 0}, {0, -1, -1}, 1000);
    EXPECT_EQ(down.target, -1);
    expectNear(down.end, {0, 0, -10}, 1e-4f);
    EXPECT_NEAR(length(down.end - Vec3{0, 10, 0}), 14.142f, 1e-3f);

    const AimTrace degenerate = world.traceAim({1, 2, 3}, {0, 0, 0}, 5);
    expectNear(degenerate.end, {1, 2, -2}, 1e-6f);

    world.targets = {box({0, 0, -10}, {1, 1, 1})};
    const AimTrace inside = world.traceAim({0, 0, -10}, {0, 0, -1}, 100);
    EXPECT_EQ(inside.target, 0);
    EXPECT_EQ(inside.end, (Vec3{0, 0, -10}));

    const auto passes = [&](auto change) {
        world.targets = {box({0, 0, -10}, {1, 1, 1}, 4)};
        change(world.targets[0]);
        return world.traceAim({0, 0, 0}, {0, 0, -1}, 100).target == -1;
    };
    EXPECT_FALSE(passes([](Target&) {}));
    EXPECT_TRUE(passes([](Target& t) { t.unitType = 21; }));
    EXPECT_TRUE(passes([](Target& t) { t.hidden = true; }));
    EXPECT_TRUE(passes([](Target& t) { t.active = false; }));
    EXPECT_TRUE(passes([](Target& t) { t.health = 0; }));
}

// A pilot aiming straight ahead from eye (0, 12, 35) with homing missiles.
class HomingLock : public testing::Test {
protected:
    void SetUp() override {
        world.targets.clear();
        world.pilot.weapons[3] = kHomingMissiles;
    }
    Target unitAhead(float distance) { return box({0, 12, 35 - distance}, {1, 1, 1}, 4); }
    World world;
};

TEST_F(HomingLock, PicksTheNearerVisibleUnit) {
    world.targets = {unitAhead(100), unitAhead(50)};
    world.lockHoming();
    EXPECT_EQ(world.pilot.homing_target, 1);
}

TEST_F(HomingLock, PrefersTheUnitNearestTheAimLine) {
    world.targets = {box({8, 12, -65}, {1, 1, 1}, 4), box({2, 12, -165}, {1, 1, 1}, 4)};
    world.lockHoming();
    EXPECT_EQ(world.pilot.homing_target, 1);
}

TEST_F(HomingLock, NeverLocksAnInvalidUnit) {
    const struct {
        const char* what;
        void (*change)(Target&);
        float distance;
    } cases[] = {
        {"critical", [](Target& t) { t.critical = true; }, 50},
        {"hidden", [](Target& t) { t.hidden = true; }, 50},
        {"inactive", [](Target& t) { t.active = false; }, 50},
        {"dead", [](Target& t) { t.health = 0; }, 50},
        {"moving to a destination", [](Target& t) { t.hasDestination = true; }, 50},
        {"static object", [](Target& t) { t.unitType = kStaticObject; }, 50},
        {"unit type 21", [](Target& t) { t.unitType = 21; }, 50},
        {"too near", [](Target&) {}, 2},
        {"too far", [](Target&) {}, 900},
        {"outside the cone", [](Target& t) { t.position.x += 10; }, 50},
    };
    for (const auto& c : cases) {
        world.targets = {unitAhead(c.distance)};
        c.change(world.targets[0]);
        world.pilot.homing_target = 7;
        world.lockHoming();
        EXPECT_EQ(world.pilot.homing_target, -1) << c.what;
    }
    world.targets = {unitAhead(799)};
    world.lockHoming();
    EXPECT_EQ(world.pilot.homing_target, 0) << "just inside the range";
}

TEST_F(HomingLock, NeedsHomingMissilesAndAClearLine) {
    world.targets = {box({0, 12, -5}, {5, 10, 1}), unitAhead(80)};  // a building in front
    world.lockHoming();
    EXPECT_EQ(world.pilot.homing_target, -1);

    world.targets = {unitAhead(80)};
    world.pilot.weapons[3] = kRocketLauncher;
    world.pilot.homing_target = 0;
    world.lockHoming();
    EXPECT_EQ(world.pilot.homing_target, -1);
}

class MapPing : public testing::Test {
protected:
    void SetUp() override {
        world.pilot.status = kStatusActive;
        world.missionTime = 10;
    }
    World world;
};

TEST_F(MapPing, OneRequestOfEachKindPer035Seconds) {
    world.pingMap(0);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[0], 16);
    world.missionTime = 10.3f;
    world.pingMap(0);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[0], 16) << "second request inside 0.35 s";
    world.pingMap(1);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[1], 16.3f) << "the other kind is not held back";
    world.missionTime = 10.4f;
    world.pingMap(0);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[0], 16.4f);
}

TEST_F(MapPing, IgnoredForUnknownKindsAndInactivePilots) {
    const auto unchanged = [&](auto change) {
        World fresh;
        fresh.pilot.status = kStatusActive;
        fresh.missionTime = 10;
        change(fresh);
        fresh.pingMap(0);
        fresh.pingMap(1);
        fresh.pingMap(2);
        return fresh.pilot.map_ping[0] == 0 && fresh.pilot.map_ping[1] == 0 && fresh.pilot.map_ping[2] == 0;
    };
    EXPECT_FALSE(unchanged([](World&) {}));
    EXPECT_TRUE(unchanged([](World& w) { w.pilot.dead = true; }));
    EXPECT_TRUE(unchanged([](World& w) { w.pilot.health = 0; }));
    EXPECT_TRUE(unchanged([](World& w) { w.pilot.status = kStatusWon; }));
    world.pingMap(2);
    EXPECT_EQ(world.pilot.map_ping[0], 0);
    EXPECT_EQ(world.pilot.map_ping[1], 0);
}

TEST_F(MapPing, TargetPingFollowsTheUnitWhileItLives) {
    world.targets = {box({0, 12, -15}, {2, 2, 2}, 4)};
    world.pingMap(1);
    EXPECT_EQ(world.pilot.ping_target, 0);
    expectNear(world.pilot.ping_position, {0, 12, -13}, 1e-4f);
    world.targets[0].position = {30, 12, -15};
    EXPECT_EQ(world.mapPingPosition(world.pilot), (Vec3{30, 12, -15}));
    world.targets[0].health = 0;
    expectNear(world.mapPingPosition(world.pilot), {0, 12, -13}, 1e-4f);
    world.pilot.ping_target = 5;  // no such target
    expectNear(world.mapPingPosition(world.pilot), {0, 12, -13}, 1e-4f);
}

TEST_F(MapPing, PingThatHitsNothingLiesOnTheGround) {
    world.targets.clear();
    world.pilot.angles[3] = 0.5f;  // aiming up into the sky
    world.pingMap(1);
    EXPECT_EQ(world.pilot.ping_target, -1);
    EXPECT_EQ(world.pilot.ping_position.y, 0.0f);
    EXPECT_NEAR(world.pilot.ping_position.z, 35 - 1000 * std::cos(0.5f), 1e-2f);
    EXPECT_FLOAT_EQ(world.pilot.map_ping[1], 16);
}

}  // namespace
}  // namespace bastion

#include <gtest/gtest.h>

#include "world/world.h"

namespace bastion {
namespace {

Target object(int tag, Vec3 home = {}) {
    Target t;
    t.tag = tag;
    t.home = home;
    return t;
}

World sb2World(int mission, std::vector<Target> targets) {
    World world;
    world.campaign = 1;
    world.missionIndex = mission;
    world.targets = std::move(targets);
    world.counters[1] = 9;
    world.killsByType[4] = 3;
    return world;
}

TEST(SB2Setup, CountsObjectsByMission) {
    Target unit = object(22);
    unit.unitType = 2;  // units never count
    const struct {
        int mission;
        std::vector<Target> targets;
        std::array<int, 3> counters;
    } cases[] = {
        {1, {object(22)}, {5, 0, 0}},
        {2, {object(22), object(22), object(23), unit}, {2, 0, 0}},
        {12, {object(22)}, {1, 0, 0}},
        {7, {object(33), object(33), object(32)}, {4, 2, 0}},
        {13, {object(32), object(32), object(31)}, {2, 0, 0}},
        {14, {object(127), object(-5), object(128), object(255)}, {2, 0, 0}},
        {17, {object(0)}, {1, 0, 0}},
        {16, {object(22)}, {19, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mission);
        World world = sb2World(c.mission, c.targets);
        world.initSB2();
        EXPECT_EQ(world.counters[0], c.counters[0]);
        EXPECT_EQ(world.counters[1], c.counters[1]);
        EXPECT_EQ(world.counters[2], c.counters[2]);
        EXPECT_EQ(world.killsByType[4], 0);
    }
}

TEST(SB2Setup, MissionZeroCountsObjectsInsideItsRegions) {
    // Regions test (x, -z): home z -90 is -z 90.
    World world = sb2World(0, {object(255, {0, 0, -90}), object(255, {40, 0, -80}), object(255, {41, 0, -90}),
                               object(255, {0, 0, 90})});
    world.objectiveRegions = {{-40.0f, 80.0f, 40.0f, 160.0f}};
    world.initSB2();
    EXPECT_EQ(world.counters[2], 2);
    EXPECT_EQ(world.objectiveText, "DESTROY DESERT FACTORIES");
}

TEST(SB2Setup, ProtectedObjectsTakeSlotOne) {
    const struct {
        int mission;
        std::vector<int> tags;
        std::vector<bool> critical;
        int slot;
    } cases[] = {
        {3, {31, 36, 33, 37, 33}, {false, true, true, false, true}, 2},
        {6, {33, 32, 32}, {false, true, true}, 1},
        {13, {40, 32}, {false, true}, 1},
        {3, {31, 37}, {false, false}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mission);
        std::vector<Target> targets;
        for (const int tag : c.tags) targets.push_back(object(tag));
        World world = sb2World(c.mission, targets);
        world.slots[1] = 7;
        world.initSB2();
        for (std::size_t i = 0; i < c.tags.size(); ++i) EXPECT_EQ(world.targets[i].critical, c.critical[i]) << i;
        EXPECT_EQ(world.slots[1], c.slot);
    }
}

TEST(SB2Setup, MissionsOutsideTheCampaignOnlyClearTheCounters) {
    World world = sb2World(20, {object(22)});
    world.objectiveText = "SB2 MISSION 21";
    world.initSB2();
    EXPECT_EQ(world.counters[0], 0);
    EXPECT_EQ(world.counters[1], 0);
    EXPECT_EQ(world.objectiveText, "SB2 MISSION 21");
}

}  // namespace
}  // namespace bastion

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mission_fixture.h"
#include "support/demo_content.h"

namespace bastion {
namespace {

using testing_support::add;
using testing_support::missionWorld;
using testing_support::placed;
using testing_support::soundsOfKind;

TEST(MissionStep, RunsOnlyWhileTheMissionIsActive) {
    for (const int status : {kStatusIdle, kStatusWon, kStatusKilled, kStatusLost}) {
        World world = missionWorld(0, 2);
        world.pilot.status = status;
        Target wreck = placed(3);
        wreck.health = 0.0f;
        add(world, wreck);
        world.stepMission(0.05f);
        EXPECT_EQ(world.missionTime, 0.0f);
        EXPECT_FALSE(world.targets[0].destroyed);
        EXPECT_TRUE(world.sounds.empty());
    }
}

TEST(MissionStep, WreckedTargetsAreDestroyedThenTheWinIsHeardOnce) {
    World world = missionWorld(0, 2);
    world.counters[0] = 2;
    for (int i = 0; i < 2; ++i) {
        Target walker = placed(3);
        walker.health = 0.0f;
        add(world, walker);
    }
    Target inactive = placed(3);
    inactive.health = 0.0f;
    inactive.active = false;
    add(world, inactive);

    world.stepMission(0.05f);
    EXPECT_EQ(world.missionTime, 0.05f);
    EXPECT_TRUE(world.targets[0].destroyed);
    EXPECT_TRUE(world.targets[1].destroyed);
    EXPECT_FALSE(world.targets[2].destroyed);
    EXPECT_EQ(world.counters[0], 0);
    EXPECT_EQ(world.pilot.status, kStatusActive) << "the explosions are still running";
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kWon), 0);

    world.effects.clear();
    world.pilot.position = {3, 0, 4};
    world.stepMission(0.05f);
    EXPECT_EQ(world.pilot.status, kStatusWon);
    ASSERT_EQ(soundsOfKind(world, SoundEvent::kWon), 1);
    EXPECT_EQ(world.sounds.back().position, (Vec3{3, 12, 4}));
    world.stepMission(0.05f);
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kWon), 1);
}

TEST(MissionStep, SB1MissionThreeOpensFlagZeroOnce) {
    World world = missionWorld(0, 3);
    world.counters[0] = 5;
    world.counters[1] = 0;
    world.stepMission(0.05f);
    EXPECT_EQ(world.counters[1], -1);
    EXPECT_EQ(world.missionFlags, 1u);
    world.missionFlags = 0;
    world.stepMission(0.05f);
    EXPECT_EQ(world.missionFlags, 0u);
}

TEST(MissionStep, SB1MissionTenLightsFlagsAsCounterTwoFalls) {
    struct Case {
        int initial;
        int left;
        u32 flags;
    };
    // q = 8 * left / (initial + 1); flag 6 - q while q <= 6.
    for (const Case& c : {Case{15, 15, 0}, Case{15, 13, 1u << 0}, Case{15, 2, 1u << 5}, Case{15, 1, 1u << 6},
                          Case{15, -4, 1u << 6}, Case{0, 1, 0}}) {
        World world = missionWorld(0, 10);
        world.initialCounter = c.initial;
        world.counters[2] = c.left;
        world.stepMission(0.05f);
        EXPECT_EQ(world.missionFlags, c.flags) << c.initial << " " << c.left;
    }
}

TEST(MissionStep, SB1MissionThirteenConvoyThroughWhenEveryTruckLeft) {
    struct Case {
        const char* what;
        void (*change)(Target&);
        bool through;
    };
    const std::vector<Case> cases = {
        {"both hidden", [](Target& t) { t.hidden = true; }, true},
        {"one on its way", [](Target&) {}, false},
        {"a wreck", [](Target& t) { t.health = 0.0f; t.active = false; }, true},
        {"a copy", [](Target& t) { t.derived = true; }, true},
        {"holds position", [](Target& t) { t.flags = 4; }, true},
    };
    for (const Case& c : cases) {
        World world = missionWorld(0, 13);
        world.counters[0] = 1;
        Target first = placed(8);
        first.hidden = true;
        add(world, first);
        Target second = placed(8);
        c.change(second);
        add(world, second);
        world.stepMission(0.05f);
        EXPECT_EQ(world.missionFlags == (1u << 30), c.through) << c.what;
    }
    World empty = missionWorld(0, 13);
    empty.counters[0] = 1;
    empty.stepMission(0.05f);
    EXPECT_EQ(empty.missionFlags, 0u) << "no truck at all is no convoy";
}

TEST(MissionStep, CoopWorldsLeavePickupsToEachPilot) {
    World world = missionWorld(0, 0);
    world.coop = true;
    Pickup crate;
    crate.position = world.pilot.position;
    world.pickups.push_back(crate);
    world.stepMission(0.05f);
    EXPECT_FALSE(world.pickups[0].collected);
    world.coop = false;
    world.stepMission(0.05f);
    EXPECT_TRUE(world.pickups[0].collected);
}

TEST(MissionStep, ProceduralWorldsAreJudgedByTheirObjectives) {
    World world = missionWorld(0, 0);
    world.procedural = true;
    ProceduralObjective recon;
    recon.kind = 2;
    recon.centre = world.pilot.position;
    recon.holdSeconds = 0.1f;
    world.proceduralMission.objectives.push_back(recon);
    world.stepMission(0.05f);
    EXPECT_FLOAT_EQ(world.proceduralMission.objectives[0].holdTimer, 0.05f);
    EXPECT_EQ(world.pilot.status, kStatusActive);
    world.stepMission(0.05f);
    EXPECT_EQ(world.pilot.status, kStatusWon);
    EXPECT_EQ(soundsOfKind(world, SoundEvent::kWon), 1);

    World evaluated = missionWorld(0, 0);
    evaluated.procedural = true;
    evaluated.proceduralMission.objectives.push_back(recon);
    evaluated.evaluateMission();
    EXPECT_EQ(evaluated.proceduralMission.objectives[0].holdTimer, 0.0f) << "evaluation alone adds no time";
    EXPECT_EQ(evaluated.objectiveText, "RECON 0/1 / HOLD 0/0 S / 0 M");
}

struct CampaignMission {
    int campaign;
    int mission;
};

class DemoMissionRun : public ::testing::TestWithParam<CampaignMission> {};

// A minute of play with the pilot standing still: the enemies, generators,
// cargo flights and rules of every demo mission run without throwing.
TEST_P(DemoMissionRun, SixtySecondsWithAStationaryPilot) {
    const auto [campaign, mission] = GetParam();
    World world;
    world.loadMission(testing_support::demoContent(), mission, campaign, true);
    const Input still;
    ASSERT_NO_THROW({
        for (int frame = 0; frame < 1200; ++frame) {
            world.step(still, 0.05f, true);
            world.sounds.clear();
        }
    });
    // The clock stops only when the mission is decided.
    if (world.pilot.status == kStatusActive) {
        EXPECT_GT(world.missionTime, 59.9f);
    }
    for (const Target& t : world.targets) EXPECT_TRUE(isFinite(t.position));
}

std::vector<CampaignMission> everyMission() {
    std::vector<CampaignMission> all;
    for (int m = 0; m < 16; ++m) all.push_back({0, m});
    for (int m = 0; m < 20; ++m) all.push_back({1, m});
    return all;
}

INSTANTIATE_TEST_SUITE_P(DemoCampaigns, DemoMissionRun, ::testing::ValuesIn(everyMission()),
                         [](const auto& info) {
                             return std::string(info.param.campaign == 0 ? "SB1_" : "SB2_") +
                                    std::to_string(info.param.mission);
                         });

}  // namespace
}  // namespace bastion

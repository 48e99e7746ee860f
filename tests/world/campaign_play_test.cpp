#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/demo_content.h"
#include "support/scripted_player.h"

namespace bastion {
namespace {

using testing_support::demoContent;
using testing_support::deployedMission;
using testing_support::loadoutBefore;
using testing_support::PlayResult;

struct MissionCase {
    int campaign;
    int mission;
};

std::vector<MissionCase> missions(int campaign, int count) {
    std::vector<MissionCase> cases;
    for (int mission = 0; mission < count; ++mission) cases.push_back({campaign, mission});
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<MissionCase>& info) {
    const std::string index = std::to_string(info.param.mission);
    return (info.param.campaign == 0 ? "SB1_Mission" : "SB2_Mission") + std::string(index.size() < 2 ? "0" : "") +
           index;
}

class CampaignPlay : public ::testing::TestWithParam<MissionCase> {};

// A player who learns the controls first: standing still in one of the first
// missions of a new campaign, the pilot lives through the first minute.
class FirstMinute : public ::testing::TestWithParam<MissionCase> {};

TEST_P(FirstMinute, StillPilotSurvivesTheFirstMinute) {
    const auto [campaign, mission] = GetParam();
    World world = deployedMission(demoContent(), campaign, mission, loadoutBefore(campaign, 0));
    const PlayResult result = testing_support::playStill(world, 60.0f);
    RecordProperty("health_after_60s", std::to_string(result.health));
    EXPECT_EQ(result.status, kStatusActive) << "ended at " << result.time << " s";
    EXPECT_GT(result.health, 0.0f);
}

// The first missions' tanks and helicopters fall to a few bursts of the
// starting rifle.
TEST_P(FirstMinute, TanksAndHelicoptersFallToAFewRifleBursts) {
    const auto [campaign, mission] = GetParam();
    const World world = deployedMission(demoContent(), campaign, mission, loadoutBefore(campaign, 0));
    const float rifle = weaponInfo(kRifle, campaign).damage;
    for (const Target& t : world.targets) {
        if (t.unitType != 0 && t.unitType != 1) continue;
        EXPECT_LE(t.health / rifle, 25.0f) << "unit type " << t.unitType;
    }
}

// Each campaign grows harder: its enemies' shots and health never fall from
// one mission to the next and end well above where they began.
TEST(CampaignDifficulty, ShotsAndHealthRiseAcrossEachCampaign) {
    for (const int campaign : {0, 1}) {
        World first;
        first.loadMission(demoContent(), 0, campaign, true);
        World previous;
        previous.loadMission(demoContent(), 0, campaign, true);
        const int count = campaign == 0 ? 16 : 20;
        for (int mission = 1; mission < count; ++mission) {
            World world;
            world.loadMission(demoContent(), mission, campaign, true);
            for (int k = 0; k < 2; ++k) {
                EXPECT_GE(world.projectilePair[k], previous.projectilePair[k]) << campaign << " " << mission;
                EXPECT_GE(world.healthPair[k], previous.healthPair[k]) << campaign << " " << mission;
            }
            previous = std::move(world);
        }
        for (int k = 0; k < 2; ++k) {
            EXPECT_GE(previous.projectilePair[k], 1.5f * first.projectilePair[k]) << "campaign " << campaign;
            EXPECT_GE(previous.healthPair[k], 3.0f * first.healthPair[k]) << "campaign " << campaign;
        }
    }
}

// Every demo mission is won by a scripted player who plays with the keys and
// the mouse of the desktop (turning and walking by keys held for whole
// frames), armed with the weapons the campaign handed out for the missions
// before it.
TEST_P(CampaignPlay, ScriptedPlayerWins) {
    const auto [campaign, mission] = GetParam();
    World world = deployedMission(demoContent(), campaign, mission, loadoutBefore(campaign, mission));
    const PlayResult result = testing_support::playScripted(world, 900.0f);
    RecordProperty("game_seconds", std::to_string(result.time));
    std::printf("[ game time ] %s mission %d: status %d after %.1f s, health %.0f, counters %d %d %d, flags %08x\n",
                campaign == 0 ? "SB1" : "SB2", mission, result.status, static_cast<double>(result.time),
                static_cast<double>(result.health), world.counters[0], world.counters[1], world.counters[2],
                world.missionFlags);
    EXPECT_EQ(result.status, kStatusWon) << "after " << result.time << " s of game time";
}

std::vector<MissionCase> firstMissions() {
    std::vector<MissionCase> cases = missions(0, 5);
    for (const MissionCase& c : missions(1, 5)) cases.push_back(c);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(NewCampaign, FirstMinute, ::testing::ValuesIn(firstMissions()), caseName);
INSTANTIATE_TEST_SUITE_P(SB1, CampaignPlay, ::testing::ValuesIn(missions(0, 16)), caseName);
INSTANTIATE_TEST_SUITE_P(SB2, CampaignPlay, ::testing::ValuesIn(missions(1, 20)), caseName);

}  // namespace
}  // namespace bastion

#include <gtest/gtest.h>

#include "support/demo_content.h"
#include "world/world.h"

namespace bastion {
namespace {

using testing_support::demoContent;

struct CampaignMission {
    int campaign;
    int mission;
};

std::vector<CampaignMission> everyMission() {
    std::vector<CampaignMission> all;
    for (int m = 0; m < 16; ++m) all.push_back({0, m});
    for (int m = 0; m < 20; ++m) all.push_back({1, m});
    return all;
}

class EveryMission : public ::testing::TestWithParam<CampaignMission> {};

TEST_P(EveryMission, LoadsWithItsObjectiveAndActivePilot) {
    const auto [campaign, mission] = GetParam();
    World world;
    world.loadMission(demoContent(), mission, campaign, true);
    EXPECT_EQ(world.campaign, campaign);
    EXPECT_EQ(world.missionIndex, mission);
    EXPECT_EQ(world.pilot.status, kStatusActive);
    EXPECT_FALSE(world.objectiveText.empty());
    EXPECT_FALSE(world.targets.empty());
    EXPECT_FALSE(world.ground.empty());
    for (const Target& t : world.targets) {
        ASSERT_TRUE(t.mesh);
        EXPECT_TRUE(isFinite(t.position));
    }
}

INSTANTIATE_TEST_SUITE_P(DemoCampaigns, EveryMission, ::testing::ValuesIn(everyMission()),
                         [](const auto& info) {
                             return std::string(info.param.campaign == 0 ? "SB1_" : "SB2_") +
                                    std::to_string(info.param.mission);
                         });

}  // namespace
}  // namespace bastion

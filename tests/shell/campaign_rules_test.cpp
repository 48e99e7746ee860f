#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "shell/shared/campaign_rules.h"
#include "support/refusal.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using nlohmann::json;

const json kSB1Rewards = {5, -1, 3, 4, 2, -1, 6, -1, 7, -1, -1, 8, -1, -1, -1, -1};
const json kSB2Rewards = {2, -1, 4, -1, 6, -1, 7, -1, 8, -1, 9, -1, 10, -1, 11, -1, 12, -1, -1, -1};

json progressionOf(int campaign) {
    return {{"initial_missions", 15},
            {"initial_weapons", campaign == 1 ? 42 : 2},
            {"mission_rewards", campaign == 1 ? kSB2Rewards : kSB1Rewards}};
}

void writeRules(const std::filesystem::path& root, int campaign, const json& progression) {
    const auto folder = campaign == 1 ? root / "sb2" / "art" : root / "art";
    std::filesystem::create_directories(folder);
    testing_support::writeFile(folder / "frontend.json",
                    json{{"schema", 1}, {"missions", json::array()}, {"progression", progression}}.dump());
}

// Rules unlike either file's, to see what a failed load keeps.
CampaignRules marked() {
    CampaignRules rules;
    rules.initialWeapons = 0x80;
    rules.missionRewards = {1};
    rules.campaign = 5;
    return rules;
}

TEST(CampaignRulesLoad, ReadsEachCampaignFromItsOwnFile) {
    const testing_support::TempFolder scratch("campaign-rules");
    const auto root = scratch.path();
    writeRules(root, 0, progressionOf(0));
    writeRules(root, 1, progressionOf(1));
    CampaignRules rules = marked();
    rules.load(root, 1);
    EXPECT_EQ(rules.campaign, 1);
    EXPECT_EQ(rules.initialWeapons, 42u);
    EXPECT_EQ(rules.initialMissions, 0xFu);
    EXPECT_EQ(json(rules.missionRewards), kSB2Rewards);
    rules.load(root, 0);
    EXPECT_EQ(rules.campaign, 0);
    EXPECT_EQ(rules.initialWeapons, 2u);
    EXPECT_EQ(json(rules.missionRewards), kSB1Rewards);
}

struct BadRules {
    const char* name;
    int campaign;
    std::function<void(json&)> change;
    const char* message;  // "json" for the JSON library's exceptions
};

TEST(CampaignRulesLoad, RefusesBadRulesAndKeepsAllButTheCampaign) {
    const BadRules cases[] = {
        {"campaign 2", 2, [](json&) {}, "Invalid campaign"},
        {"campaign -1", -1, [](json&) {}, "Invalid campaign"},
        {"missions 14", 0, [](json& p) { p["initial_missions"] = 14; }, "Unsupported campaign rules - regenerate frontend exports"},
        {"weapons 3", 0, [](json& p) { p["initial_weapons"] = 3; }, "Unsupported campaign rules - regenerate frontend exports"},
        {"SB1 weapons in SB2", 1, [](json& p) { p["initial_weapons"] = 2; }, "Unsupported campaign rules - regenerate frontend exports"},
        {"reward 0", 0, [](json& p) { p["mission_rewards"][1] = 0; }, "Invalid campaign reward"},
        {"reward 13", 1, [](json& p) { p["mission_rewards"][19] = 13; }, "Invalid campaign reward"},
        {"reward -2", 0, [](json& p) { p["mission_rewards"][1] = -2; }, "Invalid campaign reward"},
        {"reward 2.5", 0, [](json& p) { p["mission_rewards"][1] = 2.5; }, "Invalid campaign reward"},
        {"reward true", 0, [](json& p) { p["mission_rewards"][1] = true; }, "Invalid campaign reward"},
        {"reward 2^32-1", 0, [](json& p) { p["mission_rewards"][1] = 4294967295u; }, "Invalid campaign reward"},
        {"17 rewards", 0, [](json& p) { p["mission_rewards"].push_back(-1); }, "Invalid campaign length"},
        {"15 rewards", 0, [](json& p) { p["mission_rewards"].erase(15); }, "Invalid campaign length"},
        {"20 rewards in SB1", 0, [](json& p) { p["mission_rewards"] = kSB2Rewards; }, "Invalid campaign length"},
        {"bad reward before length", 0,
         [](json& p) { p["mission_rewards"].push_back(0); }, "Invalid campaign reward"},
        {"no cruise missile", 0, [](json& p) { p["mission_rewards"][8] = 6; },
         "Campaign leaves implemented weapons unobtainable"},
        {"no auto grenades", 1, [](json& p) { p["mission_rewards"][16] = -1; },
         "Campaign leaves implemented weapons unobtainable"},
        {"SB2 weapons in SB1", 0, [](json& p) { p["mission_rewards"][1] = 12; },
         "Campaign leaves implemented weapons unobtainable"},
        {"no rewards key", 0, [](json& p) { p.erase("mission_rewards"); }, "json"},
        {"rewards not a list", 0, [](json& p) { p["mission_rewards"] = 5; }, "json"},
        {"no missions key", 0, [](json& p) { p.erase("initial_missions"); }, "json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const testing_support::TempFolder scratch("campaign-rules");
        const auto root = scratch.path();
        json progression = progressionOf(c.campaign);
        c.change(progression);
        writeRules(root, c.campaign, progression);
        CampaignRules rules = marked();
        EXPECT_EQ(testing_support::refusal([&] { rules.load(root, c.campaign); }), c.message);
        const bool validCampaign = c.campaign == 0 || c.campaign == 1;
        EXPECT_EQ(rules.campaign, validCampaign ? c.campaign : 5);
        EXPECT_EQ(rules.initialWeapons, 0x80u);
        EXPECT_EQ(rules.missionRewards, std::vector<int>{1});
    }
}

TEST(CampaignRulesLoad, AMissingFileIsTheJsonLibrarysError) {
    CampaignRules rules;
    const testing_support::TempFolder scratch("campaign-rules");
    EXPECT_THROW(rules.load(scratch.path(), 0), json::exception);
}

TEST(CampaignRules, DefaultRulesOpenEveryFirstCampaignWeapon) {
    const CampaignRules rules;
    EXPECT_EQ(rules.weapons(0), 0x3u);
    EXPECT_EQ(rules.weapons(0xFFFF), 0x1FFu);
    EXPECT_EQ(rules.weapons(0x1), 0x23u);  // mission 0 gives the grenade rack
}

struct AvailableCase {
    int campaign;
    u32 completed;
    u32 open;
};

TEST(CampaignRules, OpensMissionsOnlyWhenEveryEarlierOneIsDone) {
    const AvailableCase cases[] = {
        {0, 0x0, 0xF},       {0, 0xE, 0xF},       {0, 0x10, 0xF},      {0, 0xF, 0xFF},
        {0, 0xFF, 0xFFF},    {0, 0xF7F, 0xFF},    {0, 0xFFF, 0x1FFF},  {0, 0x1FFF, 0x3FFF},
        {0, 0x3FFF, 0x7FFF}, {0, 0x7FFF, 0xFFFF}, {0, 0xEFFF, 0x1FFF}, {0, 0xFFFF, 0xFFFF},
        {1, 0x0, 0xF},       {1, 0xE, 0xF},       {1, 0xF, 0xFF},      {1, 0xFF, 0xFFF},
        {1, 0xFFF, 0xFFFF},  {1, 0x1FFF, 0xFFFF}, {1, 0xFFFF, 0xFFFFF}, {1, 0xFFFFF, 0xFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "campaign " << c.campaign << " completed 0x" << std::hex
                                        << c.completed);
        CampaignRules rules;
        rules.campaign = c.campaign;
        EXPECT_EQ(rules.available(c.completed), c.open);
    }
}

}  // namespace
}  // namespace bastion

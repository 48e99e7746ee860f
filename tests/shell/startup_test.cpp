#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/demo_content.h"
#include "support/temp_folder.h"
#include "shell/campaign_save_path.h"
#include "shell/startup.h"

namespace bastion {
namespace {

TEST(CampaignSavePath, Sb2UsesTheSiblingWithSuffixedStem) {
    EXPECT_EQ(campaignSavePath("/saves/campaign.json", 0), "/saves/campaign.json");
    EXPECT_EQ(campaignSavePath("/saves/campaign.json", 1), "/saves/campaign-sb2.json");
    EXPECT_EQ(campaignSavePath("/saves/progress", 1), "/saves/progress-sb2");
    EXPECT_EQ(campaignSavePath("campaign.json", 1), "campaign-sb2.json");
    EXPECT_EQ(campaignSavePath("/saves/my.save.json", 1), "/saves/my.save-sb2.json");
}

// Start-up in this process, with content, configuration and save in a test
// folder of its own.
class StartupTest : public testing::Test {
protected:
    testing_support::TempFolder temp{"startup"};
    std::filesystem::path folder = temp.path();
    std::filesystem::path retail = testing_support::demoContent();
    std::filesystem::path config = folder / "config.json";
    std::filesystem::path save = folder / "saves/campaign.json";
    Startup state;
    std::ostringstream out;

    void SetUp() override {
        std::ofstream(config) << "{\"player_name\": \"Config Pilot\", \"sound_volume\": 0.25}";
    }

    bool start(std::vector<std::string> args) {
        args.insert(args.begin(), {"--retail", retail.string(), "--config", config.string()});
        return startUp(state, args, StartupPlaces{std::nullopt, folder / "nowhere"}, out);
    }

    void writeSave(const std::filesystem::path& path, const nlohmann::json& fields) {
        nlohmann::json document = {{"schema", 1},     {"game", "stormbastion-xr"}, {"completed", 0},
                                   {"selected_mission", 0}, {"loadout", {0, 1, 0, 0, 0, 0}}};
        document.update(fields);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << document.dump();
    }
};

TEST_F(StartupTest, HelpStopsBeforeTheCartridge) {
    EXPECT_FALSE(start({"--retail", (folder / "nowhere").string(), "--help"}));
    EXPECT_EQ(out.str(), helpText());
}

TEST_F(StartupTest, CampaignStartTakesConfigurationAndCartridge) {
    ASSERT_TRUE(start({"--save", save.string(), "--server", "lobby.example:1"}));
    EXPECT_EQ(state.windowTitle, "Stormbastion XR - native missions / local cartridge");
    EXPECT_EQ(state.server, "lobby.example:1");
    EXPECT_EQ(state.playerName, "Config Pilot");
    EXPECT_EQ(state.frontend.soundVolume, 0.25f);
    EXPECT_EQ(state.frontend.musicVolume, 1.0f);
    EXPECT_EQ(state.savePath, save);
    EXPECT_EQ(state.frontend.screen, Frontend::kTitle);
    EXPECT_EQ(state.frontend.progression.rules.missionCount(), 16);
    EXPECT_FALSE(state.frontend.sandbox);
    const std::string printed = out.str();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 2);
}

TEST_F(StartupTest, FixtureOpensTheTestRangeInSandbox) {
    ASSERT_TRUE(start({"--fixture", "--name", "  Ace "}));
    EXPECT_EQ(state.windowTitle, "Stormbastion XR - native test range");
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(state.frontend.sandbox);
    EXPECT_EQ(state.playerName, "Ace");
    EXPECT_TRUE(state.savePath.empty());
}

TEST_F(StartupTest, PreviewsForceSandbox) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--ejection-demo"}, {"--ejection-preview", "0"}, {"--health-preview", "-0"}}) {
        Startup fresh;
        std::vector<std::string> full = {"--retail", retail.string(), "--config", config.string()};
        full.insert(full.end(), args.begin(), args.end());
        ASSERT_TRUE(startUp(fresh, full, StartupPlaces{}, out)) << args.front();
        EXPECT_TRUE(fresh.frontend.sandbox) << args.front();
        EXPECT_TRUE(fresh.savePath.empty());
    }
}

TEST_F(StartupTest, SaveGivesDifficultySelectionAndLoadout) {
    writeSave(save, {{"completed", 0xF}, {"selected_mission", 5}, {"difficulty", "hard"},
                     {"loadout", {0, 1, 0, 0, 0, 5}}});
    ASSERT_TRUE(start({"--save", save.string()}));
    EXPECT_EQ(state.frontend.difficulty, 1);
    EXPECT_EQ(state.frontend.missionCursor, 5);
    EXPECT_EQ(state.frontend.loadout, (Loadout{0, 1, 0, 0, 0, 5}));
    EXPECT_EQ(state.frontend.screen, Frontend::kTitle);
}

TEST_F(StartupTest, CommandLineChoicesOutrankTheSave) {
    writeSave(save, {{"completed", 0xF}, {"selected_mission", 5}, {"difficulty", "hard"}});
    ASSERT_TRUE(start({"--save", save.string(), "--difficulty", "normal", "--mission", "3", "--screen", "briefing"}));
    EXPECT_EQ(state.frontend.difficulty, 0);
    EXPECT_EQ(state.frontend.missionCursor, 2);
    EXPECT_EQ(state.frontend.screen, Frontend::kBriefing);
}

TEST_F(StartupTest, LockedMissionOpensTheMissionSelection) {
    writeSave(save, nlohmann::json::object());
    ASSERT_TRUE(start({"--save", save.string(), "--mission", "9", "--screen", "loadout"}));
    EXPECT_EQ(state.frontend.missionCursor, 8);
    EXPECT_EQ(state.frontend.screen, Frontend::kMissionSelection);
}

TEST_F(StartupTest, Sb2MissionSeventeenWithoutProgressOpensTheMissionSelection) {
    const std::filesystem::path sb2Save = folder / "saves/campaign-sb2.json";
    writeSave(sb2Save, {{"campaign", 1}, {"completed", 0xF}, {"loadout", {0, 1, 0, 0, 0, 0}}});
    ASSERT_TRUE(start({"--save", save.string(), "--campaign", "sb2", "--mission", "17"}));
    EXPECT_EQ(state.frontend.campaignRow, 1);
    EXPECT_EQ(state.frontend.progression.completed, 0xFu);
    EXPECT_EQ(state.frontend.missionCursor, 16);
    EXPECT_EQ(state.frontend.screen, Frontend::kMissionSelection);
}

TEST_F(StartupTest, PrototypeStartsPlayingInSandbox) {
    ASSERT_TRUE(start({"--mission-prototype", "5"}));
    EXPECT_TRUE(state.frontend.sandbox);
    EXPECT_EQ(state.frontend.campaignRow, 1);
    EXPECT_EQ(state.frontend.screen, Frontend::kPlaying);
    EXPECT_EQ(state.frontend.statusLine, "SEED 5 / DESTROY ALL MARKED ENEMIES");
    EXPECT_EQ(state.frontend.loadout, (Loadout{0, 1, 6, 7, 2, 5}));
    EXPECT_EQ(state.frontend.progression.rules.missionCount(), 20);
}

TEST_F(StartupTest, SkirmishTakesItsSeedAndReadsNoSave) {
    writeSave(save, {{"game", "another-game"}});
    ASSERT_TRUE(start({"--save", save.string(), "--skirmish-seed", "0042"}));
    EXPECT_TRUE(state.frontend.skirmish);
    EXPECT_EQ(state.frontend.skirmishSettings.seed, 42u);
    EXPECT_EQ(state.frontend.screen, Frontend::kSkirmishSetup);
    EXPECT_EQ(state.savePath, save);
}

}  // namespace
}  // namespace bastion

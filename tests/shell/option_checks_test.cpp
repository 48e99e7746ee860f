#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "failure_message.h"
#include "procedural/recipe_fixtures.h"
#include "support/temp_folder.h"
#include "shell/option_checks.h"

namespace bastion {
namespace {

constexpr Loadout kGeneratedLoadout = {0, 1, 6, 7, 2, 5};

CommandLine checked(std::vector<std::string> args) {
    CommandLine options = parseCommandLine(args);
    crossCheckOptions(options);
    return options;
}

std::string failure(std::vector<std::string> args) {
    return failureMessage([&] { checked(args); });
}

TEST(CrossChecks, CampaignStartIsLeftAlone) {
    const CommandLine options = checked({"--campaign", "sb2", "--mission", "17", "--screen", "briefing"});
    EXPECT_FALSE(options.skirmish);
    EXPECT_FALSE(options.sandbox);
    EXPECT_EQ(options.screen, 9);
    EXPECT_EQ(options.missionCursor, 16);
    EXPECT_FALSE(options.loadout);
    EXPECT_EQ(options.statusLine, "");
}

TEST(CrossChecks, SkirmishSeedAloneOpensTheSetup) {
    const CommandLine options = checked({"--skirmish-seed", "007"});
    EXPECT_TRUE(options.skirmish);
    EXPECT_EQ(options.skirmishSeed, 7u);
    EXPECT_EQ(options.screen, 14);
    EXPECT_EQ(options.missionCursor, 0);
    EXPECT_EQ(options.loadout, kGeneratedLoadout);
    EXPECT_FALSE(options.sandbox);
}

TEST(CrossChecks, SkirmishSeedWithACampaignFailsInEitherOrder) {
    const char* message = "Skirmish seed cannot select an SB1 or SB2 campaign";
    EXPECT_EQ(failure({"--campaign", "sb1", "--skirmish-seed", "7"}), message);
    EXPECT_EQ(failure({"--skirmish-seed", "7", "--campaign", "sb1"}), message);
    EXPECT_EQ(failure({"--skirmish-seed", "7", "--campaign", "skirmish", "--campaign", "sb2"}), message);
    EXPECT_TRUE(checked({"--campaign", "sb1", "--campaign", "skirmish", "--skirmish-seed", "7"}).skirmish);
}

TEST(CrossChecks, SkirmishWithoutSeedDrawsOne) {
    const CommandLine options = checked({"--campaign", "skirmish", "--screen", "playing"});
    EXPECT_TRUE(options.skirmishSeed);
    EXPECT_EQ(options.screen, 11);
}

TEST(CrossChecks, SkirmishScreens) {
    for (const char* screen : {"skirmish", "briefing", "loadout", "playing"}) {
        EXPECT_NO_THROW(checked({"--campaign", "skirmish", "--screen", screen})) << screen;
    }
    for (const char* screen : {"title", "campaign", "missions"}) {
        EXPECT_EQ(failure({"--campaign", "skirmish", "--screen", screen}),
                  "Skirmish screen must be setup, briefing, loadout or playing")
            << screen;
    }
    EXPECT_EQ(failure({"--screen", "skirmish"}), "Skirmish setup requires --campaign skirmish");
    EXPECT_EQ(failure({"--campaign", "skirmish", "--campaign", "sb1", "--screen", "skirmish"}),
              "Skirmish setup requires --campaign skirmish");
}

TEST(CrossChecks, SkirmishRejectsFixtureCoopMissionAndPreviews) {
    const char* message = "Skirmish cannot combine with campaign mission selection, co-op or preview options";
    const std::vector<std::vector<std::string>> extras = {
        {"--fixture"}, {"--host"}, {"--join", "ABCDEF"}, {"--mission", "1"}, {"--ejection-demo"},
        {"--ejection-preview", "0"}, {"--health-preview", "0"}, {"--health-preview", "-0"},
    };
    for (const auto& extra : extras) {
        std::vector<std::string> args = {"--campaign", "skirmish"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(failure(args), message) << extra.front();
    }
    // An empty join code and a negative ejection preview ask for nothing.
    EXPECT_NO_THROW(checked({"--campaign", "skirmish", "--join", "", "--ejection-preview", "-5"}));
}

TEST(CrossChecks, PrototypeStartsPlayingSb2InSandbox) {
    const CommandLine options = checked({"--mission-prototype", "5", "--screen", "title"});
    EXPECT_TRUE(options.sandbox);
    EXPECT_EQ(options.campaign, 1);
    EXPECT_EQ(options.screen, 11);
    EXPECT_EQ(options.missionCursor, 0);
    EXPECT_EQ(options.statusLine, "SEED 5 / DESTROY ALL MARKED ENEMIES");
    EXPECT_EQ(options.loadout, kGeneratedLoadout);
}

TEST(CrossChecks, PrototypeRejectsOtherModes) {
    const char* message =
        "Mission prototype cannot combine with skirmish, fixture, co-op, mission selection or preview options";
    const std::vector<std::vector<std::string>> extras = {
        {"--fixture"},           {"--host"},           {"--join", "X"},
        {"--mission", "2"},      {"--ejection-demo"},  {"--ejection-preview", "3"},
        {"--health-preview", "50"}, {"--campaign", "skirmish"}, {"--skirmish-seed", "1"},
    };
    for (const auto& extra : extras) {
        std::vector<std::string> args = {"--mission-prototype", "5"};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(failure(args), message) << extra.front();
    }
}

TEST(CrossChecks, EjectionPreviewsForceThePlayingScreen) {
    EXPECT_EQ(checked({"--ejection-demo", "--screen", "missions"}).screen, 11);
    EXPECT_EQ(checked({"--ejection-preview", "0"}).screen, 11);
    EXPECT_EQ(checked({"--ejection-preview", "-5", "--screen", "loadout"}).screen, 10);
    // The health preview alone does not move the screen.
    EXPECT_EQ(checked({"--health-preview", "40"}).screen, 0);
}

TEST(CrossChecks, HostAndJoinTogetherPass) {
    const CommandLine options = checked({"--host", "--join", "ABCDEF"});
    EXPECT_TRUE(options.host);
    EXPECT_EQ(options.joinCode, "ABCDEF");
}

class ProceduralLayoutCheck : public testing::Test {
protected:
    testing_support::TempFolder temp{"procedural-layout"};
    std::filesystem::path folder = temp.path();

    std::filesystem::path write(const std::string& name, const std::string& text) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // A JSON object padded with blanks to exactly `size` bytes.
    std::filesystem::path padded(const std::string& name, std::uintmax_t size) {
        std::string text = "{}";
        text.resize(size, ' ');
        return write(name, text);
    }

    std::string failure(const std::filesystem::path& layout, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--procedural-layout", layout.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return bastion::failure(args);
    }
};

TEST_F(ProceduralLayoutCheck, MissingFolderOrOversizedFileFails) {
    const char* message = "Missing or oversized procedural layout";
    EXPECT_EQ(failure(folder / "absent.json"), message);
    EXPECT_EQ(failure(folder), message);
    EXPECT_EQ(failure(padded("over.json", kProceduralLayoutLimit + 1)), message);
    // Exactly at the limit the size passes and the contents are judged.
    EXPECT_EQ(failure(padded("limit.json", kProceduralLayoutLimit)).rfind("Invalid procedural recipe: ", 0), 0u);
}

TEST_F(ProceduralLayoutCheck, ContentsMustBeAValidRecipe) {
    EXPECT_EQ(failure(write("array.json", "[1, 2]")).rfind("Invalid procedural recipe: ", 0), 0u);
    EXPECT_THROW(checked({"--procedural-layout", write("broken.json", "{").string()}), nlohmann::json::parse_error);
}

TEST_F(ProceduralLayoutCheck, ValidLayoutAtTheSizeLimitStartsItsSeededPrototype) {
    std::string text = fixtures::smallRecipeV2().dump();
    text.resize(kProceduralLayoutLimit, ' ');
    const std::filesystem::path layout = write("layout.json", text);
    const CommandLine options = checked({"--procedural-layout", layout.string()});
    EXPECT_TRUE(options.prototype);
    EXPECT_EQ(options.prototypeSeed, 7u);
    EXPECT_TRUE(options.sandbox);
    EXPECT_EQ(options.screen, 11);
    EXPECT_EQ(options.statusLine, "SEED 7 / DESTROY ALL MARKED ENEMIES");
    EXPECT_EQ(failure(layout, {"--join", "ABCDEF"}),
              "Mission prototype cannot combine with skirmish, fixture, co-op, mission selection or preview options");
}

TEST_F(ProceduralLayoutCheck, PrototypeSeedConflictComesFirst) {
    EXPECT_EQ(failure(folder / "absent.json", {"--mission-prototype", "3"}),
              "Choose --mission-prototype or --procedural-layout");
}

TEST(ClockSeed, FoldsTheHighHalfOntoTheLow) {
    EXPECT_EQ(foldClockSeed(0x0000000100000002ull), 3u);
    EXPECT_EQ(foldClockSeed(0xFFFFFFFF00000000ull), 0xFFFFFFFFu);
    EXPECT_EQ(foldClockSeed(0x12345678ull), 0x12345678u);
}

}  // namespace
}  // namespace bastion

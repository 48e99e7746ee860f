#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "failure_message.h"
#include "shell/command_line.h"

namespace bastion {
namespace {

CommandLine parse(std::vector<std::string> args) { return parseCommandLine(args); }

std::string failure(std::vector<std::string> args) {
    return failureMessage([&] { parseCommandLine(args); });
}

TEST(ParseSeed, AcceptsDecimalDigitsUpToTheU32Maximum) {
    EXPECT_EQ(parseSeed("7"), 7u);
    EXPECT_EQ(parseSeed("007"), 7u);
    EXPECT_EQ(parseSeed("0"), 0u);
    EXPECT_EQ(parseSeed("4294967295"), 4294967295u);
    EXPECT_EQ(parseSeed("0000000000004294967295"), 4294967295u);
}

TEST(ParseSeed, RejectsEverythingElse) {
    for (const char* text : {"", "4294967296", "99999999999999999999999", "-1", "+5", "5x", " 5", "5 ",
                             "0x10", "1e3", "1.0"}) {
        try {
            parseSeed(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Seed must be an unsigned 32-bit integer") << text;
        }
    }
}

TEST(ConfigScan, LastConfigWinsAndAMissingValueFails) {
    EXPECT_FALSE(scanConfigPath(std::vector<std::string>{"--fixture"}));
    EXPECT_EQ(*scanConfigPath(std::vector<std::string>{"--config", "a.json", "--config", "b.json"}), "b.json");
    // The value is taken whatever it looks like.
    EXPECT_EQ(*scanConfigPath(std::vector<std::string>{"--config", "--help"}), "--help");
    try {
        scanConfigPath(std::vector<std::string>{"--help", "--config"});
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Missing --config path");
    }
}

TEST(CommandLinePass, DefaultsWithoutArguments) {
    const CommandLine options = parse({});
    EXPECT_FALSE(options.xr);
    EXPECT_FALSE(options.fixture);
    EXPECT_FALSE(options.sandbox);
    EXPECT_EQ(options.screen, 0);
    EXPECT_EQ(options.campaign, 0);
    EXPECT_EQ(options.missionCursor, 0);
    EXPECT_FALSE(options.server);
    EXPECT_FALSE(options.playerName);
    EXPECT_FALSE(options.retail);
    EXPECT_EQ(options.frames, 0);
    EXPECT_LT(options.ejectionPreview, 0.0f);
    EXPECT_LT(options.healthPreview, 0.0f);
    EXPECT_FALSE(options.help);
}

TEST(CommandLinePass, LastDisplayModeWins) {
    EXPECT_FALSE(parse({"--xr", "--desktop"}).xr);
    EXPECT_TRUE(parse({"--desktop", "--xr"}).xr);
}

TEST(CommandLinePass, ValuesAreTakenWhateverTheyLookLike) {
    const CommandLine options = parse({"--server", "--host", "--join", "", "--save", "-", "--retail", "",
                                       "--config", "--bogus", "--screenshot", "--xr"});
    EXPECT_EQ(options.server, "--host");
    EXPECT_FALSE(options.host);
    EXPECT_EQ(options.joinCode, "");
    EXPECT_EQ(options.savePath, "-");
    ASSERT_TRUE(options.retail);
    EXPECT_EQ(*options.retail, "");
    EXPECT_EQ(options.screenshot, "--xr");
    EXPECT_FALSE(options.xr);
}

TEST(CommandLinePass, ChosenValuesAreMarked) {
    const CommandLine options =
        parse({"--difficulty", "hard", "--screen", "loadout", "--mission", "3abc", "--campaign", "sb2"});
    EXPECT_EQ(options.difficulty, 1);
    EXPECT_TRUE(options.difficultyChosen);
    EXPECT_EQ(options.screen, 10);
    EXPECT_TRUE(options.screenChosen);
    EXPECT_EQ(options.missionCursor, 2);
    EXPECT_TRUE(options.missionChosen);
    EXPECT_EQ(options.campaign, 1);
    EXPECT_TRUE(options.campaignChosen);
    EXPECT_FALSE(parse({"--difficulty", "normal"}).difficulty);
}

TEST(CommandLinePass, ScreenNames) {
    const std::pair<const char*, int> screens[] = {{"title", 0},    {"campaign", 1}, {"missions", 8},
                                                   {"briefing", 9}, {"loadout", 10}, {"playing", 11},
                                                   {"skirmish", 14}};
    for (const auto& [name, screen] : screens) {
        EXPECT_EQ(parse({"--screen", name}).screen, screen) << name;
    }
}

TEST(CommandLinePass, CampaignChoiceLastWins) {
    const CommandLine skirmishThenSb2 = parse({"--campaign", "skirmish", "--campaign", "sb2"});
    EXPECT_FALSE(skirmishThenSb2.skirmish);
    EXPECT_EQ(skirmishThenSb2.campaign, 1);
    const CommandLine sb2ThenSkirmish = parse({"--campaign", "sb2", "--campaign", "skirmish"});
    EXPECT_TRUE(sb2ThenSkirmish.skirmish);
    EXPECT_EQ(sb2ThenSkirmish.campaign, 1);
    // A skirmish seed alone does not switch skirmish on yet.
    const CommandLine seeded = parse({"--skirmish-seed", "007"});
    EXPECT_FALSE(seeded.skirmish);
    EXPECT_EQ(seeded.skirmishSeed, 7u);
}

TEST(CommandLinePass, NumbersReadTheirLeadingInteger) {
    EXPECT_EQ(parse({"--frames", " 12 frames"}).frames, 12);
    EXPECT_EQ(parse({"--mission", "20"}).missionCursor, 19);
    EXPECT_EQ(parse({"--mission", "1"}).missionCursor, 0);
    EXPECT_THROW(parse({"--mission", "abc"}), std::invalid_argument);
    EXPECT_THROW(parse({"--frames", "99999999999"}), std::out_of_range);
    EXPECT_THROW(parse({"--frames", ""}), std::invalid_argument);
}

TEST(CommandLinePass, Previews) {
    EXPECT_EQ(parse({"--health-preview", "100"}).healthPreview, 100.0f);
    const CommandLine negativeZero = parse({"--health-preview", "-0"});
    EXPECT_EQ(negativeZero.healthPreview, 0.0f);
    EXPECT_FALSE(std::signbit(negativeZero.healthPreview));
    EXPECT_EQ(parse({"--health-preview", "0"}).healthPreview, 0.0f);
    EXPECT_EQ(parse({"--ejection-preview", "-5"}).ejectionPreview, -5.0f);
    EXPECT_EQ(parse({"--ejection-preview", "20"}).ejectionPreview, 20.0f);
    EXPECT_THROW(parse({"--ejection-preview", "soon"}), std::invalid_argument);
}

TEST(CommandLinePass, PrototypeSeed) {
    const CommandLine options = parse({"--mission-prototype", "0005"});
    EXPECT_TRUE(options.prototype);
    EXPECT_EQ(options.prototypeSeed, 5u);
}

TEST(CommandLinePass, NameIsValidatedAndTrimmed) {
    EXPECT_EQ(parse({"--name", "  Ace  "}).playerName, "Ace");
    EXPECT_EQ(failure({"--name", "   "}), "Player name cannot be blank");
}

TEST(CommandLinePass, HelpStopsThePass) {
    EXPECT_TRUE(parse({"--help", "--frames", "0", "--bogus"}).help);
    EXPECT_EQ(failure({"--frames", "0", "--help"}), "--frames must be positive");
    const CommandLine options = parse({"--xr", "--help", "--desktop"});
    EXPECT_TRUE(options.help);
    EXPECT_TRUE(options.xr);
}

TEST(CommandLinePass, BadValuesAndCombinationsFailWithTheirMessages) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--bogus"}, "Unknown or incomplete option: --bogus"},
        {{"--Help"}, "Unknown or incomplete option: --Help"},
        {{"fixture"}, "Unknown or incomplete option: fixture"},
        {{"--server"}, "Unknown or incomplete option: --server"},
        {{"--fixture", "--mission"}, "Unknown or incomplete option: --mission"},
        {{"--config"}, "Unknown or incomplete option: --config"},
        {{"--difficulty", "Hard"}, "Difficulty must be normal or hard"},
        {{"--difficulty", ""}, "Difficulty must be normal or hard"},
        {{"--screen", "debrief"}, "Invalid --screen"},
        {{"--screen", ""}, "Invalid --screen"},
        {{"--mission", "0"}, "Mission must be 1..20"},
        {{"--mission", "21"}, "Mission must be 1..20"},
        {{"--mission", "-3"}, "Mission must be 1..20"},
        {{"--frames", "0"}, "--frames must be positive"},
        {{"--frames", "-1"}, "--frames must be positive"},
        {{"--campaign", "SB1"}, "Campaign must be sb1, sb2 or skirmish"},
        {{"--campaign", ""}, "Campaign must be sb1, sb2 or skirmish"},
        {{"--skirmish-seed", ""}, "Seed must be an unsigned 32-bit integer"},
        {{"--mission-prototype", "-1"}, "Seed must be an unsigned 32-bit integer"},
        {{"--health-preview", "100.5"}, "Health preview must be 0..100"},
        {{"--health-preview", "-1"}, "Health preview must be 0..100"},
        {{"--health-preview", "nan"}, "Health preview must be 0..100"},
        {{"--health-preview", "-nan"}, "Health preview must be 0..100"},
        {{"--health-preview", "inf"}, "Health preview must be 0..100"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(failure(args), message) << args.front();
    }
}

TEST(HelpText, SevenLinesWithoutTheHealthPreview) {
    const std::string_view text = helpText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find("--health-preview"), std::string_view::npos);
    EXPECT_EQ(text.find("stormbastion-xr [--desktop|--xr] [--fixture]"), 0u);
}

TEST(DifficultyText, HardOnlyForOne) {
    EXPECT_EQ(difficultyText(0), "normal");
    EXPECT_EQ(difficultyText(1), "hard");
}

}  // namespace
}  // namespace bastion

// Command-line, start-up and frame-loop behaviour of the built program.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "program_fixture.h"
#include "program_run.h"
#include "procedural/recipe_fixtures.h"
#include "retail_fixture.h"
#include "support/demo_content.h"
#include "support/temp_folder.h"
#include "shell/command_line.h"
#include "shell/imported_cartridge.h"

namespace bastion {
namespace {

TEST_F(ProgramTest, HelpPrintsTheSevenLines) {
    const ProgramRun result = run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, helpText());
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 7);
    EXPECT_EQ(result.err, "");
    // Arguments after "--help" are not examined.
    EXPECT_EQ(run({"--help", "--frames", "0", "--bogus"}).out, helpText());
}

TEST_F(ProgramTest, HelpComesOnlyAfterTheArgumentsBeforeIt) {
    write(folder / "broken.json", "{\"theme\": 1}");
    expectAll({
        fatalCase({"--frames", "0", "--help"}, "--frames must be positive"),
        fatalCase({"--help", "--config"}, "Missing --config path"),
        fatalCase({"--config", "--help"}, "Cannot read client config: --help"),
        fatalCase({"--config", (folder / "broken.json").string(), "--help"}, "Unknown client config key: theme"),
    });
}

TEST_F(ProgramTest, BadValuesAndCombinationsAreFatal) {
    const std::string prototypeMessage =
        "Mission prototype cannot combine with skirmish, fixture, co-op, mission selection or preview options";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "Unknown or incomplete option: --bogus"},
        {{"--fixture", "--server"}, "Unknown or incomplete option: --server"},
        {{"--name", "   "}, "Player name cannot be blank"},
        {{"--difficulty", "easy"}, "Difficulty must be normal or hard"},
        {{"--screen", "debrief"}, "Invalid --screen"},
        {{"--mission", "0"}, "Mission must be 1..20"},
        {{"--mission", "21"}, "Mission must be 1..20"},
        {{"--frames", "0"}, "--frames must be positive"},
        {{"--campaign", "sb3"}, "Campaign must be sb1, sb2 or skirmish"},
        {{"--health-preview", "100.5"}, "Health preview must be 0..100"},
        {{"--health-preview", "-1"}, "Health preview must be 0..100"},
        {{"--health-preview", "nan"}, "Health preview must be 0..100"},
        {{"--skirmish-seed", "7", "--campaign", "sb1"}, "Skirmish seed cannot select an SB1 or SB2 campaign"},
        {{"--campaign", "sb1", "--skirmish-seed", "7"}, "Skirmish seed cannot select an SB1 or SB2 campaign"},
        {{"--mission-prototype", "5", "--procedural-layout", "x.json"},
         "Choose --mission-prototype or --procedural-layout"},
        {{"--mission-prototype", "5", "--host"}, prototypeMessage},
        {{"--campaign", "skirmish", "--screen", "missions"},
         "Skirmish screen must be setup, briefing, loadout or playing"},
        {{"--campaign", "skirmish", "--host"},
         "Skirmish cannot combine with campaign mission selection, co-op or preview options"},
        {{"--screen", "skirmish"}, "Skirmish setup requires --campaign skirmish"},
    };
    std::vector<Expectation> expected;
    for (const auto& [args, message] : cases) expected.push_back(fatalCase(args, message));
    expectAll(expected);
}

TEST_F(ProgramTest, EnvironmentNameIsValidated) {
    expectAll({fatalCase({"--fixture"}, "Player name cannot be blank", {"BASTION_PLAYER_NAME=   "}),
               startCase({"--fixture"}, "", {"BASTION_PLAYER_NAME="})});
}

TEST_F(ProgramTest, NumberConversionsFailWithTheLibraryMessage) {
    const std::vector<std::string> options = {"--mission", "--frames", "--health-preview", "--ejection-preview"};
    std::vector<ProgramLaunch> launches;
    for (const std::string& option : options) launches.push_back(launch({option, "many"}));
    const std::vector<ProgramRun> results = runTogether(launches);
    for (std::size_t i = 0; i < options.size(); ++i) {
        EXPECT_EQ(results[i].exitCode, 1) << options[i];
        EXPECT_EQ(results[i].err.rfind("Stormbastion XR: ", 0), 0u) << options[i];
        EXPECT_EQ(results[i].out, "");
    }
}

TEST_F(ProgramTest, SeedTexts) {
    std::vector<Expectation> expected;
    // An accepted seed lets start-up go on to the cartridge check.
    for (const char* seed : {"7", "007", "4294967295", "0"}) {
        expected.push_back(fatalCase({"--retail", empty.string(), "--skirmish-seed", seed}, kImportMessage));
        expected.push_back(fatalCase({"--retail", empty.string(), "--mission-prototype", seed}, kImportMessage));
    }
    for (const char* seed : {"4294967296", "-1", "+5", "5x", "", " 5", "5 5", "0x5"}) {
        expected.push_back(fatalCase({"--skirmish-seed", seed}, "Seed must be an unsigned 32-bit integer"));
        expected.push_back(fatalCase({"--mission-prototype", seed}, "Seed must be an unsigned 32-bit integer"));
    }
    expectAll(expected);
}

TEST_F(ProgramTest, MissionRangeDependsOnTheCampaign) {
    const std::vector<std::string> sb1 = {"--retail", demo.string(), "--save", save.string(), "--mission", "20"};
    std::vector<std::string> sb2 = sb1;
    sb2.insert(sb2.end(), {"--campaign", "sb2"});
    // The SB1 run passes the cartridge check first, so it prints its lines.
    Expectation outsideSb1 = fatalCase(sb1, "Mission outside selected campaign");
    outsideSb1.out = moduleAndStatus();
    expectAll({
        fatalCase({"--mission", "20", "--fixture"}, "Mission outside selected campaign"),
        fatalCase({"--fixture", "--mission", "17"}, "Mission outside selected campaign"),
        startCase({"--fixture", "--mission", "16"}),
        outsideSb1,
        startCase(sb2, moduleAndStatus()),
    });
}

TEST_F(ProgramTest, HealthPreviewBounds) {
    std::vector<Expectation> expected;
    for (const char* health : {"0", "-0", "100", "55.5"}) {
        expected.push_back(startCase({"--fixture", "--health-preview", health}));
    }
    for (const char* health : {"100.5", "-0.001", "nan", "-nan", "inf", "-inf"}) {
        expected.push_back(fatalCase({"--fixture", "--health-preview", health}, "Health preview must be 0..100"));
    }
    expectAll(expected);
}

TEST_F(ProgramTest, ProceduralLayoutSizeLimit) {
    const std::filesystem::path oversized = folder / "oversized.json";
    const std::filesystem::path largest = folder / "largest.json";
    std::string text = "[]";
    text.resize(1048577, ' ');
    write(oversized, text);
    text.resize(1048576);
    write(largest, text);
    expectAll({
        fatalCase({"--procedural-layout", oversized.string()}, "Missing or oversized procedural layout"),
        fatalCase({"--procedural-layout", largest.string()}, "Invalid procedural recipe: expected an object"),
        fatalCase({"--procedural-layout", (folder / "absent.json").string()}, "Missing or oversized procedural layout"),
        fatalCase({"--procedural-layout", folder.string()}, "Missing or oversized procedural layout"),
    });
}

TEST_F(ProgramTest, ProceduralLayoutValidation) {
    const std::filesystem::path layout = folder / "layout.json";
    write(layout, "{\"schema\": \"bastion-procedural-layout\"}");
    const ProgramRun result = run({"--procedural-layout", layout.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.rfind("Stormbastion XR: Invalid procedural recipe: ", 0), 0u) << result.err;
    write(layout, "{\"schema\": ");
    const ProgramRun broken = run({"--procedural-layout", layout.string()});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("parse error"), std::string::npos) << broken.err;
}

TEST_F(ProgramTest, EmptyRetailFolderAsksForAnImportUnlessFixture) {
    expectAll({fatalCase({"--retail", empty.string()}, kImportMessage),
               startCase({"--retail", empty.string(), "--fixture"})});
}

TEST_F(ProgramTest, CartridgeCheckPrintsModuleAndStatus) {
    expectStart({"--retail", demo.string(), "--save", save.string()}, moduleAndStatus());
}

TEST_F(ProgramTest, CartridgeManifestAndImage) {
    writeStartupRetail(retail);
    const std::vector<std::string> args = {"--retail", retail.string(), "--save", save.string()};
    const nlohmann::json good = {{"schema", 1},
                                 {"sha256", STORMBASTION_CARTRIDGE_SHA256},
                                 {"module", "MODULE LINE"},
                                 {"status", "STATUS LINE"}};

    nlohmann::json manifest = good;
    manifest["schema"] = "1";
    writeManifest(manifest);
    expectFatal(args, "Unsupported cartridge manifest");

    manifest = good;
    std::string upper = STORMBASTION_CARTRIDGE_SHA256;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    manifest["sha256"] = upper;
    writeManifest(manifest);
    expectFatal(args, "Unsupported cartridge manifest");

    writeManifest(good);
    for (std::uintmax_t size : {kCartridgeImageSize - 1, kCartridgeImageSize + 1}) {
        writeImage(size, kCartridgeMarkerOffset);
        expectFatal(args, "Missing or truncated imported cartridge");
    }
    writeImage(kCartridgeImageSize, 8267);
    expectFatal(args, "Imported cartridge module marker is damaged");
    writeImage(kCartridgeImageSize, 8266);
    expectStart(args, "MODULE LINE\nSTATUS LINE\n");
}

TEST_F(ProgramTest, RetailFolderBesideTheProgram) {
    // A copy of the program in its own folder, with content beside it.
    const std::filesystem::path bin = folder / "install/bin";
    std::filesystem::create_directories(bin);
    std::filesystem::copy_file(STORMBASTION_EXECUTABLE, bin / "stormbastion-xr");
    program = bin / "stormbastion-xr";
    const std::vector<std::string> args = {"--save", save.string()};

    expectFatal(args, kImportMessage);
    const std::filesystem::path parentRetail = folder / "install/assets/retail";
    writeStartupRetail(parentRetail);
    write(parentRetail / "manifest.json",
          nlohmann::json{{"schema", 1}, {"sha256", STORMBASTION_CARTRIDGE_SHA256}, {"module", "PARENT"}, {"status", "OK"}}
              .dump());
    expectStart(args, "PARENT\nOK\n");

    // A folder named "manifest.json" beside the program does not count.
    const std::filesystem::path ownRetail = bin / "assets/retail";
    std::filesystem::create_directories(ownRetail / "manifest.json");
    expectStart(args, "PARENT\nOK\n");

    std::filesystem::remove_all(ownRetail);
    writeStartupRetail(ownRetail);
    write(ownRetail / "manifest.json",
          nlohmann::json{{"schema", 1}, {"sha256", STORMBASTION_CARTRIDGE_SHA256}, {"module", "BESIDE"}, {"status", "OK"}}
              .dump());
    expectStart(args, "BESIDE\nOK\n");

    // "--retail" replaces the choice without any test.
    expectFatal({"--save", save.string(), "--retail", empty.string()}, kImportMessage);
}

TEST_F(ProgramTest, Sb2SaveIsReadBesideTheGivenSavePath) {
    const std::filesystem::path sb2Save = save.parent_path() / "campaign-sb2.json";
    write(sb2Save, nlohmann::json{{"schema", 1},
                                  {"game", "another-game"},
                                  {"campaign", 1},
                                  {"completed", 0},
                                  {"selected_mission", 0},
                                  {"loadout", {0, 1, 0, 0, 0, 0}}}
                       .dump());
    const std::vector<std::string> args = {"--retail", demo.string(), "--save", save.string()};
    expectStart(args, moduleAndStatus());

    std::vector<std::string> sb2 = args;
    sb2.insert(sb2.end(), {"--campaign", "sb2"});
    const ProgramRun result = run(sb2);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, fatal("Unsupported campaign save: " + sb2Save.string()));

    // Sandbox play never reads a save.
    sb2.push_back("--sandbox");
    expectStart(sb2, moduleAndStatus());
}

TEST_F(ProgramTest, SkirmishNeedsASavePlaceUnlessSandbox) {
    const std::vector<std::string> args = {"--retail", demo.string(), "--campaign", "skirmish"};
    const std::vector<std::string> environment = {"SDL_VIDEODRIVER=dummy"};
    const ProgramRun result = runProgram(program, args, environment, folder / "run");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, fatal("No campaign data directory; pass --save PATH"));
    std::vector<std::string> sandbox = args;
    sandbox.push_back("--sandbox");
    const ProgramRun sandboxed = runProgram(program, sandbox, environment, folder / "run");
    EXPECT_EQ(sandboxed.err, fatal(kNoWindow));
    EXPECT_EQ(sandboxed.out, moduleAndStatus());
}

TEST_F(ProgramTest, BrokenCampaignRulesAreFatal) {
    writeStartupRetail(retail);
    write(retail / "art/frontend.json",
          nlohmann::json{{"progression", {{"initial_missions", 15}, {"initial_weapons", 3}, {"mission_rewards", {}}}}}
              .dump());
    const ProgramRun result = run({"--retail", retail.string(), "--save", save.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, fatal("Unsupported campaign rules - regenerate frontend exports"));
    // With "--fixture" no rules are read.
    expectStart({"--retail", retail.string(), "--fixture"});
}

// The windowed runs: the frame loop, the screenshot, the exit summary. A
// suite of their own, so that they run beside the start-up checks.
class ProgramFrames : public ProgramTest {};

TEST_F(ProgramFrames, FixtureRunsItsFramesAndPrintsTheSummary) {
    const ProgramRun result = runWindowed({"--retail", demo.string(), "--fixture", "--frames", "3"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kTestRangeSummary);
    EXPECT_EQ(result.err, "");
}

TEST_F(ProgramFrames, GameRunsWithoutSoundWhenTheAudioDriverFails) {
    const ProgramRun result =
        runWindowed({"--retail", demo.string(), "--fixture", "--frames", "3"}, {"SDL_AUDIODRIVER=no-such-driver"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kTestRangeSummary);
    EXPECT_EQ(result.err.rfind("Audio unavailable: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

TEST_F(ProgramFrames, DemoCampaignStartRunsAFewFrames) {
    const std::vector<std::string> base = {"--retail", demo.string(), "--save", save.string(), "--frames", "3"};
    std::vector<std::vector<std::string>> argSets;
    for (const std::vector<std::string>& extra : std::vector<std::vector<std::string>>{
             {}, {"--screen", "playing"}, {"--campaign", "sb2", "--mission", "2", "--screen", "playing"}}) {
        argSets.push_back(base);
        argSets.back().insert(argSets.back().end(), extra.begin(), extra.end());
    }
    for (const ProgramRun& result : runWindowedTogether(argSets)) {
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, moduleAndStatus() + kTestRangeSummary);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(ProgramFrames, ScreenshotFailureIsFatalWithoutSummary) {
    const std::filesystem::path shot = folder / "missing" / "shot.ppm";
    const ProgramRun result =
        runWindowed({"--retail", demo.string(), "--fixture", "--frames", "1", "--screenshot", shot.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, fatal("Cannot write screenshot"));
    EXPECT_EQ(result.out, kCockpitLine);
    EXPECT_FALSE(std::filesystem::exists(shot));
}

// Whether `pid` has a handler for SIGTERM in place yet.
bool catchesTerm(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1u;
    }
    return false;
}

TEST_F(ProgramFrames, TermSignalEndsTheLoopWithTheSummary) {
    std::vector<std::string> environment = windowed({});
    environment.push_back("HOME=" + home.string());
    const RunningProgram running =
        startProgram(program, {"--retail", demo.string(), "--fixture"}, environment, folder / "run");
    for (int wait = 0; wait < 600 && !catchesTerm(running.pid); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(running.pid, SIGTERM);
    const ProgramRun result = finishProgram(running);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(result.out.rfind(kCockpitLine, 0), 0u) << result.out;
    const std::string summary = result.out.substr(kCockpitLine.size());
    const std::string tail = " destroyed=0 torso_degrees=0\n";
    ASSERT_GT(summary.size(), std::string("Frames=").size() + tail.size()) << result.out;
    EXPECT_EQ(summary.rfind("Frames=", 0), 0u) << result.out;
    EXPECT_EQ(summary.substr(summary.size() - tail.size()), tail);
    const std::string frames = summary.substr(7, summary.size() - 7 - tail.size());
    EXPECT_EQ(frames.find_first_not_of("0123456789"), std::string::npos) << result.out;
}

TEST_F(ProgramFrames, AudioFailureLeavesASilentGame) {
    const ProgramRun result = runWindowed({"--retail", demo.string(), "--fixture", "--frames", "3"},
                                          {"SDL_AUDIODRIVER=no-such-driver"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kTestRangeSummary);
    EXPECT_EQ(result.err.rfind("Audio unavailable: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
}

// A layout file plays as a sandboxed generated mission.
TEST_F(ProgramFrames, ProceduralLayoutPlays) {
    const std::filesystem::path layout = folder / "layout.json";
    write(layout, fixtures::smallRecipeV3().dump());
    const ProgramRun result =
        runWindowed({"--retail", demo.string(), "--procedural-layout", layout.string(), "--frames", "5"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, moduleAndStatus() + kCockpitLine + "Frames=5 destroyed=0 torso_degrees=0\n");
    EXPECT_EQ(result.err, "");
}

// A skirmish from the command line is generated at start-up and plays; a
// start-up that cannot build it has no menu to return to and fails.
TEST_F(ProgramFrames, SkirmishFromTheCommandLinePlays) {
    std::filesystem::copy(demo, retail, std::filesystem::copy_options::recursive);
    std::filesystem::copy(demo.parent_path() / "system", retail.parent_path() / "system",
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(retail / "sb2/shared/gameplay/missions.json");
    const std::vector<std::string> skirmish = {"--campaign", "skirmish", "--skirmish-seed", "7", "--sandbox",
                                               "--screen",   "playing",  "--frames",        "5"};
    std::vector<std::vector<std::string>> argSets = {{"--retail", demo.string()}, {"--retail", retail.string()}};
    for (auto& args : argSets) args.insert(args.end(), skirmish.begin(), skirmish.end());
    const std::vector<ProgramRun> results = runWindowedTogether(argSets);
    EXPECT_EQ(results[0].exitCode, 0) << results[0].err;
    EXPECT_EQ(results[0].out, moduleAndStatus() + kCockpitLine +
                                  "Skirmish seed=7 objective=eliminate terrain=hills\n"
                                  "Frames=5 destroyed=0 torso_degrees=0\n");
    EXPECT_EQ(results[0].err, "");
    EXPECT_EQ(results[1].exitCode, 1);
    EXPECT_EQ(results[1].err, fatal("Mission prototype requires both decoded games and the SB2 shared atlas"));
    EXPECT_EQ(results[1].out.find("Frames="), std::string::npos);
}

// A seeded prototype starts in the playing screen without a save and runs
// its frames; a missing shared missions file stops it after the window.
TEST_F(ProgramFrames, MissionPrototypeRunsItsFrames) {
    std::filesystem::copy(demo, retail, std::filesystem::copy_options::recursive);
    std::filesystem::copy(demo.parent_path() / "system", retail.parent_path() / "system",
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(retail / "sb2/shared/gameplay/missions.json");
    const std::vector<ProgramRun> results = runWindowedTogether(
        {{"--retail", demo.string(), "--mission-prototype", "5", "--frames", "30"},
         {"--retail", retail.string(), "--mission-prototype", "5", "--frames", "30"}});
    EXPECT_EQ(results[0].exitCode, 0) << results[0].err;
    EXPECT_EQ(results[0].out, moduleAndStatus() + kCockpitLine + "Frames=30 destroyed=0 torso_degrees=0\n");
    EXPECT_EQ(results[0].err, "");
    EXPECT_EQ(results[1].exitCode, 1);
    EXPECT_EQ(results[1].err, fatal("Mission prototype requires both decoded games and the SB2 shared atlas"));
    EXPECT_EQ(results[1].out.find("Frames="), std::string::npos);
}

TEST_F(ProgramFrames, BrokenArtIsFatalThroughTheProgram) {
    using nlohmann::json;
    auto readJson = [](const std::filesystem::path& path) {
        std::ifstream stream(path);
        return json::parse(stream);
    };
    // Each case breaks the art folder of its own copy of the demo content and
    // returns what the message names after its text.
    struct Case {
        std::function<std::string(const std::filesystem::path& art)> breakIt;
        std::string message;
    };
    const Case cases[] = {
        {[&](const std::filesystem::path& art) {
             std::filesystem::remove(art / "manifest.json");
             return "";
         },
         "Missing original art manifest"},
        {[&](const std::filesystem::path& art) {
             json document = readJson(art / "manifest.json");
             document["assets"][0]["rgba"] = "../" + document["assets"][0]["rgba"].get<std::string>();
             write(art / "manifest.json", document.dump());
             return "";
         },
         "Invalid art filename"},
        {[&](const std::filesystem::path& art) {
             json document = readJson(art / "manifest.json");
             document["assets"][0]["width"] = 0;
             write(art / "manifest.json", document.dump());
             return "";
         },
         "Invalid art dimensions"},
        {[&](const std::filesystem::path& art) {
             const json document = readJson(art / "manifest.json");
             const std::filesystem::path image = art / document["assets"][0]["rgba"].get<std::string>();
             std::filesystem::resize_file(image, std::filesystem::file_size(image) - 1);
             return document["assets"][0]["name"].get<std::string>();
         },
         "Missing/truncated original art: "},
        {[&](const std::filesystem::path& art) {
             json document = readJson(art / "frontend.json");
             document["schema"] = 2;
             write(art / "frontend.json", document.dump());
             return "";
         },
         "Decode original briefings with tools/decode_frontend"},
        {[&](const std::filesystem::path& art) {
             json document = readJson(art / "frontend.json");
             std::swap(document["missions"][0], document["missions"][1]);
             write(art / "frontend.json", document.dump());
             return "";
         },
         "Invalid mission order"},
    };
    std::vector<std::vector<std::string>> argSets;
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::filesystem::path copy = folder / ("retail" + std::to_string(i));
        copyDemoToRetail(copy);
        messages.push_back(cases[i].message + cases[i].breakIt(copy / "art"));
        argSets.push_back({"--retail", copy.string(), "--fixture", "--frames", "1"});
    }
    const std::vector<ProgramRun> results = runWindowedTogether(argSets);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(results[i].exitCode, 1) << messages[i];
        EXPECT_EQ(results[i].err, fatal(messages[i]));
        // The cockpit loads before the art.
        EXPECT_EQ(results[i].out, kCockpitLine);
    }
}

}  // namespace
}  // namespace bastion

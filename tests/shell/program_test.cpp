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
    expectFatal({"--frames", "0", "--help"}, "--frames must be positive");
    expectFatal({"--help", "--config"}, "Missing --config path");
    expectFatal({"--config", "--help"}, "Cannot read client config: --help");
    write(folder / "broken.json", "{\"theme\": 1}");
    expectFatal({"--config", (folder / "broken.json").string(), "--help"}, "Unknown client config key: theme");
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
    for (const auto& [args, message] : cases) {
        expectFatal(args, message);
    }
}

TEST_F(ProgramTest, EnvironmentNameIsValidated) {
    expectFatal({"--fixture"}, "Player name cannot be blank", {"BASTION_PLAYER_NAME=   "});
    expectStart({"--fixture"}, "", {"BASTION_PLAYER_NAME="});
}

TEST_F(ProgramTest, NumberConversionsFailWithTheLibraryMessage) {
    for (const char* option : {"--mission", "--frames", "--health-preview", "--ejection-preview"}) {
        const ProgramRun result = run({option, "many"});
        EXPECT_EQ(result.exitCode, 1) << option;
        EXPECT_EQ(result.err.rfind("Stormbastion XR: ", 0), 0u) << option;
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(ProgramTest, SeedTexts) {
    // An accepted seed lets start-up go on to the cartridge check.
    for (const char* seed : {"7", "007", "4294967295", "0"}) {
        expectFatal({"--retail", empty.string(), "--skirmish-seed", seed}, kImportMessage);
        expectFatal({"--retail", empty.string(), "--mission-prototype", seed}, kImportMessage);
    }
    for (const char* seed : {"4294967296", "-1", "+5", "5x", "", " 5", "5 5", "0x5"}) {
        expectFatal({"--skirmish-seed", seed}, "Seed must be an unsigned 32-bit integer");
        expectFatal({"--mission-prototype", seed}, "Seed must be an unsigned 32-bit integer");
    }
}

TEST_F(ProgramTest, MissionRangeDependsOnTheCampaign) {
    expectFatal({"--mission", "20", "--fixture"}, "Mission outside selected campaign");
    expectFatal({"--fixture", "--mission", "17"}, "Mission outside selected campaign");
    expectStart({"--fixture", "--mission", "16"});
    const std::vector<std::string> base = {"--retail", demo.string(), "--save", save.string()};
    std::vector<std::string> sb1 = base;
    sb1.insert(sb1.end(), {"--mission", "20"});
    const ProgramRun result = run(sb1);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, fatal("Mission outside selected campaign"));
    std::vector<std::string> sb2 = sb1;
    sb2.insert(sb2.end(), {"--campaign", "sb2"});
    expectStart(sb2, moduleAndStatus());
}

TEST_F(ProgramTest, HealthPreviewBounds) {
    for (const char* health : {"0", "-0", "100", "55.5"}) {
        expectStart({"--fixture", "--health-preview", health});
    }
    for (const char* health : {"100.5", "-0.001", "nan", "-nan", "inf", "-inf"}) {
        expectFatal({"--fixture", "--health-preview", health}, "Health preview must be 0..100");
    }
}

TEST_F(ProgramTest, ProceduralLayoutSizeLimit) {
    const std::filesystem::path layout = folder / "layout.json";
    std::string text = "[]";
    text.resize(1048577, ' ');
    write(layout, text);
    expectFatal({"--procedural-layout", layout.string()}, "Missing or oversized procedural layout");
    text.resize(1048576);
    write(layout, text);
    expectFatal({"--procedural-layout", layout.string()}, "Invalid procedural recipe: expected an object");
    expectFatal({"--procedural-layout", (folder / "absent.json").string()}, "Missing or oversized procedural layout");
    expectFatal({"--procedural-layout", folder.string()}, "Missing or oversized procedural layout");
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
    expectFatal({"--retail", empty.string()}, kImportMessage);
    expectStart({"--retail", empty.string(), "--fixture"});
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

// The windowed runs: the frame loop, the screenshot, the exit summary.

TEST_F(ProgramTest, FixtureRunsItsFramesAndPrintsTheSummary) {
    const ProgramRun result = runWindowed({"--retail", demo.string(), "--fixture", "--frames", "3"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kTestRangeSummary);
    EXPECT_EQ(result.err, "");
}

TEST_F(ProgramTest, GameRunsWithoutSoundWhenTheAudioDriverFails) {
    const ProgramRun result =
        runWindowed({"--retail", demo.string(), "--fixture", "--frames", "3"}, {"SDL_AUDIODRIVER=no-such-driver"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, kTestRangeSummary);
    EXPECT_EQ(result.err.rfind("Audio unavailable: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

TEST_F(ProgramTest, DemoCampaignStartRunsAFewFrames) {
    const std::vector<std::string> base = {"--retail", demo.string(), "--save", save.string(), "--frames", "3"};
    for (const std::vector<std::string>& extra : std::vector<std::vector<std::string>>{
             {}, {"--screen", "playing"}, {"--campaign", "sb2", "--mission", "2", "--screen", "playing"}}) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        const ProgramRun result = runWindowed(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, moduleAndStatus() + kTestRangeSummary);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(ProgramTest, ScreenshotFailureIsFatalWithoutSummary) {
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

TEST_F(ProgramTest, TermSignalEndsTheLoopWithTheSummary) {
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

TEST_F(ProgramTest, AudioFailureLeavesASilentGame) {
    const ProgramRun result = runWindowed({"--retail", demo.string(), "--fixture", "--frames", "3"},
                                          {"SDL_AUDIODRIVER=no-such-driver"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kTestRangeSummary);
    EXPECT_EQ(result.err.rfind("Audio unavailable: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
}

TEST_F(ProgramTest, MissingFeaturesFailClearlyAfterTheWindow) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--fixture", "--xr"}, "Headset play is not available in this build"},
        {{"--campaign", "skirmish", "--sandbox", "--screen", "briefing"},
         "Skirmish generation is not available in this build"},
        {{"--mission-prototype", "5"}, "Mission prototypes are not available in this build"},
    };
    for (const auto& [extra, message] : cases) {
        std::vector<std::string> args = {"--retail", demo.string(), "--save", save.string(), "--frames", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ProgramRun result = runWindowed(args);
        EXPECT_EQ(result.exitCode, 1) << message;
        EXPECT_EQ(result.err, fatal(message));
        EXPECT_EQ(result.out.find("Frames="), std::string::npos);
    }
}

TEST_F(ProgramTest, BrokenArtIsFatalThroughTheProgram) {
    using nlohmann::json;
    auto readJson = [](const std::filesystem::path& path) {
        std::ifstream stream(path);
        return json::parse(stream);
    };
    const std::filesystem::path manifest = retail / "art/manifest.json";
    const std::filesystem::path briefings = retail / "art/frontend.json";
    struct Case {
        std::function<void()> breakIt;
        std::string message;
    };
    std::string firstName;
    const Case cases[] = {
        {[&] { std::filesystem::remove(manifest); }, "Missing original art manifest"},
        {[&] {
             json document = readJson(manifest);
             document["assets"][0]["rgba"] = "../" + document["assets"][0]["rgba"].get<std::string>();
             write(manifest, document.dump());
         },
         "Invalid art filename"},
        {[&] {
             json document = readJson(manifest);
             document["assets"][0]["width"] = 0;
             write(manifest, document.dump());
         },
         "Invalid art dimensions"},
        {[&] {
             const json document = readJson(manifest);
             firstName = document["assets"][0]["name"].get<std::string>();
             const std::filesystem::path image = retail / "art" / document["assets"][0]["rgba"].get<std::string>();
             std::filesystem::resize_file(image, std::filesystem::file_size(image) - 1);
         },
         "Missing/truncated original art: "},
        {[&] {
             json document = readJson(briefings);
             document["schema"] = 2;
             write(briefings, document.dump());
         },
         "Decode original briefings with tools/decode_frontend"},
        {[&] {
             json document = readJson(briefings);
             std::swap(document["missions"][0], document["missions"][1]);
             write(briefings, document.dump());
         },
         "Invalid mission order"},
    };
    for (const Case& c : cases) {
        copyDemoToRetail();
        firstName.clear();
        c.breakIt();
        const ProgramRun result = runWindowed({"--retail", retail.string(), "--fixture", "--frames", "1"});
        EXPECT_EQ(result.exitCode, 1) << c.message;
        EXPECT_EQ(result.err, fatal(c.message + firstName));
        // The cockpit loads before the art.
        EXPECT_EQ(result.out, kCockpitLine);
    }
}

}  // namespace
}  // namespace bastion

// Runs the built program as a user would and reads only its exit code and
// its two output streams. No window opens: every run ends before video.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "program_run.h"
#include "retail_fixture.h"
#include "support/demo_content.h"
#include "support/temp_folder.h"
#include "shell/command_line.h"
#include "shell/imported_cartridge.h"

namespace bastion {
namespace {

const std::string kImportMessage =
    "Import the local cart with tools/import_cartridge first, or use --fixture to skip cartridge validation";

std::string fatal(const std::string& message) { return "Stormbastion XR: " + message + "\n"; }

class ProgramTest : public testing::Test {
protected:
    testing_support::TempFolder temp{"program"};
    std::filesystem::path folder = temp.path();
    std::filesystem::path home = folder / "home";
    std::filesystem::path empty = folder / "empty";
    std::filesystem::path demo = testing_support::demoContent();  // read only
    std::filesystem::path retail = folder / "retail";               // for tests that alter it
    std::filesystem::path save = folder / "saves/campaign.json";
    std::filesystem::path program = STORMBASTION_EXECUTABLE;

    void SetUp() override {
        std::filesystem::create_directories(home);
        std::filesystem::create_directories(empty);
    }

    ProgramRun run(const std::vector<std::string>& args, std::vector<std::string> environment = {}) {
        environment.push_back("HOME=" + home.string());
        return runProgram(program, args, environment, folder / "run");
    }

    // Expects the run to end through the fatal path with exactly `message`.
    void expectFatal(const std::vector<std::string>& args, const std::string& message,
                     std::vector<std::string> environment = {}) {
        const ProgramRun result = run(args, environment);
        EXPECT_EQ(result.exitCode, 1) << message;
        EXPECT_EQ(result.err, fatal(message));
        EXPECT_EQ(result.out, "");
    }

    // Expects a clean start that prints exactly `out`.
    void expectStart(const std::vector<std::string>& args, const std::string& out = "",
                     std::vector<std::string> environment = {}) {
        const ProgramRun result = run(args, environment);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, out);
    }

    std::string moduleAndStatus() {
        std::ifstream stream(demo / "manifest.json");
        const nlohmann::json manifest = nlohmann::json::parse(stream);
        return manifest["module"].get<std::string>() + "\n" + manifest["status"].get<std::string>() + "\n";
    }

    void write(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    void writeManifest(const nlohmann::json& manifest) { write(retail / "manifest.json", manifest.dump()); }

    void writeImage(std::uintmax_t size, std::uintmax_t markerAt) {
        std::string bytes(size, '\0');
        bytes.replace(markerAt, kCartridgeMarker.size(), kCartridgeMarker);
        write(retail / "cartridge.bin", bytes);
    }
};

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
    const ProgramRun result = runProgram(program, args, {}, folder / "run");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, fatal("No campaign data directory; pass --save PATH"));
    std::vector<std::string> sandbox = args;
    sandbox.push_back("--sandbox");
    const ProgramRun sandboxed = runProgram(program, sandbox, {}, folder / "run");
    EXPECT_EQ(sandboxed.exitCode, 0) << sandboxed.err;
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

}  // namespace
}  // namespace bastion

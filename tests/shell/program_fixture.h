#pragma once

// The black-box fixture: runs the built program as a user would and reads
// only its exit code and its two output streams. Start-up checks run on
// SDL's dummy video driver, which has no OpenGL, so they end at the window;
// the windowed runs need an X display (scripts/test.sh starts Xvfb).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "program_run.h"
#include "support/demo_content.h"
#include "support/temp_folder.h"
#include "shell/imported_cartridge.h"

namespace bastion {

// SDL's text for an OpenGL window on its dummy video driver.
const std::string kNoWindow =
    "OpenGL support is either not configured in SDL or not available in current SDL video driver (dummy) or "
    "platform";

const std::string kImportMessage =
    "Import the local cart with tools/import_cartridge first, or use --fixture to skip cartridge validation";

inline std::string fatal(const std::string& message) { return "Stormbastion XR: " + message + "\n"; }

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
    int launches_ = 0;

    void SetUp() override {
        std::filesystem::create_directories(home);
        std::filesystem::create_directories(empty);
    }

    ProgramRun run(const std::vector<std::string>& args, std::vector<std::string> environment = {}) {
        return runTogether({launch(args, std::move(environment))}).front();
    }

    // Runs every launch side by side and returns the results in order.
    std::vector<ProgramRun> runTogether(const std::vector<ProgramLaunch>& launches) {
        return runPrograms(program, launches);
    }

    // A launch with this test's home folder and a scratch folder of its own.
    ProgramLaunch launch(const std::vector<std::string>& args, std::vector<std::string> environment = {}) {
        environment.push_back("HOME=" + home.string());
        return {args, std::move(environment), folder / ("run" + std::to_string(launches_++))};
    }

    // What one run must print and return.
    struct Expectation {
        std::vector<std::string> args;
        std::vector<std::string> environment;
        std::string out;
        std::string err;
        int exitCode = 1;
    };

    // A run that ends through the fatal path with exactly `message`.
    static Expectation fatalCase(const std::vector<std::string>& args, const std::string& message,
                                 std::vector<std::string> environment = {}) {
        return {args, std::move(environment), "", fatal(message)};
    }

    // A run whose start-up passes every check before video, printing exactly
    // `out`, and stops at the window that the dummy video driver cannot give
    // an OpenGL context.
    static Expectation startCase(const std::vector<std::string>& args, const std::string& out = "",
                                 std::vector<std::string> environment = {}) {
        environment.push_back("SDL_VIDEODRIVER=dummy");
        return {args, std::move(environment), out, fatal(kNoWindow)};
    }

    // Checks a table of runs, all run side by side.
    void expectAll(const std::vector<Expectation>& cases) {
        std::vector<ProgramLaunch> launches;
        for (const Expectation& c : cases) launches.push_back(launch(c.args, c.environment));
        const std::vector<ProgramRun> results = runTogether(launches);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            std::string named;
            for (const std::string& arg : cases[i].args) named += " " + arg;
            EXPECT_EQ(results[i].exitCode, cases[i].exitCode) << named;
            EXPECT_EQ(results[i].err, cases[i].err) << named;
            EXPECT_EQ(results[i].out, cases[i].out) << named;
        }
    }

    void expectFatal(const std::vector<std::string>& args, const std::string& message,
                     std::vector<std::string> environment = {}) {
        expectAll({fatalCase(args, message, std::move(environment))});
    }

    void expectStart(const std::vector<std::string>& args, const std::string& out = "",
                     std::vector<std::string> environment = {}) {
        expectAll({startCase(args, out, std::move(environment))});
    }

    // Runs with the test's X display and SDL's dummy audio driver, unless
    // `environment` names another.
    ProgramRun runWindowed(const std::vector<std::string>& args, std::vector<std::string> environment = {}) {
        return run(args, windowed(std::move(environment)));
    }

    // One windowed program per entry of `argSets`, side by side, each with
    // `environment` added; the results in order.
    std::vector<ProgramRun> runWindowedTogether(const std::vector<std::vector<std::string>>& argSets,
                                                const std::vector<std::string>& environment = {}) {
        std::vector<ProgramLaunch> launches;
        for (const std::vector<std::string>& args : argSets) launches.push_back(launch(args, windowed(environment)));
        return runTogether(launches);
    }

    std::vector<std::string> windowed(std::vector<std::string> environment) {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr) ADD_FAILURE() << "Windowed runs need DISPLAY (scripts/test.sh starts Xvfb)";
        environment.push_back(std::string("DISPLAY=") + (display ? display : ""));
        if (const char* authority = std::getenv("XAUTHORITY")) {
            environment.push_back(std::string("XAUTHORITY=") + authority);
        }
        const bool named = std::any_of(environment.begin(), environment.end(),
                                       [](const std::string& entry) { return entry.rfind("SDL_AUDIODRIVER=", 0) == 0; });
        if (!named) environment.push_back("SDL_AUDIODRIVER=dummy");
        return environment;
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

    // A writable copy of the demo content at `to` (`retail` by default),
    // for a test to break.
    void copyDemoToRetail(const std::filesystem::path& to) {
        std::filesystem::remove_all(to);
        std::filesystem::copy(demo, to, std::filesystem::copy_options::recursive);
    }
    void copyDemoToRetail() { copyDemoToRetail(retail); }

    void writeManifest(const nlohmann::json& manifest) { write(retail / "manifest.json", manifest.dump()); }

    void writeImage(std::uintmax_t size, std::uintmax_t markerAt) {
        std::string bytes(size, '\0');
        bytes.replace(markerAt, kCartridgeMarker.size(), kCartridgeMarker);
        write(retail / "cartridge.bin", bytes);
    }
};

// The renderer reports the demo cockpit once it has loaded it.
const std::string kCockpitLine = "Loaded Blender cockpit: 212 triangles, six live ammo readouts\n";
const std::string kTestRangeSummary = kCockpitLine + "Frames=3 destroyed=0 torso_degrees=0\n";

}  // namespace bastion

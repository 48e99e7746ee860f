// Plays the built program with real key presses on the test's X display
// (xdotool, from Debian) and reads what it leaves behind: its files, its exit
// code and its output. scripts/test.sh starts Xvfb when DISPLAY is unset.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "program_run.h"
#include "support/demo_content.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

using namespace std::chrono_literals;

// Standard output of a command run through the shell.
std::string commandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
        pclose(pipe);
    }
    return text;
}

bool exited(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string id, name, state;
    stat >> id >> name >> state;
    return !stat || state == "Z";
}

class KeyboardRun : public testing::Test {
protected:
    testing_support::TempFolder temp{"keyboard-run"};
    std::filesystem::path home = temp.path() / "home";
    std::filesystem::path config = temp.path() / "config.json";
    RunningProgram running;
    std::string window;

    void start(std::vector<std::string> args) {
        const char* display = std::getenv("DISPLAY");
        ASSERT_NE(display, nullptr) << "Key presses need DISPLAY (scripts/test.sh starts Xvfb)";
        std::filesystem::create_directories(home);
        std::vector<std::string> environment = {std::string("DISPLAY=") + display, "SDL_AUDIODRIVER=dummy",
                                                "HOME=" + home.string()};
        if (const char* authority = std::getenv("XAUTHORITY")) {
            environment.push_back(std::string("XAUTHORITY=") + authority);
        }
        args.insert(args.begin(), {"--retail", testing_support::demoContent().string(), "--config", config.string()});
        running = startProgram(STORMBASTION_EXECUTABLE, args, environment, temp.path() / "run");
        for (int wait = 0; wait < 300 && window.empty() && !exited(running.pid); ++wait) {
            const std::string found = commandOutput("xdotool search --pid " + std::to_string(running.pid));
            window = found.substr(0, found.find('\n'));
            std::this_thread::sleep_for(100ms);
        }
        if (window.empty()) {
            if (!exited(running.pid)) kill(running.pid, SIGKILL);
            FAIL() << "no window of the program: " << finishProgram(running).err;
        }
        std::this_thread::sleep_for(500ms);  // the first frames
    }

    // Holds `key` over a few frames, so the frame loop sees it held and then
    // released. Other tests' windows share the display: focus ours each time.
    void press(const std::string& key) {
        ASSERT_EQ(std::system(("xdotool windowfocus --sync " + window + " keydown " + key).c_str()), 0)
            << "xdotool is needed (scripts/install-deps.sh)";
        std::this_thread::sleep_for(200ms);
        ASSERT_EQ(std::system(("xdotool keyup " + key).c_str()), 0);
        std::this_thread::sleep_for(200ms);
    }

    // Waits for the program's end; one that does not end is stopped.
    ProgramRun finish() {
        for (int wait = 0; wait < 200 && !exited(running.pid); ++wait) std::this_thread::sleep_for(100ms);
        if (!exited(running.pid)) {
            ADD_FAILURE() << "the program did not end";
            kill(running.pid, SIGKILL);
        }
        return finishProgram(running);
    }
};

void expectSummary(const ProgramRun& result) {
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string tail = " destroyed=0 torso_degrees=0\n";
    ASSERT_GT(result.out.size(), tail.size() + 7) << result.out;
    EXPECT_EQ(result.out.rfind("Frames=", 0), 0u) << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
    const std::string frames = result.out.substr(7, result.out.size() - 7 - tail.size());
    EXPECT_EQ(frames.find_first_not_of("0123456789"), std::string::npos) << result.out;
}

TEST_F(KeyboardRun, SoundVolumeFromTheMissionMenuIsWrittenToTheConfiguration) {
    testing_support::writeFile(config, R"({"player_name": "Ace", "music_volume": 0.5})");
    ASSERT_NO_FATAL_FAILURE(start({"--fixture", "--screen", "playing"}));
    press("Escape");  // the in-mission menu
    for (int row = 0; row < 5; ++row) press("Down");
    press("Left");  // sound volume 1.0 -> 0.95
    EXPECT_EQ(testing_support::readFile(config),
              "{\n"
              "  \"music_volume\": 0.5,\n"
              "  \"player_name\": \"Ace\",\n"
              "  \"sound_volume\": 0.949999988079071\n"
              "}\n");
    press("ctrl+w");
    expectSummary(finish());
}

TEST_F(KeyboardRun, ExitOnTheTitleMenuEndsWithTheSummary) {
    testing_support::writeFile(config, "{}");
    ASSERT_NO_FATAL_FAILURE(start({"--fixture"}));
    press("Up");  // from the first row to the last: exit
    press("Return");
    const ProgramRun result = finish();
    expectSummary(result);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(testing_support::readFile(config), "{}");
}

}  // namespace
}  // namespace bastion

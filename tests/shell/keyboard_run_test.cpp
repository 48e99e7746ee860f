// Plays the built program with real key presses (xdotool, from Debian) and
// reads what it leaves behind: its files, its exit code and its output. Each
// run has an X server of its own (Xvfb), so that no other test's window takes
// the keyboard focus.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame_watch.h"
#include "program_run.h"
#include "support/demo_content.h"
#include "support/content/files.h"
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

extern "C" char** environ;

// An Xvfb server on a display number that it picks itself.
class PrivateDisplay {
public:
    PrivateDisplay() {
        int numberPipe[2];
        if (pipe(numberPipe) != 0) return;
        fcntl(numberPipe[0], F_SETFD, FD_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const std::string fd = std::to_string(numberPipe[1]);
        // Without -noreset the server resets whenever its last client
        // leaves, and a program that connects during a reset finds no GLX.
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", "1280x1024x24",
                              "-nolisten", "tcp", nullptr};
        if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(numberPipe[1]);
        // Xvfb writes the number once it accepts connections, then a newline
        // in a write of its own: it dies if the pipe is closed before that.
        std::string text;
        pollfd ready{numberPipe[0], POLLIN, 0};
        while (pid_ > 0 && text.find('\n') == std::string::npos && poll(&ready, 1, 20000) == 1) {
            char chunk[32];
            const ssize_t got = read(numberPipe[0], chunk, sizeof chunk);
            if (got <= 0) break;
            text.append(chunk, static_cast<std::size_t>(got));
        }
        if (text.find('\n') != std::string::npos) name_ = ":" + text.substr(0, text.find('\n'));
        close(numberPipe[0]);
    }
    ~PrivateDisplay() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // Empty when the server did not start.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

class KeyboardRun : public testing::Test {
protected:
    testing_support::TempFolder temp{"keyboard-run"};
    PrivateDisplay display;
    std::filesystem::path home = temp.path() / "home";
    std::filesystem::path config = temp.path() / "config.json";
    RunningProgram running;
    std::string window;
    std::unique_ptr<FrameWatch> frames;

    // Generous for frames of a sanitizer build on a busy machine.
    static constexpr std::chrono::seconds kFrameLimit{60};

    void start(std::vector<std::string> args) {
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start (scripts/install-deps.sh)";
        // The server may name its display a moment before it takes clients.
        for (int wait = 0; wait < 100 && std::system(xdotool("getmouselocation >/dev/null 2>&1").c_str()) != 0;
             ++wait) {
            std::this_thread::sleep_for(100ms);
        }
        std::filesystem::create_directories(home);
        const std::vector<std::string> environment = {"DISPLAY=" + display.name(), "SDL_AUDIODRIVER=dummy",
                                                      "HOME=" + home.string()};
        args.insert(args.begin(), {"--retail", testing_support::demoContent().string(), "--config", config.string()});
        running = startProgram(STORMBASTION_EXECUTABLE, args, environment, temp.path() / "run");
        for (int wait = 0; wait < 300 && window.empty() && !programEnded(running); ++wait) {
            const std::string search = "search --pid " + std::to_string(running.pid) + " 2>/dev/null";
            const std::string found = commandOutput(xdotool(search));
            window = found.substr(0, found.find('\n'));
            std::this_thread::sleep_for(100ms);
        }
        std::string failure;
        if (window.empty()) {
            if (!programEnded(running)) kill(running.pid, SIGKILL);
            const ProgramRun ended = finishProgram(running);
            failure = "exit " + std::to_string(ended.exitCode) + ", output \"" + ended.out + "\", errors \"" +
                      ended.err + "\"";
        }
        ASSERT_FALSE(window.empty()) << "no window of the program: " << failure;
        frames = std::make_unique<FrameWatch>(display.name(), window);
        ASSERT_TRUE(frames->ready()) << "the X server offers no Damage extension";
        // Keys are read as held at each frame: none may come before the first.
        ASSERT_TRUE(frames->waitFrames(1, kFrameLimit)) << "no frame was shown";
    }

    std::string xdotool(const std::string& arguments) const {
        return "DISPLAY=" + display.name() + " xdotool " + arguments;
    }

    // Holds `key` while frames pass, then releases it while more pass, so the
    // frame loop sees it held and then released however slow a frame is. A
    // frame in flight when the key goes down may have read the keys before
    // it: the third frame after it certainly reads them afterwards. A key
    // that ends the program ends the wait.
    void press(const std::string& key) {
        constexpr int kFrames = 3;
        ASSERT_EQ(std::system(xdotool("windowfocus --sync " + window + " keydown " + key).c_str()), 0)
            << "xdotool is needed (scripts/install-deps.sh)";
        const bool held = frames->waitFrames(kFrames, kFrameLimit);
        ASSERT_EQ(std::system(xdotool("keyup " + key).c_str()), 0);
        ASSERT_TRUE(held || frames->closed()) << "no frames with " << key << " held";
        if (frames->closed()) return;
        ASSERT_TRUE(frames->waitFrames(kFrames, kFrameLimit) || frames->closed())
            << "no frames after " << key << " was released";
    }

    // Waits for the program's end; one that does not end in its time limit
    // is killed and fails the test.
    ProgramRun finish() {
        frames.reset();
        return finishProgram(running);
    }
};

// The last line of standard output is the exit summary.
void expectSummary(const ProgramRun& result) {
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string tail = " destroyed=0 torso_degrees=0\n";
    ASSERT_GT(result.out.size(), tail.size()) << result.out;
    const std::size_t start = result.out.rfind('\n', result.out.size() - 2) + 1;
    const std::string summary = result.out.substr(start);
    ASSERT_EQ(summary.rfind("Frames=", 0), 0u) << result.out;
    ASSERT_GT(summary.size(), tail.size() + 7) << result.out;
    EXPECT_EQ(summary.substr(summary.size() - tail.size()), tail);
    const std::string frames = summary.substr(7, summary.size() - 7 - tail.size());
    EXPECT_EQ(frames.find_first_not_of("0123456789"), std::string::npos) << result.out;
}

TEST_F(KeyboardRun, SoundVolumeFromTheMissionMenuIsWrittenToTheConfiguration) {
    testing_support::writeFile(config, R"({"player_name": "Ace", "music_volume": 0.5})");
    ASSERT_NO_FATAL_FAILURE(start({"--fixture", "--screen", "playing"}));
    press("Escape");  // the in-mission menu
    for (int row = 0; row < 5; ++row) press("Down");
    press("Left");  // sound volume 1.0 -> 0.95
    const std::string before = R"({"player_name": "Ace", "music_volume": 0.5})";
    for (int wait = 0; wait < 100 && testing_support::readFile(config) == before; ++wait) {
        std::this_thread::sleep_for(100ms);
    }
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

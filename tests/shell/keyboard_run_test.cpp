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

extern "C" char** environ;

// An Xvfb server on a display number that it picks itself, with a black
// root window and its screen in a file, so a test can see the first frame.
class PrivateDisplay {
public:
    explicit PrivateDisplay(const std::filesystem::path& screenFolder) : screen_(screenFolder / "Xvfb_screen0") {
        std::filesystem::create_directories(screenFolder);
        int numberPipe[2];
        if (pipe(numberPipe) != 0) return;
        fcntl(numberPipe[0], F_SETFD, FD_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const std::string fd = std::to_string(numberPipe[1]);
        const std::string folder = screenFolder.string();
        // Without -noreset the server resets whenever its last client
        // leaves, and a program that connects during a reset finds no GLX.
        const char* argv[] = {"Xvfb",   "-displayfd",   fd.c_str(), "-noreset",  "-screen", "0", "1280x1024x24",
                              "-fbdir", folder.c_str(), "-br",      "-nolisten", "tcp",     nullptr};
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

    // Whether anything but the black root shows on the screen.
    bool drawn() const {
        const std::string image = testing_support::readFile(screen_);
        const auto word = [&](std::size_t index) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(image[index * 4 + i]);
            return value;
        };
        if (image.size() < 100) return false;
        // The image header (big-endian words), then the colour table of
        // 12-byte entries, then the pixels.
        const std::size_t pixels = word(0) + std::size_t{word(19)} * 12;
        return image.find_first_not_of('\0', pixels) != std::string::npos;
    }

private:
    std::filesystem::path screen_;
    pid_t pid_ = -1;
    std::string name_;
};

class KeyboardRun : public testing::Test {
protected:
    testing_support::TempFolder temp{"keyboard-run"};
    PrivateDisplay display{temp.path() / "screen"};
    std::filesystem::path home = temp.path() / "home";
    std::filesystem::path config = temp.path() / "config.json";
    RunningProgram running;
    std::string window;

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
        for (int wait = 0; wait < 300 && window.empty() && !exited(running.pid); ++wait) {
            const std::string search = "search --pid " + std::to_string(running.pid) + " 2>/dev/null";
            const std::string found = commandOutput(xdotool(search));
            window = found.substr(0, found.find('\n'));
            std::this_thread::sleep_for(100ms);
        }
        std::string failure;
        if (window.empty()) {
            if (!exited(running.pid)) kill(running.pid, SIGKILL);
            const ProgramRun ended = finishProgram(running);
            failure = "exit " + std::to_string(ended.exitCode) + ", output \"" + ended.out + "\", errors \"" +
                      ended.err + "\"";
        }
        ASSERT_FALSE(window.empty()) << "no window of the program: " << failure;
        // Keys are read as held at each frame: none may come before the first.
        for (int wait = 0; wait < 600 && !display.drawn(); ++wait) std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(display.drawn()) << "no frame was shown";
    }

    std::string xdotool(const std::string& arguments) const {
        return "DISPLAY=" + display.name() + " xdotool " + arguments;
    }

    // Holds `key` over a few frames, so the frame loop sees it held and then
    // released, however slow a frame is.
    void press(const std::string& key) {
        ASSERT_EQ(std::system(xdotool("windowfocus --sync " + window + " keydown " + key).c_str()), 0)
            << "xdotool is needed (scripts/install-deps.sh)";
        std::this_thread::sleep_for(1s);
        ASSERT_EQ(std::system(xdotool("keyup " + key).c_str()), 0);
        std::this_thread::sleep_for(400ms);
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

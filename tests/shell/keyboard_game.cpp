#include "keyboard_game.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "support/demo_content.h"
#include "window_image.h"

extern "C" char** environ;

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

}  // namespace

PrivateDisplay::PrivateDisplay() {
    int numberPipe[2];
    if (pipe(numberPipe) != 0) return;
    fcntl(numberPipe[0], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string fd = std::to_string(numberPipe[1]);
    pid_t spawned = -1;
    // Without -noreset the server resets whenever its last client
    // leaves, and a program that connects during a reset finds no GLX.
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", "1280x1024x24",
                          "-nolisten", "tcp", nullptr};
    if (posix_spawnp(&spawned, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) spawned = -1;
    pid_ = spawned;
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

PrivateDisplay::~PrivateDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

void KeyboardGame::start(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                         const std::filesystem::path& scratch, std::chrono::seconds limit) {
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start (scripts/install-deps.sh)";
    // The server may name its display a moment before it takes clients.
    for (int wait = 0; wait < 100 && std::system(xdotool("getmouselocation >/dev/null 2>&1").c_str()) != 0; ++wait) {
        std::this_thread::sleep_for(100ms);
    }
    std::vector<std::string> all = {"--retail", testing_support::demoContent().string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string> env = environment;
    env.push_back("DISPLAY=" + display.name());
    running = startProgram(STORMBASTION_EXECUTABLE, all, env, scratch);
    running.deadline = std::chrono::steady_clock::now() + limit;
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
        failure =
            "exit " + std::to_string(ended.exitCode) + ", output \"" + ended.out + "\", errors \"" + ended.err + "\"";
    }
    ASSERT_FALSE(window.empty()) << "no window of the program: " << failure;
    frames = std::make_unique<FrameWatch>(display.name(), window);
    ASSERT_TRUE(frames->ready()) << "the X server offers no Damage extension";
    // Keys are read as held at each frame: none may come before the first.
    ASSERT_TRUE(frames->waitFrames(1, kFrameLimit)) << "no frame was shown";
}

std::string KeyboardGame::xdotool(const std::string& arguments) const {
    return "DISPLAY=" + display.name() + " xdotool " + arguments;
}

void KeyboardGame::keyDown(const std::string& key) {
    ASSERT_EQ(std::system(xdotool("windowfocus --sync " + window + " keydown " + key).c_str()), 0)
        << "xdotool is needed (scripts/install-deps.sh)";
}

void KeyboardGame::keyUp(const std::string& key) { ASSERT_EQ(std::system(xdotool("keyup " + key).c_str()), 0); }

PpmImage KeyboardGame::screenshot() const { return windowImage(display.name(), window); }

void KeyboardGame::press(const std::string& key, int count) {
    ASSERT_NO_FATAL_FAILURE(keyDown(key));
    const bool held = frames->waitFrames(count, kFrameLimit);
    ASSERT_NO_FATAL_FAILURE(keyUp(key));
    ASSERT_TRUE(held || frames->closed()) << "no frames with " << key << " held";
    if (frames->closed()) return;
    ASSERT_TRUE(frames->waitFrames(3, kFrameLimit) || frames->closed())
        << "no frames after " << key << " was released";
}

bool KeyboardGame::waitFrames(int count) { return frames->waitFrames(count, kFrameLimit); }

ProgramRun KeyboardGame::finish() {
    frames.reset();
    return finishProgram(running);
}

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


}  // namespace bastion

#include "program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace bastion {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

#if defined(__SANITIZE_ADDRESS__)
// The leak checker runs at exit, after the program's SDL_Quit has closed the
// X display and Mesa has unloaded its software driver (and, on an EGL
// context, its EGL library): their static blocks then belong to no loaded
// module and look leaked. Preloading them keeps them, and so those blocks, in
// place; the program's own leaks are still reported. Only runs that can open a window need it. The sanitizer
// runtime then no longer comes first in the library list, which is harmless
// here.
void addDriverPreload(std::vector<std::string>& env) {
    const bool windowed =
        std::any_of(env.begin(), env.end(), [](const std::string& entry) { return entry.rfind("DISPLAY=", 0) == 0; });
    if (!windowed) return;
    std::string preload;
    for (const char* library :
         {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "/usr/lib/x86_64-linux-gnu/libEGL_mesa.so.0"}) {
        if (!std::filesystem::exists(library)) continue;
        preload += (preload.empty() ? "" : ":") + std::string(library);
    }
    if (preload.empty()) return;
    env.push_back("LD_PRELOAD=" + preload);
    for (std::string& entry : env) {
        if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
            entry += ":verify_asan_link_order=0";
            return;
        }
    }
    env.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
}
#else
void addDriverPreload(std::vector<std::string>&) {}
#endif

// Waits up to `timeout` for the child to end; false when it has not.
bool awaitEnd(int pid, std::chrono::milliseconds timeout) {
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (handle < 0) throw std::runtime_error("Cannot watch the program started as " + std::to_string(pid));
    pollfd watch{handle, POLLIN, 0};
    int ready = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        ready = ::poll(&watch, 1, static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
    } while (ready < 0 && errno == EINTR);
    ::close(handle);
    return ready > 0;
}

}  // namespace

RunningProgram startProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& environment, const std::filesystem::path& scratch) {
    std::filesystem::create_directories(scratch);
    const std::string outPath = (scratch / "stdout.txt").string();
    const std::string errPath = (scratch / "stderr.txt").string();

    std::vector<std::string> env = environment;
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            env.push_back(std::string(name) + "=" + value);
        }
    }
    addDriverPreload(env);
    std::vector<std::string> argv = {program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argvPointers;
    for (std::string& arg : argv) {
        argvPointers.push_back(arg.data());
    }
    argvPointers.push_back(nullptr);
    std::vector<char*> envPointers;
    for (std::string& entry : env) {
        envPointers.push_back(entry.data());
    }
    envPointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, argvPointers[0], &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("Cannot start " + program.string());
    }
    return {child, scratch};
}

ProgramRun finishProgram(const RunningProgram& running, std::chrono::milliseconds timeout) {
    const bool ended = awaitEnd(running.pid, timeout);
    if (!ended) ::kill(running.pid, SIGKILL);
    int status = 0;
    if (waitpid(running.pid, &status, 0) != running.pid) {
        throw std::runtime_error("Lost the program started as " + std::to_string(running.pid));
    }
    ProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.timedOut = !ended;
    run.out = readFile(running.scratch / "stdout.txt");
    run.err = readFile(running.scratch / "stderr.txt");
    return run;
}

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment, const std::filesystem::path& scratch) {
    return finishProgram(startProgram(program, args, environment, scratch));
}

}  // namespace bastion

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
                            const std::vector<std::string>& environment, const std::filesystem::path& scratch,
                            bool sanitizerSettings) {
    std::filesystem::create_directories(scratch);
    const std::string outPath = (scratch / "stdout.txt").string();
    const std::string errPath = (scratch / "stderr.txt").string();

    std::vector<std::string> env = environment;
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name); value != nullptr && sanitizerSettings) {
            env.push_back(std::string(name) + "=" + value);
        }
    }
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

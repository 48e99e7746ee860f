#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "support/content/files.h"

namespace bastion {

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
    return {child, scratch, std::chrono::steady_clock::now() + kProgramTimeLimit};
}

bool programEnded(const RunningProgram& running) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(running.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == running.pid;
}

ProgramRun finishProgram(const RunningProgram& running) {
    using namespace std::chrono_literals;
    // A child has no descriptor to wait on with a time-out: poll, at first
    // quickly, since most runs end within a fraction of a second.
    auto pause = 1ms;
    bool killed = false;
    while (!programEnded(running)) {
        if (std::chrono::steady_clock::now() >= running.deadline) {
            kill(running.pid, SIGKILL);
            killed = true;
            break;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    int status = 0;
    pid_t waited = -1;
    do {
        waited = waitpid(running.pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != running.pid) {
        throw std::runtime_error("Lost the program started as " + std::to_string(running.pid));
    }
    ProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = testing_support::readFile(running.scratch / "stdout.txt");
    run.err = testing_support::readFile(running.scratch / "stderr.txt");
    if (killed) {
        ADD_FAILURE() << "the program ran past its time limit and was killed; output \"" << run.out
                      << "\", errors \"" << run.err << "\"";
        run.exitCode = -1;
    }
    return run;
}

std::vector<ProgramRun> runPrograms(const std::filesystem::path& program, const std::vector<ProgramLaunch>& launches) {
    // Enough to hide the start-up of each, few enough not to starve the
    // machine's other tests.
    constexpr std::size_t kSideBySide = 4;
    std::vector<ProgramRun> results(launches.size());
    std::deque<std::pair<std::size_t, RunningProgram>> running;
    std::size_t next = 0;
    while (next < launches.size() || !running.empty()) {
        while (next < launches.size() && running.size() < kSideBySide) {
            const ProgramLaunch& launch = launches[next];
            running.emplace_back(next, startProgram(program, launch.args, launch.environment, launch.scratch));
            ++next;
        }
        // The oldest first: runs of one table take about as long as each other.
        results[running.front().first] = finishProgram(running.front().second);
        running.pop_front();
    }
    return results;
}

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment, const std::filesystem::path& scratch) {
    return finishProgram(startProgram(program, args, environment, scratch));
}

}  // namespace bastion

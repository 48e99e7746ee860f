#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace bastion {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Longest a program under test may run. Far above any healthy run on a busy
// machine; a program still running then is killed and the test fails.
inline constexpr std::chrono::seconds kProgramTimeLimit{180};

// A program started and not yet waited for.
struct RunningProgram {
    int pid = -1;
    std::filesystem::path scratch;
    std::chrono::steady_clock::time_point deadline;
};

// One run of a program: its arguments, its environment and its scratch folder.
struct ProgramLaunch {
    std::vector<std::string> args;
    std::vector<std::string> environment;
    std::filesystem::path scratch;
};

// Runs `program` with `args` in a bare environment: only `environment`
// ("NAME=value" entries) plus, unless `sanitizerSettings` is false, the
// sanitizer settings of this process.
// Standard output and error are captured through files in `scratch`.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment, const std::filesystem::path& scratch);

// The two halves of runProgram: start it, then wait for its end. A program
// that outlives its time limit is killed: the test fails and the result
// reads exit code -1.
RunningProgram startProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& environment, const std::filesystem::path& scratch,
                            bool sanitizerSettings = true);
ProgramRun finishProgram(const RunningProgram& running);

// Whether the program has ended (it is then still to be finished).
bool programEnded(const RunningProgram& running);

// Runs every launch of `program`, a few side by side, and returns the results
// in order: a program spends most of its run starting up, so a table of
// cases takes about the time of its slowest few.
std::vector<ProgramRun> runPrograms(const std::filesystem::path& program, const std::vector<ProgramLaunch>& launches);

}  // namespace bastion

#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace bastion {

// How long a run may take before it is killed and counted as hung.
inline constexpr std::chrono::seconds kProgramTimeout{120};

struct ProgramRun {
    int exitCode = -1;
    bool timedOut = false;  // killed at the time-out; exitCode is then 128 + SIGKILL
    std::string out;
    std::string err;
};

// A program started and not yet waited for.
struct RunningProgram {
    int pid = -1;
    std::filesystem::path scratch;
};

// Runs `program` with `args` in a bare environment: only `environment`
// ("NAME=value" entries) plus, unless `sanitizerSettings` is false, the
// sanitizer settings of this process.
// Standard output and error are captured through files in `scratch`.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment, const std::filesystem::path& scratch);

// The two halves of runProgram: start it, then wait for its end, at most
// `timeout` from now.
RunningProgram startProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& environment, const std::filesystem::path& scratch,
                            bool sanitizerSettings = true);
ProgramRun finishProgram(const RunningProgram& running, std::chrono::milliseconds timeout = kProgramTimeout);

}  // namespace bastion

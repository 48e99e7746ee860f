#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bastion {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` in a bare environment: only `environment`
// ("NAME=value" entries) plus the sanitizer settings of this process.
// Standard output and error are captured through files in `scratch`.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment, const std::filesystem::path& scratch);

}  // namespace bastion

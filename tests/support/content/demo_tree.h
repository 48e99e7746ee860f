#pragma once

#include <filesystem>
#include <string_view>

// The one writer of the demo content for tests, benchmarks and fuzzers.
namespace bastion::testing_support {

// Writes the demo retail tree into `folder`/retail and the music's wave ROM
// into the system folder beside it; returns the retail folder.
std::filesystem::path writeDemoTree(const std::filesystem::path& folder);

// The demo retail tree of this process, written on first use into a folder
// of its own under the system's temp folder (named `prefix` and the process
// id) and removed at exit. Processes that end without running exit handlers
// (fuzzing workers) leave theirs behind: each new process removes the folders
// of its prefix whose process is gone.
const std::filesystem::path& processDemoTree(std::string_view prefix);

}  // namespace bastion::testing_support

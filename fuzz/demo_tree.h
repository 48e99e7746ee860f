#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>

#include "support/content/demo_tree.h"
#include "support/content/files.h"

namespace bastion::fuzzing {

// The demo content tree of this fuzzing process (parallel workers must not
// share one), removed at exit; libFuzzer's workers often end with _Exit, so
// each new process also removes the trees of processes that are gone.
inline const std::filesystem::path& demoTree() { return testing_support::processDemoTree("bastion-world-fuzz-"); }

using testing_support::readFile;

inline void writeFile(const std::filesystem::path& path, const char* data, std::size_t size) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(data, static_cast<std::streamsize>(size));
}

}  // namespace bastion::fuzzing

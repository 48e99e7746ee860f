#pragma once

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <signal.h>
#include <unistd.h>

#include "contentgen/content_tree.h"

namespace bastion::fuzzing {

inline constexpr std::string_view kTreePrefix = "bastion-world-fuzz-";

// libFuzzer's workers often end with _Exit, so their trees outlive them:
// each new process removes the trees of processes that are gone.
inline void removeOrphanTrees(const std::filesystem::path& temp) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(temp, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kTreePrefix, 0) != 0) continue;
        const std::string digits = name.substr(kTreePrefix.size());
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const long owner = std::stol(digits);
        if (::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH) std::filesystem::remove_all(entry.path(), error);
    }
}

// The demo content tree, written once per fuzzing process into a folder of
// its own (parallel workers must not share it) and removed at exit.
inline const std::filesystem::path& demoTree() {
    static const std::filesystem::path root = [] {
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        removeOrphanTrees(temp);
        const std::filesystem::path folder = temp / (std::string(kTreePrefix) + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        contentgen::writeContentTree(folder);
        return folder;
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        });
        return true;
    }();
    static_cast<void>(cleanup);
    return root;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const char* data, std::size_t size) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(data, static_cast<std::streamsize>(size));
}

}  // namespace bastion::fuzzing

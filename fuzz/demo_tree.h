#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "contentgen/content_tree.h"

namespace bastion::fuzzing {

// The demo content tree, written once per fuzzing process into a folder of
// its own (parallel workers must not share it) and removed at exit.
inline const std::filesystem::path& demoTree() {
    static const std::filesystem::path root = [] {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("bastion-fuzz-" + std::to_string(::getpid()));
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

#include "support/temp_folder.h"

#include <unistd.h>

#include <atomic>

#include <gtest/gtest.h>

namespace bastion::testing_support {

TempFolder::TempFolder(const std::string& name) {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::path(::testing::TempDir()) /
            (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace bastion::testing_support

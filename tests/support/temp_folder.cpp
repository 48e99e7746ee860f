#include "support/temp_folder.h"

#include <unistd.h>

#include <atomic>
#include <iostream>

#include <gtest/gtest.h>

namespace bastion::testing_support {

TempFolder::TempFolder(const std::string& name) {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::path(::testing::TempDir()) /
            (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

// A folder made for a test that failed is left for the developer to look
// into; one that lives for the whole program is kept when any test failed.
TempFolder::~TempFolder() {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    const bool failed = unit.current_test_info() != nullptr ? ::testing::Test::HasFailure() : unit.Failed();
    if (failed) {
        std::cerr << "Kept the failed test's folder: " << path_.string() << '\n';
        return;
    }
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace bastion::testing_support

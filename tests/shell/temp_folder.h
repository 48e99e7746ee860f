#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace bastion {

// An empty folder of the running test's own, so tests run side by side in
// separate processes never share files.
inline std::filesystem::path freshTempFolder() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "stormbastion-shell" /
                                         (std::string(test->test_suite_name()) + "." + test->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace bastion

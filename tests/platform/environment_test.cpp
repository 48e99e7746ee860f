#include <gtest/gtest.h>

#include "platform/environment.h"
#include "support/scoped_environment.h"

namespace bastion::platform {
namespace {

using testing_support::ScopedEnvironment;

struct FolderCase {
    const char* first;
    const char* second;
    std::optional<std::filesystem::path> expected;
};

TEST(UserFile, TakesTheFirstSetNonEmptyAndWhereAskedAbsoluteFolder) {
    const FolderCase cases[] = {
        {"/one", "/two", std::filesystem::path("/one/a/file")},
        {"", "/two", std::filesystem::path("/two/b/file")},
        {nullptr, "/two", std::filesystem::path("/two/b/file")},
        {"relative", "/two", std::filesystem::path("/two/b/file")},
        {"C:\\Users", "two", std::filesystem::path("two/b/file")},
        {nullptr, nullptr, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.first ? c.first : "(unset)"));
        const ScopedEnvironment first("BASTION_TEST_FIRST", c.first);
        const ScopedEnvironment second("BASTION_TEST_SECOND", c.second);
        EXPECT_EQ(userFile({{"BASTION_TEST_FIRST", "a/file", true}, {"BASTION_TEST_SECOND", "b/file"}}),
                  c.expected);
    }
}

}  // namespace
}  // namespace bastion::platform

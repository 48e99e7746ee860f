#include <gtest/gtest.h>

#include <stdexcept>

#include "shell/shared/player_name.h"

namespace bastion {
namespace {

struct NameCase {
    std::string given;
    const char* expected;  // the trimmed name, or the refusal
    bool accepted;
};

TEST(PlayerName, TrimsSpacesAndRefusesBadNames) {
    const NameCase cases[] = {
        {"  Ace  ", "Ace", true},
        {"Ace", "Ace", true},
        {"12345678901234567890   ", "12345678901234567890", true},
        {"  a b  ", "a b", true},
        {"~!", "~!", true},
        {"", "Player name cannot be blank", false},
        {"   ", "Player name cannot be blank", false},
        {"123456789012345678901", "Player name must be at most 20 characters", false},
        {"\tAce", "Player name must use printable ASCII characters", false},
        {"Ace\t", "Player name must use printable ASCII characters", false},
        {"Ren\xC3\xA9", "Player name must use printable ASCII characters", false},
        {"A\x7F", "Player name must use printable ASCII characters", false},
        {std::string("A\0B", 3), "Player name must use printable ASCII characters", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        if (c.accepted) {
            EXPECT_EQ(validatePlayerName(c.given), c.expected);
            continue;
        }
        try {
            validatePlayerName(c.given);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.expected);
        }
    }
}

}  // namespace
}  // namespace bastion

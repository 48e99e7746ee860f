#include <gtest/gtest.h>

#include "render/renderer.h"

namespace bastion {
namespace {

using Lines = std::vector<std::string>;

TEST(MissionLinesTest, WrapsGreedilyAtTheWidth) {
    // 7 + 3 + 5 + 5 = 23 with spaces; the fifth word would make 27.
    EXPECT_EQ(missionLines("abcdefg abc abcde abcde abc abcdef ab abcd", 26),
              (Lines{"abcdefg abc abcde abcde", "abc abcdef ab abcd"}));
}

TEST(MissionLinesTest, EdgeCases) {
    EXPECT_EQ(missionLines(std::string(30, 'x'), 26), Lines{std::string(30, 'x')});
    EXPECT_EQ(missionLines("", 26), Lines{});
    EXPECT_EQ(missionLines(" \n\t ", 26), Lines{});
    EXPECT_EQ(missionLines("a  b", 26), Lines{"a b"});
    EXPECT_EQ(missionLines("\n first\nsecond  \n", 12), Lines{"first second"});
    EXPECT_EQ(missionLines("aaaa bbbb", 9), Lines{"aaaa bbbb"});
    EXPECT_EQ(missionLines("aaaa bbbb", 8), (Lines{"aaaa", "bbbb"}));
}

}  // namespace
}  // namespace bastion

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contentgen/command.h"
#include "support/temp_folder.h"

namespace bastion {
namespace {

struct CommandRun {
    int exitCode;
    std::string out;
    std::string err;
};

CommandRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = contentgen::runContentCommand(args, out, err);
    return {code, out.str(), err.str()};
}

// Run from inside an empty folder, so that anything the command wrongly
// takes for an output folder shows up there.
TEST(ContentCommand, HelpAndRefusalsWriteNothing) {
    const testing_support::TempFolder scratch("content-command");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(scratch.path());
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;  // in the output on success, else in the error
    } cases[] = {
        {{"--help"}, 0, "Usage: stormbastion-content <output-folder>"},
        {{"out", "-h"}, 0, "Usage: stormbastion-content"},
        {{}, 1, "stormbastion-content: missing output folder"},
        {{"--hepl"}, 1, "stormbastion-content: unknown option '--hepl'"},
        {{"-o", "out"}, 1, "unknown option '-o'"},
        {{"out", "more"}, 1, "expected one output folder, got 2"},
        {{""}, 1, "empty output folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandRun result = run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode);
        const std::string& text = c.exitCode == 0 ? result.out : result.err;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        if (c.exitCode != 0) {
            EXPECT_NE(result.err.find("Usage:"), std::string::npos);
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
    std::filesystem::current_path(before);
}

TEST(ContentCommand, WritesTheTreeIntoTheNamedFolder) {
    const testing_support::TempFolder scratch("content-command-tree");
    const std::filesystem::path folder = scratch.path() / "demo";
    const CommandRun result = run({folder.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(folder / "gameplay/missions.json"));
    EXPECT_TRUE(std::filesystem::exists(folder / "audio/music.json"));
    EXPECT_EQ(std::filesystem::file_size(scratch.path() / "system/synth-wavetable.bin"), 4096u);
    EXPECT_NE(result.out.find("Demo content written to"), std::string::npos);
}

}  // namespace
}  // namespace bastion

// The sanitized game run as a developer runs it: no leak-checker settings,
// nothing preloaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_fixture.h"
#include "program_run.h"

namespace bastion {
namespace {

const std::string kLeakReport = "ERROR: LeakSanitizer: detected memory leaks";

class BareRunTest : public ProgramTest {
protected:
    // With the test's X display, or with none (the game then draws through
    // an EGL context of its own).
    ProgramRun runBare(const std::filesystem::path& executable, const std::vector<std::string>& args,
                       bool display) {
        std::vector<std::string> environment = display ? windowed({}) : std::vector<std::string>{"SDL_AUDIODRIVER=dummy"};
        environment.push_back("HOME=" + home.string());
        return finishProgram(startProgram(executable, args, environment, folder / "bare", false));
    }
};

TEST_F(BareRunTest, NormalRunExitsCleanWithAndWithoutADisplay) {
    for (const bool display : {true, false}) {
        const ProgramRun result = runBare(program, {"--retail", demo.string(), "--fixture", "--frames", "3"}, display);
        EXPECT_EQ(result.exitCode, 0) << "display " << display << "\n" << result.err;
        EXPECT_EQ(result.err.find(kLeakReport), std::string::npos) << result.err;
        EXPECT_EQ(result.out, kTestRangeSummary);
    }
}

#if defined(LEAK_PROBE_EXECUTABLE)
TEST_F(BareRunTest, ALeakOfOurOwnStillFailsTheRun) {
    const ProgramRun clean = runBare(LEAK_PROBE_EXECUTABLE, {}, true);
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.err, "");

    const ProgramRun leaking = runBare(LEAK_PROBE_EXECUTABLE, {"leak"}, true);
    EXPECT_NE(leaking.exitCode, 0);
    EXPECT_NE(leaking.err.find(kLeakReport), std::string::npos) << leaking.err;
    EXPECT_NE(leaking.err.find("loseABlock"), std::string::npos) << leaking.err;
    EXPECT_NE(leaking.err.find("96 byte(s) leaked in 1 allocation(s)"), std::string::npos) << leaking.err;
}
#endif

#if defined(DTLS_PROBE_EXECUTABLE)
// A loaded library's thread-local block 16 bytes past a page start: the leak
// checker's tracer died of a segmentation fault on it, now and then, in a
// game run whose graphics driver's block landed there.
TEST_F(BareRunTest, ALibrarysThreadLocalBlockAtAnyAddressLeavesTheCheckWhole) {
    const ProgramRun result = finishProgram(startProgram(
        DTLS_PROBE_EXECUTABLE, {DTLS_MODULE},
        {"ASAN_OPTIONS=quarantine_size_mb=0:thread_local_quarantine_size_kb=0"}, folder / "dtls", false));
    EXPECT_EQ(result.out, "block at page offset 16\n") << "the block is not where the check misread it";
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
}
#endif

}  // namespace
}  // namespace bastion

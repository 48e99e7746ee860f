#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "platform/atomic_replace.h"
#include "support/child_process.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion::platform {
namespace {

using testing_support::listFolder;
using testing_support::readFile;
using testing_support::writeFile;

constexpr ReplaceTexts kTexts = {"Create thing", "Write thing", "Flush thing", "Replace thing"};

// Hands out the given names in turn and counts the calls.
struct Names {
    std::vector<std::filesystem::path> names;
    std::size_t taken = 0;
    std::filesystem::path operator()() { return names.at(taken++); }
};

ReplaceFailure replaceExpectingFailure(const std::filesystem::path& target, Names& names,
                                       int attempts) {
    try {
        atomicReplace(target, "new\n", std::ref(names), attempts, kTexts);
    } catch (const ReplaceFailure& failure) {
        return failure;
    }
    ADD_FAILURE() << "the replace succeeded";
    return ReplaceFailure(ReplaceStep::create, 0, kTexts);
}

TEST(AtomicReplace, ReplacesTheTargetAndLeavesOnlyIt) {
    const testing_support::TempFolder scratch("atomic-replace");
    const auto folder = scratch.path();
    writeFile(folder / "target", "old\n");
    Names names{{folder / "target.tmp"}};
    atomicReplace(folder / "target", "new\n", std::ref(names), 3, kTexts);
    EXPECT_EQ(readFile(folder / "target"), "new\n");
    EXPECT_EQ(listFolder(folder), "target ");
}

TEST(AtomicReplace, PassesOverTemporaryNamesThatExistAndTouchesNeitherOne) {
    const testing_support::TempFolder scratch("atomic-replace");
    const auto folder = scratch.path();
    writeFile(folder / "a", "someone else's\n");
    std::filesystem::create_directory(folder / "b");
    Names names{{folder / "a", folder / "b", folder / "c"}};
    atomicReplace(folder / "target", "new\n", std::ref(names), 3, kTexts);
    EXPECT_EQ(readFile(folder / "target"), "new\n");
    EXPECT_EQ(readFile(folder / "a"), "someone else's\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "b"));
    EXPECT_EQ(listFolder(folder), "a b target ");
}

TEST(AtomicReplace, GivesUpWhenEveryNameExists) {
    const testing_support::TempFolder scratch("atomic-replace");
    const auto folder = scratch.path();
    writeFile(folder / "a", "");
    writeFile(folder / "b", "");
    Names names{{folder / "a", folder / "b", folder / "c"}};
    const ReplaceFailure failure = replaceExpectingFailure(folder / "target", names, 2);
    EXPECT_EQ(failure.step, ReplaceStep::create);
    EXPECT_EQ(failure.code(), std::error_code(EEXIST, std::system_category()));
    EXPECT_EQ(std::string(failure.what()).rfind("Create thing: ", 0), 0u) << failure.what();
    EXPECT_EQ(names.taken, 2u);
    EXPECT_EQ(listFolder(folder), "a b ");
}

TEST(AtomicReplace, OtherCreationErrorsAreNotRetried) {
    const testing_support::TempFolder scratch("atomic-replace");
    const auto folder = scratch.path();
    Names names{{folder / "missing" / "a", folder / "b"}};
    const ReplaceFailure failure = replaceExpectingFailure(folder / "target", names, 2);
    EXPECT_EQ(failure.step, ReplaceStep::create);
    EXPECT_EQ(failure.code().value(), ENOENT);
    EXPECT_EQ(names.taken, 1u);
}

struct InjectedCase {
    ReplaceStep step;
    int error;
    const char* prefix;
};

TEST(AtomicReplace, AFailedStepRemovesTheTemporaryAndKeepsTheTarget) {
    const InjectedCase cases[] = {
        {ReplaceStep::write, ENOSPC, "Write thing: "},
        {ReplaceStep::flush, EIO, "Flush thing: "},
        {ReplaceStep::replace, EXDEV, "Replace thing: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        const testing_support::TempFolder scratch("atomic-replace");
        const auto folder = scratch.path();
        writeFile(folder / "target", "old\n");
        Names names{{folder / "target.tmp"}};
        failNextReplace(c.step, c.error);
        const ReplaceFailure failure = replaceExpectingFailure(folder / "target", names, 1);
        EXPECT_EQ(failure.step, c.step);
        EXPECT_EQ(failure.code(), std::error_code(c.error, std::system_category()));
        EXPECT_EQ(std::string(failure.what()).rfind(c.prefix, 0), 0u) << failure.what();
        EXPECT_EQ(readFile(folder / "target"), "old\n");
        EXPECT_EQ(listFolder(folder), "target ");
    }
}

TEST(AtomicReplace, ARenameOntoAFolderFailsAndRemovesTheTemporary) {
    const testing_support::TempFolder scratch("atomic-replace");
    const auto folder = scratch.path();
    std::filesystem::create_directories(folder / "target" / "inside");
    Names names{{folder / "target.tmp"}};
    const ReplaceFailure failure = replaceExpectingFailure(folder / "target", names, 1);
    EXPECT_EQ(failure.step, ReplaceStep::replace);
    EXPECT_EQ(listFolder(folder), "target ");
    EXPECT_EQ(listFolder(folder / "target"), "inside ");
}

TEST(AtomicReplace, AWriteRefusedBySizeLimitRemovesTheTemporary) {
    const testing_support::TempFolder scratch("atomic-replace");
    const auto folder = scratch.path();
    writeFile(folder / "target", "old\n");
    // The file size limit holds for root too, unlike permissions.
    const int result = testing_support::runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        try {
            atomicReplace(folder / "target", std::string(100, 'x'),
                          [&] { return folder / "target.tmp"; }, 1, kTexts);
        } catch (const ReplaceFailure& failure) {
            return failure.step == ReplaceStep::write && failure.code().value() == EFBIG ? 0 : 3;
        }
        return 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readFile(folder / "target"), "old\n");
    EXPECT_EQ(listFolder(folder), "target ");
}

}  // namespace
}  // namespace bastion::platform

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/file_lock.h"
#include "support/child_process.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion::platform {
namespace {

// In another process: whether the lock on `path` is free right now.
bool freeElsewhere(const std::filesystem::path& path) {
    const int result = testing_support::runInChild([&] {
        const int descriptor = ::open(path.c_str(), O_RDWR);
        if (descriptor < 0) return 2;
        return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0 ? 0 : (errno == EWOULDBLOCK ? 1 : 3);
    });
    EXPECT_TRUE(result == 0 || result == 1) << result;
    return result == 0;
}

TEST(FileLock, ExcludesOtherProcessesUntilDestroyed) {
    const testing_support::TempFolder scratch("file-lock");
    const auto path = scratch.path() / "save.lock";
    std::optional<FileLock> lock(std::in_place, path, "Open lock", "Lock");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(freeElsewhere(path));

    // Closing some other descriptor of the file must not drop the lock, as it
    // would with a per-process fcntl lock.
    ::close(::open(path.c_str(), O_RDONLY));
    EXPECT_FALSE(freeElsewhere(path));

    lock.reset();
    EXPECT_TRUE(freeElsewhere(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(FileLock, WaitsForTheHolderInAnotherProcess) {
    const testing_support::TempFolder scratch("file-lock");
    const auto folder = scratch.path();
    const auto path = folder / "save.lock";
    const auto released = folder / "released";
    int locked[2];
    ASSERT_EQ(::pipe(locked), 0);
    // Forked before the parent locks: a child inheriting the locked
    // descriptor would share the lock and never see it released.
    const pid_t child = testing_support::startChild([&] {
        char byte = 0;
        if (::read(locked[0], &byte, 1) != 1) return 2;
        const FileLock mine(path, "Open lock", "Lock");
        // Got it only after the parent marked its release.
        return std::filesystem::exists(released) ? 0 : 1;
    });
    std::optional<FileLock> lock(std::in_place, path, "Open lock", "Lock");
    const char go = 'g';
    ASSERT_EQ(::write(locked[1], &go, 1), 1);
    testing_support::writeFile(released, "");
    lock.reset();
    EXPECT_EQ(testing_support::waitChild(child), 0);
    ::close(locked[0]);
    ::close(locked[1]);
}

TEST(FileLock, AnUnopenableLockFileThrowsWithTheSystemError) {
    const testing_support::TempFolder scratch("file-lock");
    const auto folder = scratch.path();
    testing_support::writeFile(folder / "file", "");
    try {
        const FileLock lock(folder / "file" / "save.lock", "Open lock", "Lock");
        ADD_FAILURE() << "locked";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::error_code(ENOTDIR, std::system_category()));
        EXPECT_EQ(std::string(error.what()).rfind("Open lock: ", 0), 0u) << error.what();
    }
}

}  // namespace
}  // namespace bastion::platform

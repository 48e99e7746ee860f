#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/regular_file.h"
#include "support/child_process.h"
#include "support/content/files.h"
#include "support/temp_folder.h"

namespace bastion::platform {
namespace {

constexpr unsigned kTimeoutSeconds = 20;

struct Case {
    const char* name;
    std::uintmax_t limit;
    std::optional<std::string> text;  // none: refused
    FileRefusal refusal = FileRefusal::missing;
};

// Reads `path` in a child process that a hang would not outlive: 0 when the
// result matches `expected`, 1 when it does not, 128 + SIGALRM on a hang.
int readInChild(const std::filesystem::path& path, const Case& expected) {
    return testing_support::runInChild([&] {
        ::alarm(kTimeoutSeconds);
        FileRefusal refusal = FileRefusal::missing;
        const std::optional<std::string> text = readRegularFile(path, expected.limit, &refusal);
        if (text != expected.text) return 1;
        return !text && refusal != expected.refusal ? 1 : 0;
    });
}

TEST(RegularFile, ReadsPlainFilesWithinTheBoundAndRefusesEverythingElse) {
    const testing_support::TempFolder scratch("regular-file");
    const std::filesystem::path folder = scratch.path();
    testing_support::writeFile(folder / "three", "abc");
    testing_support::writeFile(folder / "empty", "");
    std::filesystem::create_directory(folder / "folder");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("three", folder / "link");
    std::filesystem::create_symlink("pipe", folder / "pipe-link");

    const Case cases[] = {
        {"three", 3, "abc"},
        {"three", 2, std::nullopt, FileRefusal::tooLarge},
        {"empty", 0, ""},
        {"link", 3, "abc"},
        {"absent", 100, std::nullopt, FileRefusal::missing},
        {"three/below", 100, std::nullopt, FileRefusal::missing},
        {"folder", 100, std::nullopt, FileRefusal::notRegular},
        {"pipe", 100, std::nullopt, FileRefusal::notRegular},
        {"pipe-link", 100, std::nullopt, FileRefusal::notRegular},
        {"/dev/zero", 100, std::nullopt, FileRefusal::notRegular},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readInChild(folder / c.name, c), 0) << c.name << " limit " << c.limit;
    }
}

TEST(RegularFile, ReadsInPiecesAndReportsTheSizeItOpenedWith) {
    const testing_support::TempFolder scratch("regular-file");
    const std::filesystem::path path = scratch.path() / "bytes";
    testing_support::writeFile(path, "0123456789");
    std::optional<RegularFile> file = RegularFile::open(path, 10);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 10u);
    char piece[6] = {};
    EXPECT_EQ(file->read(piece, 6), 6u);
    EXPECT_EQ(std::string(piece, 6), "012345");
    EXPECT_EQ(file->read(piece, 6), 4u);
    EXPECT_EQ(std::string(piece, 4), "6789");
    EXPECT_EQ(file->read(piece, 6), 0u);
}

}  // namespace
}  // namespace bastion::platform

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace bastion::platform {

// Why a file was not opened.
enum class FileRefusal {
    missing,     // nothing at the path (or a folder on the way is missing)
    notRegular,  // a folder, pipe, socket or device
    tooLarge,    // more bytes than the caller's bound
    unreadable,  // the system refused to open or read it
};

// A regular file open for reading. Opening never waits: a pipe, device or
// folder in place of the file is refused before it is opened for reading,
// so no reader of game files can hang on a writer that never comes, and a
// file larger than the caller's bound is refused before any byte is read.
class RegularFile {
public:
    // The file at `path` (links followed) when it is a regular file of at
    // most `sizeLimit` bytes; otherwise none, with the reason in `refusal`
    // when it is given.
    static std::optional<RegularFile> open(const std::filesystem::path& path, std::uintmax_t sizeLimit,
                                           FileRefusal* refusal = nullptr);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    // The size when the file was opened.
    std::uintmax_t size() const { return size_; }

    // Reads `count` bytes from the current position into `into`, fewer only
    // at the end of the file; the bytes read, or none on a read error.
    std::optional<std::size_t> read(void* into, std::size_t count);

private:
    RegularFile(int descriptor, std::uintmax_t size) : descriptor_(descriptor), size_(size) {}

    int descriptor_ = -1;
    std::uintmax_t size_ = 0;
};

// The whole content of the regular file at `path` of at most `sizeLimit`
// bytes, or none with the reason in `refusal` when it is given. A file that
// grows past the bound while it is read counts as too large.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::uintmax_t sizeLimit,
                                           FileRefusal* refusal = nullptr);

}  // namespace bastion::platform

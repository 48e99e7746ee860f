#include "platform/regular_file.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bastion::platform {
namespace {

// No result, with `reason` stored where the caller asked for it.
std::nullopt_t refuse(FileRefusal reason, FileRefusal* refusal) {
    if (refusal != nullptr) *refusal = reason;
    return std::nullopt;
}

FileRefusal openError(int error) {
    return error == ENOENT || error == ENOTDIR ? FileRefusal::missing : FileRefusal::unreadable;
}

}  // namespace

std::optional<RegularFile> RegularFile::open(const std::filesystem::path& path, std::uintmax_t sizeLimit,
                                             FileRefusal* refusal) {
    // Looked at before opening, so that no device is ever opened (opening
    // some has side effects), and again on the open file, which is what is
    // read even if the path has been replaced in between.
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) return refuse(openError(errno), refusal);
    if (!S_ISREG(before.st_mode)) return refuse(FileRefusal::notRegular, refusal);

    // Non-blocking, so that a pipe swapped in after the look above does not
    // make the open wait for a writer.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) return refuse(openError(errno), refusal);
    RegularFile file(descriptor, 0);
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0) return refuse(FileRefusal::unreadable, refusal);
    if (!S_ISREG(opened.st_mode)) return refuse(FileRefusal::notRegular, refusal);
    if (opened.st_size < 0 || static_cast<std::uintmax_t>(opened.st_size) > sizeLimit) {
        return refuse(FileRefusal::tooLarge, refusal);
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return refuse(FileRefusal::unreadable, refusal);
    }
    file.size_ = static_cast<std::uintmax_t>(opened.st_size);
    return file;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), size_(other.size_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        size_ = other.size_;
    }
    return *this;
}

RegularFile::~RegularFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::optional<std::size_t> RegularFile::read(void* into, std::size_t count) {
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::read(descriptor_, static_cast<char*>(into) + filled, count - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::uintmax_t sizeLimit,
                                           FileRefusal* refusal) {
    std::optional<RegularFile> file = RegularFile::open(path, sizeLimit, refusal);
    if (!file) return std::nullopt;
    std::string text(static_cast<std::size_t>(file->size()), '\0');
    const std::optional<std::size_t> got = file->read(text.data(), text.size());
    if (!got) return refuse(FileRefusal::unreadable, refusal);
    text.resize(*got);
    // A file that grew after it was measured is read on to its end, or
    // until it passes the bound.
    char chunk[4096];
    for (;;) {
        const std::optional<std::size_t> more = file->read(chunk, sizeof chunk);
        if (!more) return refuse(FileRefusal::unreadable, refusal);
        if (*more == 0) break;
        if (*more > sizeLimit - text.size()) return refuse(FileRefusal::tooLarge, refusal);
        text.append(chunk, *more);
    }
    return text;
}

}  // namespace bastion::platform

#include "platform/atomic_replace.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace bastion::platform {
namespace {

constexpr int kNoStep = -1;
std::atomic<int> injectedStep{kNoStep};
std::atomic<int> injectedError{0};

// The error injected for `step`, taken once; 0 when none is.
int injected(ReplaceStep step) {
    int expected = static_cast<int>(step);
    if (!injectedStep.compare_exchange_strong(expected, kNoStep)) return 0;
    return injectedError.load();
}

// Opens a temporary that did not exist before, never one left by someone
// else (nor a link planted under its name). Returns the descriptor, or -1
// with the error in `error`.
int createTemporary(const std::function<std::filesystem::path()>& temporaryName, int attempts,
                    std::filesystem::path& name, int& error) {
    error = EEXIST;
    for (int attempt = 0; attempt < attempts && error == EEXIST; ++attempt) {
        name = temporaryName();
        error = injected(ReplaceStep::create);
        if (error != 0) continue;
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) return descriptor;
        error = errno;
    }
    return -1;
}

// Writes every byte, carrying on after short writes and interrupted calls.
int writeAll(int descriptor, std::string_view text) {
    if (const int error = injected(ReplaceStep::write)) return error;
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        // No progress and no error: call it an I/O error rather than spin.
        if (written == 0) return EIO;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int flush(int descriptor) {
    if (const int error = injected(ReplaceStep::flush)) return error;
    while (::fsync(descriptor) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

int moveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (const int error = injected(ReplaceStep::replace)) return error;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Best effort: by now the new file is in place, so a folder that cannot be
// flushed must not be reported as a target left unchanged.
void flushFolder(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    while (::fsync(descriptor) != 0 && errno == EINTR) {
    }
    ::close(descriptor);
}

}  // namespace

ReplaceFailure::ReplaceFailure(ReplaceStep failedStep, int error, const ReplaceTexts& texts)
    : std::system_error(error, std::system_category(), texts.of(failedStep)),
      step(failedStep) {}

void atomicReplace(const std::filesystem::path& target, std::string_view text,
                   const std::function<std::filesystem::path()>& temporaryName, int attempts,
                   const ReplaceTexts& texts) {
    std::filesystem::path temporary;
    int createError = 0;
    int descriptor = createTemporary(temporaryName, attempts, temporary, createError);
    if (descriptor < 0) throw ReplaceFailure(ReplaceStep::create, createError, texts);

    auto fail = [&](ReplaceStep step, int error) {
        if (descriptor >= 0) ::close(descriptor);
        ::unlink(temporary.c_str());
        throw ReplaceFailure(step, error, texts);
    };
    if (const int error = writeAll(descriptor, text)) fail(ReplaceStep::write, error);
    if (const int error = flush(descriptor)) fail(ReplaceStep::flush, error);
    // close reports late write-back errors on some file systems: the data
    // is then not known to be on disk.
    const int closed = ::close(descriptor);
    descriptor = -1;
    if (closed != 0) fail(ReplaceStep::flush, errno);
    if (const int error = moveOver(temporary, target)) fail(ReplaceStep::replace, error);
    flushFolder(target);
}

const char* ReplaceTexts::of(ReplaceStep step) const {
    switch (step) {
        case ReplaceStep::create: return create;
        case ReplaceStep::write: return write;
        case ReplaceStep::flush: return flush;
        case ReplaceStep::replace: break;
    }
    return replace;
}

void failNextReplace(ReplaceStep step, int error) {
    injectedError.store(error);
    injectedStep.store(static_cast<int>(step));
}

}  // namespace bastion::platform

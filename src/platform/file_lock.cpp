#include "platform/file_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/internal/system_error.h"

namespace bastion::platform {

FileLock::FileLock(const std::filesystem::path& path, const char* openFailure,
                   const char* lockFailure) {
    descriptor_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor_ < 0) throw systemError(errno, openFailure);
    // flock rather than fcntl: fcntl locks belong to the process and vanish
    // when any descriptor of the file is closed.
    while (::flock(descriptor_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        ::close(descriptor_);
        throw systemError(error, lockFailure);
    }
}

FileLock::~FileLock() { ::close(descriptor_); }

}  // namespace bastion::platform

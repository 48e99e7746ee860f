#pragma once

#include <filesystem>

namespace bastion::platform {

// An exclusive lock on a whole file, waited for and held until destruction.
// The file is created when missing and never written. The lock belongs to
// this object's own open file, so closing other descriptors of the same file
// elsewhere in the process does not release it.
class FileLock {
public:
    // `openFailure` and `lockFailure` prefix the std::system_error thrown
    // when the file cannot be opened or locked.
    FileLock(const std::filesystem::path& path, const char* openFailure, const char* lockFailure);
    ~FileLock();

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int descriptor_ = -1;
};

}  // namespace bastion::platform

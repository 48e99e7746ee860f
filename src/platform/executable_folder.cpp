#include "platform/executable_folder.h"

#include <system_error>

namespace bastion::platform {

std::optional<std::filesystem::path> executableFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    return program.parent_path();
}

}  // namespace bastion::platform

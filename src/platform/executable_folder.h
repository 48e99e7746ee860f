#pragma once

#include <filesystem>
#include <optional>

namespace bastion::platform {

// The folder holding the running program, when the system can tell.
std::optional<std::filesystem::path> executableFolder();

}  // namespace bastion::platform

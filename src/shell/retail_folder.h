#pragma once

#include <filesystem>
#include <optional>

#include "shell/shared/retail_choice.h"

namespace bastion {

// The installed data folder, used when nothing beside the program qualifies.
std::filesystem::path installedRetailFolder();

// The folder holding the running program, when the platform can tell.
std::optional<std::filesystem::path> programFolder();

}  // namespace bastion

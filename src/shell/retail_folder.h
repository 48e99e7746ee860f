#pragma once

#include <filesystem>
#include <optional>

namespace bastion {

// The retail asset folder: "assets/retail" beside the program, else
// "../assets/retail" beside it, whichever holds a regular "manifest.json"
// first; else `fallback`.
std::filesystem::path chooseRetailFolder(const std::optional<std::filesystem::path>& programFolder,
                                         const std::filesystem::path& fallback);

// The installed data folder, used when nothing beside the program qualifies.
std::filesystem::path installedRetailFolder();

// The folder holding the running program, when the platform can tell.
std::optional<std::filesystem::path> programFolder();

}  // namespace bastion

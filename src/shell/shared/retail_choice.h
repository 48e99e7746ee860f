#pragma once

#include <filesystem>
#include <optional>

namespace bastion {

// The retail asset folder: "assets/retail" beside the program, else
// "../assets/retail" beside it, whichever holds a regular "manifest.json"
// first; else `fallback`. The game and the lobby server choose alike.
std::filesystem::path chooseRetailFolder(const std::optional<std::filesystem::path>& programFolder,
                                         const std::filesystem::path& fallback);

}  // namespace bastion

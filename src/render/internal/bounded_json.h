#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace bastion {

// The first JSON value of a decoded asset file. Nothing is returned when no
// readable regular file is at `path` (missing, a folder, a device or a
// pipe), so the caller decides what an unopenable file means. A file longer
// than `maxBytes` is refused with `tooLarge` before any of it is read.
std::optional<nlohmann::json> readBoundedJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                              const std::string& tooLarge);

// The same, where a folder, pipe or device fails with notRegularFile and
// any other unopenable file as the JSON library fails on an empty document.
nlohmann::json readRequiredJson(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                const std::string& tooLarge);

}  // namespace bastion

#pragma once

#include <filesystem>
#include <string_view>

#include <nlohmann/json.hpp>

namespace bastion {

// Parses the first JSON value of a decoded gameplay file (mission or model
// document). Throws "Missing decoded gameplay file: " + path when the file
// cannot be opened; syntax errors are the JSON library's.
nlohmann::json readJson(const std::filesystem::path& path);

// The same reader with the caller's message prefix for an unopenable file.
nlohmann::json readJsonDocument(const std::filesystem::path& path, std::string_view missingPrefix);

// True when anything (file, folder, link, even a dangling one) is at `path`.
bool entryExists(const std::filesystem::path& path);

}  // namespace bastion

#pragma once

#include <filesystem>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// Writes `document` to `path`, making the folders on the way. Throws
// std::runtime_error "Cannot write content file: " + path on failure.
void writeJsonFile(const std::filesystem::path& path, const nlohmann::json& document);

}  // namespace bastion::contentgen

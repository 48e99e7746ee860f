#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace bastion {

// The models folder's table of contents.
struct ModelManifest {
    std::array<std::uint32_t, 32> pickupTypes{};
    // (model name, file name as written) in ascending name order.
    std::vector<std::pair<std::string, std::string>> files;
};

// A file name alone: never a folder, nor a path into another one.
bool bareFileName(const std::string& file);

// Where a model file of the models folder is read: from the second
// campaign's shared models beside it when an entry of that name is there.
std::filesystem::path modelFilePath(const std::filesystem::path& modelsFolder, const std::string& file);

// Checks a parsed "manifest.json". Throws std::runtime_error with the file's
// fixed messages; the JSON library's exceptions pass through.
ModelManifest readModelManifest(const nlohmann::json& document);

}  // namespace bastion

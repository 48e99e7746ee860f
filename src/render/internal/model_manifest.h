#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace bastion {

// What the models folder's table of contents says before any model is read.
struct ModelManifest {
    std::array<std::uint32_t, 32> pickupTypes{};
};

// A file name alone: never a folder, nor a path into another one.
bool bareFileName(const std::string& file);

// The file of one member of the manifest's "models": its "file", a bare file
// name. Throws "Invalid model filename"; the JSON library's exceptions pass
// through.
std::string modelFileName(const nlohmann::json& entry);

// Where a model file of the models folder is read: from the second
// campaign's shared models beside it when an entry of that name is there.
std::filesystem::path modelFilePath(const std::filesystem::path& modelsFolder, const std::string& file);

// Checks a parsed "manifest.json" up to its model list, which is read entry
// by entry as the models load. Throws std::runtime_error with the file's
// fixed messages; the JSON library's exceptions pass through.
ModelManifest readModelManifest(const nlohmann::json& document);

}  // namespace bastion

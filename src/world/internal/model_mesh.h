#pragma once

#include <filesystem>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "world/internal/mission_file.h"
#include "world/target.h"

namespace bastion {

class World;

inline constexpr std::size_t kModelBudget = 4096;  // vertices and faces per model

// What the model mesh builder needs during one mission load.
struct ModelMeshContext {
    std::map<std::string, nlohmann::json> documents;  // model files read so far, by name
    const World& world;                               // only its campaign is read
    bool preferShared = false;
    std::filesystem::path sharedGameplayFolder;
    std::filesystem::path campaignFolder;
    const nlohmann::json& mission;   // the mission entry being loaded
    LightVector light{};
    const nlohmann::json& missions;  // the whole document: "cry_table", "texture_uv"
};

// The triangle list of a decoded model in its own frame, lit for `yaw` (the
// placed object's home yaw; positions are not turned) and coloured by the
// mission; `objectType` selects material replacements, -1 for units. Every
// call makes a new list; parsed files are cached in the context.
SharedMesh buildModelMesh(ModelMeshContext& context, const std::string& name, float yaw, int objectType);

}  // namespace bastion

#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "world/math.h"

namespace bastion {

// Records of the decoded mission document "missions.json", one decoder per
// kind of entry. Missing keys and wrong types are the JSON library's errors.

inline constexpr int kSB1MissionCount = 16;
inline constexpr int kSB2MissionCount = 20;

// The retail folder for SB1, its "sb2" folder for SB2.
std::filesystem::path campaignFolder(const std::filesystem::path& root, int campaign);

// <root>/"sb2/shared/gameplay".
std::filesystem::path sharedGameplayFolder(const std::filesystem::path& root);

// The mission document of a campaign: SB1 with the shared-folder flag takes
// the shared copy when anything exists at its path.
std::filesystem::path missionFilePath(const std::filesystem::path& root, int campaign, bool sharedFolder);

// Throws "Invalid mission schema" unless "schema" is the number 1.
void checkMissionSchema(const nlohmann::json& document);

// The mission's light direction scaled to a length of about 256.
using LightVector = std::array<std::int32_t, 3>;
// Throws "Invalid light direction" for a zero or non-finite vector.
LightVector decodeLight(const nlohmann::json& light);

struct DifficultyScaling {
    float ratio = 1.0f;
    float projectilePair[2] = {0, 0};
    float healthPair[2] = {0, 0};
};
// `level` 1 is hard. Throws "Invalid difficulty multiplier" when the normal
// or hard multiplier is zero or negative.
DifficultyScaling decodeDifficulty(const nlohmann::json& difficulty, int level);

// "objective_regions", absent meaning none.
std::vector<std::array<float, 4>> decodeObjectiveRegions(const nlohmann::json& mission);

struct PlacedObject {
    Vec3 home;
    int type = 0;
    int tag = 0;
    std::uint32_t action = 0;
    float yaw = 0.0f;
    int targetSlot = 255;
};
PlacedObject decodePlacedObject(const nlohmann::json& object);

struct Destruction {
    Vec3 span;
    float step = 0.0f;
    std::vector<std::uint32_t> fragments;
};

struct CatalogueEntry {
    float health = 0.0f;
    std::string model;
    std::string wreck;
    std::optional<Destruction> destruction;  // only with "fragments"
};
// Throws "Invalid debris step" for a step that is not positive and finite.
CatalogueEntry decodeCatalogueEntry(const nlohmann::json& entry);

struct TerrainPolygon {
    std::vector<Vec3> corners;  // all at height 0
    Vec3 colour;
};
TerrainPolygon decodeTerrainPolygon(const nlohmann::json& polygon);

inline constexpr int kGeneratorRecord = 4;

struct SpawnRecord {
    int type = 0;
    Vec3 position;
    float yaw = 0.0f;
    std::uint32_t trigger = 0;
    std::uint32_t flags = 0;
    float range = 0.0f;
    std::vector<std::uint8_t> parameters;
    float respawn = 0.0f;
    std::optional<Vec3> destination;
};
// A generator record reads only "type", "parameters", "position", "range"
// and "trigger"; "destination" is read only for unit type 20 in SB2.
SpawnRecord decodeSpawnRecord(const nlohmann::json& spawn, int campaign);

// Throws "Invalid parameter byte" for a value outside 0..255.
std::vector<std::uint8_t> decodeParameterBytes(const nlohmann::json& bytes);

struct MechProfile {
    float health = 0.0f;  // element 0, from tenths
    int words[3] = {0, 0, 0};  // replace parameter words 0, 2 and 3
};
MechProfile decodeMechProfile(const nlohmann::json& profile);

}  // namespace bastion

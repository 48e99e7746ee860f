#include "world/internal/mission_file.h"

#include <cmath>
#include <stdexcept>

#include "world/decoded_json.h"
#include "world/decoded_value.h"

namespace bastion {

std::filesystem::path campaignFolder(const std::filesystem::path& root, int campaign) {
    return campaign == 1 ? root / "sb2" : root;
}

std::filesystem::path sharedGameplayFolder(const std::filesystem::path& root) { return root / "sb2/shared/gameplay"; }

std::filesystem::path missionFilePath(const std::filesystem::path& root, int campaign, bool sharedFolder) {
    if (campaign == 0 && sharedFolder) {
        const std::filesystem::path shared = sharedGameplayFolder(root) / "missions.json";
        if (entryExists(shared)) return shared;
    }
    return campaignFolder(root, campaign) / "gameplay/missions.json";
}

void checkMissionSchema(const nlohmann::json& document) {
    const nlohmann::json& schema = document.at("schema");
    if (!schema.is_number() || schema.get<double>() != 1.0) throw std::runtime_error("Invalid mission schema");
}

LightVector decodeLight(const nlohmann::json& light) {
    const float x = decodeFloat(light.at(0));
    const float y = decodeFloat(light.at(1));
    const float z = decodeFloat(light.at(2));
    const float length = std::hypot(x, y, z);
    if (!(length > 0.0f) || !std::isfinite(length)) throw std::runtime_error("Invalid light direction");
    return {static_cast<std::int32_t>(x / length * 256.0f), static_cast<std::int32_t>(y / length * 256.0f),
            static_cast<std::int32_t>(z / length * 256.0f)};
}

DifficultyScaling decodeDifficulty(const nlohmann::json& difficulty, int level) {
    const nlohmann::json& multipliers = difficulty.at("multipliers");
    const std::int32_t normal = decodeInt(multipliers.at(1));
    const std::int32_t hard = decodeInt(multipliers.at(2));
    decodeInt(multipliers.at(0));
    decodeInt(multipliers.at(3));
    // The ratio divides by the normal multiplier and a non-positive one
    // would scale every health and projectile to nothing or below.
    if (normal <= 0 || hard <= 0) throw std::runtime_error("Invalid difficulty multiplier");
    const std::int32_t selected = level == 1 ? hard : normal;
    const float scale = static_cast<float>(selected);

    DifficultyScaling scaling;
    scaling.ratio = scale / static_cast<float>(normal);
    const nlohmann::json& projectile = difficulty.at("projectile");
    const nlohmann::json& impact = difficulty.at("impact");
    const nlohmann::json& health = difficulty.at("health");
    for (int i = 0; i < 2; ++i) {
        scaling.projectilePair[i] = decodeFloat(projectile.at(i)) * scale * 0.1f;
        decodeFloat(impact.at(i));
        scaling.healthPair[i] = decodeFloat(health.at(i)) * scale * 0.1f;
    }
    return scaling;
}

std::vector<std::array<float, 4>> decodeObjectiveRegions(const nlohmann::json& mission) {
    std::vector<std::array<float, 4>> regions;
    const auto found = mission.find("objective_regions");
    if (found == mission.end()) return regions;
    for (const nlohmann::json& region : found->get_ref<const nlohmann::json::array_t&>()) {
        regions.push_back({decodeFloat(region.at(0)), decodeFloat(region.at(1)), decodeFloat(region.at(2)),
                           decodeFloat(region.at(3))});
    }
    return regions;
}

PlacedObject decodePlacedObject(const nlohmann::json& object) {
    PlacedObject placed;
    placed.home = decodePosition(object.at("position"));
    placed.type = decodeInt(object.at("type"));
    placed.tag = decodeInt(object.at("tag"));
    placed.action = decodeWord(object.at("action"));
    placed.yaw = decodeYaw(object.at("yaw"));
    const auto slot = object.find("target_slot");
    if (slot != object.end()) placed.targetSlot = decodeInt(*slot);
    return placed;
}

CatalogueEntry decodeCatalogueEntry(const nlohmann::json& entry) {
    CatalogueEntry decoded;
    decoded.health = decodeFloat(entry.at("health")) * 0.1f;
    decoded.model = entry.at("model").get<std::string>();
    decoded.wreck = entry.at("wreck").get<std::string>();
    const auto destruction = entry.find("destruction");
    if (destruction == entry.end() || !destruction->is_object() || !destruction->contains("fragments"))
        return decoded;

    Destruction debris;
    const nlohmann::json& span = destruction->at("span");
    debris.span = {decodeFloat(span.at(0)) / 100.0f, decodeFloat(span.at(1)) / 100.0f,
                   decodeFloat(span.at(2)) / 100.0f};
    debris.step = decodeFloat(destruction->at("step")) / 100.0f;
    // The debris grid divides the span by the step.
    if (!(debris.step > 0.0f) || !std::isfinite(debris.step)) throw std::runtime_error("Invalid debris step");
    for (const nlohmann::json& fragment : destruction->at("fragments").get_ref<const nlohmann::json::array_t&>())
        debris.fragments.push_back(decodeWord(fragment));
    decoded.destruction = std::move(debris);
    return decoded;
}

TerrainPolygon decodeTerrainPolygon(const nlohmann::json& polygon) {
    TerrainPolygon decoded;
    for (const nlohmann::json& corner : polygon.at("vertices").get_ref<const nlohmann::json::array_t&>()) {
        const Vec3 point = decodePosition(corner);
        decoded.corners.push_back({point.x, 0.0f, point.z});
    }
    decoded.colour = decodeColour(polygon.at("color"));
    return decoded;
}

std::vector<std::uint8_t> decodeParameterBytes(const nlohmann::json& bytes) {
    std::vector<std::uint8_t> decoded;
    for (const nlohmann::json& byte : bytes.get_ref<const nlohmann::json::array_t&>()) {
        const std::int32_t value = decodeInt(byte);
        if (value < 0 || value > 255) throw std::runtime_error("Invalid parameter byte");
        decoded.push_back(static_cast<std::uint8_t>(value));
    }
    return decoded;
}

SpawnRecord decodeSpawnRecord(const nlohmann::json& spawn, int campaign) {
    SpawnRecord record;
    record.type = decodeInt(spawn.at("type"));
    record.position = decodePosition(spawn.at("position"));
    record.trigger = decodeWord(spawn.at("trigger"));
    record.range = decodeFloat(spawn.at("range")) / 100.0f;
    record.parameters = decodeParameterBytes(spawn.at("parameters"));
    if (record.type == kGeneratorRecord) return record;

    record.yaw = decodeYaw(spawn.at("yaw"));
    record.flags = decodeWord(spawn.at("flags"));
    record.respawn = decodeFloat(spawn.at("respawn")) * 10.0f;
    if (record.type == 20 && campaign == 1) record.destination = decodePosition(spawn.at("destination"));
    return record;
}

MechProfile decodeMechProfile(const nlohmann::json& profile) {
    MechProfile decoded;
    decoded.health = static_cast<float>(decodeInt(profile.at(0))) / 10.0f;
    for (int i = 0; i < 3; ++i) decoded.words[i] = decodeInt(profile.at(i + 1));
    return decoded;
}

}  // namespace bastion

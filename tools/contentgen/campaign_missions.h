#pragma once

#include <filesystem>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

inline constexpr int kSB1Missions = 16;
inline constexpr int kSB2Missions = 20;

// One entry of the "missions" array of a campaign (0 SB1, 1 SB2).
nlohmann::json campaignMission(int campaign, int index);

// The whole "missions.json" of a campaign: schema, missions, the object
// catalogue, unit and variant models, colour table and texture corners.
nlohmann::json missionsDocument(int campaign);

}  // namespace bastion::contentgen

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "shell/shared/campaign_rules.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

using nlohmann::json;

bool validReward(const json& entry) {
    // A whole JSON number only: a library conversion to int would truncate
    // 2.5, read true as 1 and wrap 4294967295 round to -1.
    if (!entry.is_number_integer()) return false;
    if (entry.is_number_unsigned()) return entry.get<u64>() >= 1 && entry.get<u64>() <= 12;
    const auto reward = entry.get<std::int64_t>();
    return reward == -1 || (reward >= 1 && reward <= 12);
}

}  // namespace

void CampaignRules::load(const std::filesystem::path& root, int loadedCampaign) {
    if (loadedCampaign != 0 && loadedCampaign != 1) throw std::runtime_error("Invalid campaign");
    campaign = loadedCampaign;

    const std::filesystem::path file =
        campaign == 1 ? root / "sb2" / "art/frontend.json" : root / "art/frontend.json";
    const json document = parseJsonFile(file, kDecodedDocumentLimit);
    const json& progression = document.at("progression");

    const json& initialWeaponsValue = progression.at("initial_weapons");
    const u32 expectedWeapons = campaign == 1 ? 42u : 2u;
    if (progression.at("initial_missions") != 15 || initialWeaponsValue != expectedWeapons) {
        throw std::runtime_error("Unsupported campaign rules - regenerate frontend exports");
    }

    const auto& list = progression.at("mission_rewards").get_ref<const json::array_t&>();
    std::vector<int> rewards;
    for (const json& entry : list) {
        if (!validReward(entry)) throw std::runtime_error("Invalid campaign reward");
        rewards.push_back(entry.get<int>());
    }
    const std::size_t missions = campaign == 1 ? 20 : 16;
    if (rewards.size() != missions) throw std::runtime_error("Invalid campaign length");

    u32 obtainable = expectedWeapons | 1u;
    for (const int reward : rewards) {
        if (reward >= 0) obtainable |= u32{1} << reward;
    }
    if (obtainable != (campaign == 1 ? 0x1FFFu : 0x1FFu)) {
        throw std::runtime_error("Campaign leaves implemented weapons unobtainable");
    }

    initialWeapons = expectedWeapons;
    missionRewards = std::move(rewards);
}

}  // namespace bastion

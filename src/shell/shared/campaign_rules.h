#pragma once

#include <filesystem>
#include <vector>

#include "world/math.h"

namespace bastion {

// How one campaign opens its missions and weapons. The defaults are the first
// campaign's rules.
struct CampaignRules {
    u32 initialMissions = 0xF;  // bit per mission open from the start
    u32 initialWeapons = 0x2;   // bit per weapon id open from the start
    // Per mission, the weapon its completion opens, or -1; one entry per
    // mission of the campaign.
    std::vector<int> missionRewards = {5, -1, 3, 4, 2, -1, 6, -1, 7, -1, -1, 8, -1, -1, -1, -1};
    int campaign = 0;  // 0 SB1, 1 SB2

    // Reads the rules of `campaign` from its front-end export below the
    // retail folder `root`; throws std::runtime_error (or the JSON library's
    // exception) and keeps the old rules, but for the campaign, on a bad file.
    void load(const std::filesystem::path& root, int campaign);

    int missionCount() const { return static_cast<int>(missionRewards.size()); }

    // The missions open when the missions of `completed` are done.
    u32 available(u32 completed) const;

    // The weapons open when the missions of `completed` are done, EMPTY
    // included.
    u32 weapons(u32 completed) const;
};

}  // namespace bastion

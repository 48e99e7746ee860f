#pragma once

#include <filesystem>

#include "shell/shared/campaign_rules.h"
#include "world/weapon.h"
#include "world/world.h"

namespace bastion {

// How many mounts of one loadout may hold `weapon` (0 for ids above 12).
int copyLimit(Weapon weapon);

// The player's progress in one campaign.
struct Progression {
    CampaignRules rules;
    u32 completed = 0;   // bit per completed mission
    u32 difficulty = 0;  // 0 normal, 1 hard
    int selectedMission = 0;
    Loadout loadout = {0, 1, 0, 0, 0, 0};

    bool missionAvailable(int mission) const;
    bool weaponAvailable(Weapon weapon) const;

    // Marks an open, not yet completed mission as completed; false when that
    // changes nothing.
    bool complete(int mission);

    // The lowest open mission not yet completed, else the last mission.
    int nextMission() const;

    // Empties the mounts whose weapon is locked, unknown, does not fit, is
    // over its copy limit, or is the hip beside an auto grenade launcher.
    void sanitizeLoadout();

    // Reads the campaign save at `path`; a missing file changes nothing, a
    // bad one throws and changes nothing.
    void load(const std::filesystem::path& path);

    // Writes the campaign save at `path` under its lock, first taking in the
    // missions completed in the file when `merge` is set. On a throw the file
    // is unchanged.
    void save(const std::filesystem::path& path, bool merge);

    // The save's place in the user's data folder.
    static std::filesystem::path defaultPath();
};

}  // namespace bastion

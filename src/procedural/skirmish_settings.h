#pragma once

#include <array>
#include <string>
#include <string_view>

#include "world/math.h"

namespace bastion {

inline constexpr std::array<std::string_view, 5> skirmishTerrainOptions = {
    "auto", "urban", "grassland", "desert", "hills",
};
inline constexpr std::array<std::string_view, 4> skirmishWaterOptions = {
    "auto", "none", "lake", "canal",
};

// The choices the skirmish setup screen edits; the skirmish generator turns
// them into a procedural recipe. The seed alone reproduces a skirmish.
struct SkirmishSettings {
    u32 seed = 1;
    int objective = 0;  // 0 eliminate, 1 strike, 2 recon
    std::string terrain = "auto";
    std::string water = "auto";
    int mapBlocks = 4;  // map side in 120-unit blocks
    int sceneryDensity = 9;
    int groundUnitsPerZone = 6;
    int airUnits = 3;
    bool extraction = true;
};

}  // namespace bastion

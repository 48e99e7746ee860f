#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "world/math.h"

namespace bastion {

struct Frontend;
class World;

// Where the missions of this run come from, fixed at start-up.
struct MissionSources {
    std::filesystem::path retail;
    std::filesystem::path proceduralLayout;  // empty: none
    bool prototype = false;
    u32 prototypeSeed = 0;
    bool fixture = false;
    std::ostream* out = nullptr;  // standard output, for the skirmish seed line
};

// Fills a freshly built World with the mission the front end selects: the
// skirmish recipe (generated once and kept in `skirmishRecipe`), the
// procedural layout, the mission prototype, or the campaign mission; with
// "--fixture" the World keeps its native test range.
void loadSelectedMission(World& fresh, Frontend& frontend, const MissionSources& sources,
                         std::optional<nlohmann::json>& skirmishRecipe);

}  // namespace bastion

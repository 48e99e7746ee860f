#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "shell/mission_setup.h"
#include "world/math.h"

namespace bastion {

struct Frontend;
class World;

// Builds the held skirmish recipe into `fresh`, generating it from the front
// end's settings first when none is held. The status line then describes the
// map and what to do, and the seed line goes to the sources' output. Any
// failure leaves `fresh` to be thrown away and the recipe holder as it was
// after generation.
void loadSkirmishMission(World& fresh, Frontend& frontend, const MissionSources& sources,
                         std::optional<nlohmann::json>& recipe);

// Biome, water layout and the objective sentence of a built skirmish, then
// the World's objective text. A recipe without the strings it reads throws.
std::string skirmishStatusLine(const nlohmann::json& recipe, bool extraction, const std::string& objectiveText);

// "Skirmish seed=... objective=... terrain=..." with its line feed.
std::string skirmishSeedLine(const nlohmann::json& recipe, u32 seed);

}  // namespace bastion

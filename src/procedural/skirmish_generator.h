#pragma once

#include <nlohmann/json.hpp>

#include "procedural/skirmish_settings.h"

namespace bastion {

// Turns skirmish settings into a version-3 procedural recipe: a jittered
// road grid of settings.mapBlocks blocks per side, one plot per block, two or
// three objectives far from the spawn corner, optional canal or lake. Equal
// settings always give the same recipe, down to the text it dumps to.
// Bad settings throw std::invalid_argument ("Invalid Skirmish settings: ..."
// or "Invalid Skirmish objective"); the recipe is validated before it is
// returned, so a generator fault surfaces as the validator's
// std::runtime_error rather than as a broken mission.
nlohmann::json generateSkirmishRecipe(const SkirmishSettings& settings);

}  // namespace bastion

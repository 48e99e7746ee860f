#pragma once

#include <nlohmann/json.hpp>

namespace bastion {

// Checks a procedural recipe ("bastion-procedural-layout", versions 1 to 3)
// in a fixed order and throws std::runtime_error, prefixed "Invalid
// procedural recipe: ", at the first violation. For version 3 it ends with
// validateProceduralTerrain, whose error passes through unchanged. Whatever
// the input, nothing but std::runtime_error leaves it.
void validateProceduralRecipe(const nlohmann::json& recipe);

// Checks the version-3 terrain, water, plot building and encounter sections
// and throws std::runtime_error, prefixed "Invalid procedural terrain: ", at
// the first violation. It trusts the layout that validateProceduralRecipe
// checks ("bounds", plot bounds, mission kind, objectives); on a layout that
// never passed it still throws nothing but std::runtime_error.
void validateProceduralTerrain(const nlohmann::json& recipe);

}  // namespace bastion

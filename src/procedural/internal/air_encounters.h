#pragma once

#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "procedural/internal/encounter_roads.h"
#include "world/target.h"

// Internal to the procedural library: the air units of a version-3 recipe.
namespace bastion {

class World;

namespace encounter {

// "encounters"."air_units" units (3 when absent) flying rectangular patrols
// above the highest ground and object, started from the shuffled anchors.
// Placement stops quietly at the first unit that finds no place; a bad count
// or missing templates throw.
std::vector<Target> placeAirUnits(World& world, const nlohmann::json& recipe, const std::vector<Target>& templates,
                                  const std::vector<Anchor>& anchors);

}  // namespace encounter
}  // namespace bastion

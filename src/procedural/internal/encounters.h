#pragma once

#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "world/target.h"

namespace bastion {

class World;

// Places the enemies of a generated mission: ground groups on the road
// network nearest each objective zone, and for version-3 recipes a few air
// units on rectangular patrols above everything else. The World must already
// hold its ground, scenery, pilot, prototype seed and objectives. Actors are
// copies of the first usable `templates` of unit types 0, 2 and 14 (ground)
// and 1 and 18 (air). Throws std::runtime_error; the World's target list is
// appended to only when every actor has been placed.
void populateProceduralEncounters(World& world, const nlohmann::json& recipe, const std::vector<Target>& templates);

}  // namespace bastion

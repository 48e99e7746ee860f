#pragma once

#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "world/math.h"
#include "world/target.h"

// Internal to the procedural library.
namespace bastion {

class World;

// Stands buildings, copies of the scenery templates chosen by size, role and
// source, in a grid of cells on every plot of the recipe, each on the ground
// under it, and appends them to the World's targets. Returns, per plot, the
// target indices of its buildings in placement order. Throws "No allowed
// procedural scenery fits plot N" and "Procedural scenery exceeds plot".
std::vector<std::vector<u64>> furnishPlots(World& world, const nlohmann::json& recipe,
                                           const std::vector<Target>& scenery);

}  // namespace bastion

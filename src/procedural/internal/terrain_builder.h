#pragma once

#include <nlohmann/json_fwd.hpp>

namespace bastion {

class World;

// Gives a version-3 recipe's world its ground: a height field over the whole
// movement square whose sample lines follow the roads, building pads and water
// bodies, sunken water beds with a flat surface, biome and road colours, the
// world's water bodies and road (cover) rectangles, and the ground index.
// The noise phases come from the world's prototype seed, so the prototype
// base must be in place first. Throws std::runtime_error, prefixed "Invalid
// procedural terrain: ", when the terrain sections are invalid or the mesh
// would exceed its budgets; the world is then left as it was.
void buildProceduralTerrain(World& world, const nlohmann::json& recipe);

}  // namespace bastion

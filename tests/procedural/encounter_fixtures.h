#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <nlohmann/json.hpp>

#include "world/world.h"

// Road-grid recipes, enemy templates and the World they are placed into.
namespace bastion::fixtures {

using json = nlohmann::json;

// A unit of that type whose model is a box of half size `half`, its origin
// at the bottom (so placing it must lift it by nothing and centre it).
inline Target unitTemplate(int unitType, Vec3 half, float health = 80.0f) {
    Target unit;
    unit.unitType = unitType;
    unit.health = health;
    auto mesh = std::make_shared<Mesh>();
    const Vec3 corners[6] = {{-half.x, 0, -half.z},          {half.x, 2 * half.y, half.z}, {half.x, 0, -half.z},
                             {-half.x, 2 * half.y, half.z}, {half.x, 2 * half.y, half.z}, {-half.x, 0, -half.z}};
    for (Vec3 corner : corners) {
        WorldVertex vertex;
        vertex.position = corner;
        mesh->push_back(vertex);
    }
    unit.mesh = mesh;
    return unit;
}

// Tank, gun, Satyr, then the two aircraft.
inline std::vector<Target> encounterTemplates() {
    return {unitTemplate(0, {2.5f, 1.5f, 3.5f}), unitTemplate(2, {2, 2, 2}), unitTemplate(14, {3, 6, 3}),
            unitTemplate(1, {4, 2, 5}), unitTemplate(18, {5, 2, 6})};
}

// Version 3: side x side nodes `spacing` apart centred on the origin, a road
// of `width` between every two neighbours, the spawn on node 0 (a corner)
// and one encounter objective on each node of `objectiveNodes`.
inline json gridRecipe(int side, double spacing, const std::vector<int>& objectiveNodes, double width = 20) {
    const double start = -0.5 * spacing * (side - 1);
    const double edge = -start + spacing / 2;
    json recipe = {{"schema", "bastion-procedural-layout"}, {"version", 3}, {"seed", 11}, {"units", "metres"},
                   {"plane", "xz"}, {"ground_y", 0}, {"pilot_radius", 3.5}};
    recipe["bounds"] = {-edge, -edge, edge, edge};
    recipe["nodes"] = json::array();
    recipe["roads"] = json::array();
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            recipe["nodes"].push_back({start + spacing * column, start + spacing * row});
            const int node = row * side + column;
            if (column > 0) recipe["roads"].push_back({{"nodes", {node - 1, node}}, {"width", width}});
            if (row > 0) recipe["roads"].push_back({{"nodes", {node - side, node}}, {"width", width}});
        }
    }
    recipe["plots"] = json::array();
    recipe["mission"] = {{"kind", "eliminate"}, {"extraction", false}, {"hold_seconds", 4}};
    recipe["spawn"] = {{"node", 0}, {"radius", 8}};
    recipe["objectives"] = json::array();
    for (int node : objectiveNodes) recipe["objectives"].push_back({{"node", node}, {"radius", 8}, {"kind", "encounter"}});
    recipe["terrain"] = {{"biome", "grassland"}, {"amplitude", 0}, {"water", json::array()}};
    recipe["encounters"] = {{"ground_per_zone", 4}, {"air_units", 2}};
    return recipe;
}

// The largest layout the budgets allow on an 8-cell map: 81 nodes, 144
// roads, 8 objectives of 8 ground actors each and 8 air units.
inline json largestRecipe() {
    json recipe = gridRecipe(9, 105, {8, 20, 24, 40, 44, 60, 72, 80});
    recipe["encounters"] = {{"ground_per_zone", 8}, {"air_units", 8}};
    return recipe;
}

// An empty flat World with the pilot on the recipe's spawn node and the
// recipe's seed, as the layout population leaves it before the encounters.
inline World encounterWorld(const json& recipe) {
    World world;
    world.targets.clear();
    const json& spawn = recipe["nodes"][recipe["spawn"]["node"].get<std::size_t>()];
    world.pilot.position = {spawn[0].get<float>(), 0.0f, spawn[1].get<float>()};
    world.prototypeSeed = recipe["seed"].get<u32>();
    return world;
}

}  // namespace bastion::fixtures

#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

// Valid procedural recipes that the validation tests mutate one key at a time.
namespace bastion::fixtures {

using json = nlohmann::json;

// Two nodes 200 m apart on one arterial road, one plot beside it, spawn and
// one encounter objective.
inline json smallRecipeV2() {
    return json::parse(R"({
        "schema": "bastion-procedural-layout", "version": 2, "seed": 7,
        "units": "metres", "plane": "xz", "ground_y": 0, "pilot_radius": 3.5,
        "bounds": [-200, -200, 200, 200],
        "nodes": [[-100, 0], [100, 0]],
        "roads": [{"nodes": [0, 1], "width": 20, "class": "arterial"}],
        "plots": [{"id": 0, "bounds": [-60, 20, -20, 60], "role": "urban", "sources": ["sb1"]}],
        "mission": {"kind": "eliminate", "extraction": false, "hold_seconds": 4},
        "spawn": {"node": 0, "radius": 8},
        "objectives": [{"node": 1, "radius": 8, "kind": "encounter"}]
    })");
}

// The same layout as version 3 with an empty terrain.
inline json smallRecipeV3() {
    json recipe = smallRecipeV2();
    recipe["version"] = 3;
    recipe["terrain"] = {{"biome", "urban"}, {"amplitude", 0}, {"water", json::array()}};
    recipe["plots"][0]["buildings"] = 2;
    recipe["encounters"] = {{"ground_per_zone", 4}, {"air_units", 0}};
    return recipe;
}

// A version-3 strike mission with extraction that uses every section:
// districts, a plot per objective, a dry plot over water, two touching water
// bodies.
//
//        node 3 (100,100)   plot 2 [120..160]
//          |
//  node 0 --- node 1 --- node 2
//  (-100,0)   (0,0)      (100,0)     plot 0 [20..60] off node 1's corner
inline json strikeRecipeV3() {
    return json::parse(R"({
        "schema": "bastion-procedural-layout", "version": 3, "generator": "test",
        "seed": 4294967295, "units": "metres", "plane": "xz", "ground_y": 0.0,
        "pilot_radius": 3.5, "bounds": [-200, -200, 200, 200],
        "nodes": [[-100, 0], [0, 0], [100, 0], [100, 100]],
        "roads": [
            {"nodes": [0, 1], "width": 20, "class": "arterial"},
            {"nodes": [2, 1], "width": 20},
            {"nodes": [2, 3], "width": 20, "class": "local"}
        ],
        "districts": [
            {"id": 5, "role": "industrial", "sources": ["sb1", "sb2"]},
            {"id": 0, "role": "urban", "sources": ["sb1"]}
        ],
        "plots": [
            {"id": 0, "bounds": [20, 20, 60, 60], "role": "industrial",
             "sources": ["sb2", "sb1"], "district": 5, "buildings": 3},
            {"id": 1, "bounds": [-60, 20, -20, 60], "role": "urban", "sources": ["sb1"],
             "district": 0, "buildings": 2},
            {"id": 2, "bounds": [120, 120, 160, 160], "role": "storage", "sources": ["sb2"],
             "buildings": 1},
            {"id": 3, "bounds": [-170, -170, -130, -130], "role": "storage", "sources": ["sb2"],
             "buildings": 0}
        ],
        "mission": {"kind": "strike", "extraction": true, "hold_seconds": 4},
        "spawn": {"node": 0, "radius": 8},
        "objectives": [
            {"node": 1, "radius": 8, "kind": "strike", "plot": 0},
            {"node": 3, "radius": 8, "kind": "strike", "plot": 2}
        ],
        "extraction": {"node": 0, "radius": 8},
        "terrain": {"biome": "hills", "amplitude": 18, "water_layout": "lake",
                    "water": [
                        {"bounds": [-180, -180, -120, -120], "level": -1, "depth": 6},
                        {"bounds": [-120, -180, -100, -150], "level": 0, "depth": 2}
                    ]},
        "encounters": {"ground_per_zone": 4, "air_units": 2}
    })");
}

// Version 3, eliminate: `nodeCount` nodes 20 m apart along x joined in a
// line, the spawn on node 0 and `objectiveCount` objectives on nodes 1, 2, ...
inline json lineRecipeV3(std::size_t nodeCount, std::size_t objectiveCount) {
    json recipe = smallRecipeV3();
    recipe["bounds"] = {-1000, -200, 1000, 200};
    recipe["nodes"] = json::array();
    recipe["roads"] = json::array();
    recipe["plots"] = json::array();
    recipe["objectives"] = json::array();
    for (std::size_t i = 0; i < nodeCount; ++i) {
        recipe["nodes"].push_back({-800.0 + 20.0 * static_cast<double>(i), 0});
        if (i > 0) {
            recipe["roads"].push_back({{"nodes", {i - 1, i}}, {"width", 20}});
        }
    }
    for (std::size_t i = 1; i <= objectiveCount; ++i) {
        recipe["objectives"].push_back({{"node", i}, {"radius", 8}, {"kind", "encounter"}});
    }
    return recipe;
}

}  // namespace bastion::fixtures

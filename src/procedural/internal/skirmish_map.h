#pragma once

// Internal to the procedural library: the working data of one skirmish
// generation and its steps. Each step draws from the map's generator state,
// so the steps run in the order the generator calls them, and no other code
// may draw in between.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "world/math.h"
#include "world/random.h"

namespace bastion::skirmish {

using json = nlohmann::json;

// Refuses the settings with "Invalid Skirmish settings: " + `message`.
void require(bool condition, const char* message);

// A guard that the settings' limits keep out of reach; it stays so that a
// change of those limits fails loudly instead of writing a broken map.
[[noreturn]] void noSafeSite();

// Node i lies on z line i / n and x line i % n; block (bz, bx) lies between
// lines bx, bx + 1 and bz, bz + 1 and holds plot bz * cells + bx.
struct Map {
    int cells = 0;
    int n = 0;    // grid lines per axis
    int mid = 0;  // the line whose row and column roads are arterial
    float half = 0.0f;
    u32 state = kDefaultSeed;
    std::vector<float> xLines;
    std::vector<float> zLines;
    std::set<std::pair<int, int>> roads;      // (a, b) with a < b
    std::vector<std::vector<int>> adjacency;  // per node, in road order

    int nodeCount() const { return n * n; }
    int row(int node) const { return node / n; }
    int col(int node) const { return node % n; }
    u32 draw() { return xorshift32(state); }
};

struct Plot {
    float minX = 0.0f;
    float minZ = 0.0f;
    float maxX = 0.0f;
    float maxZ = 0.0f;
    int district = 0;
    std::string role;
    bool strike = false;
    int buildings = -1;  // -1 until a water or building step sets it
};

// Grid lines, spanning tree, extra roads and, if needed, one loop.
Map layRoads(int cells, u32 seed);
json nodesJson(const Map& map);
json roadsJson(const Map& map);

// The four quadrant districts (one draw), then one plot per block (two draws
// each).
json makeDistricts(Map& map);
std::vector<Plot> makePlots(Map& map, const json& districts);

// The objective zones, one or two draws each; strike objectives mark their
// plot.
json placeObjectives(Map& map, std::vector<Plot>& plots, const std::string& kind, int count);

// The water body of the resolved option ("canal", "lake" or "none"); a canal
// moves the plots beside it, a lake empties its plot. Draws nothing.
json cutWater(const Map& map, std::vector<Plot>& plots, const std::string& layout, u32 seed);

// Buildings for every plot that has no count yet, within the scenery budget.
void placeBuildings(std::vector<Plot>& plots, int density);

json plotsJson(const std::vector<Plot>& plots, const json& districts);

}  // namespace bastion::skirmish

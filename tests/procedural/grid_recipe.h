#pragma once

#include <nlohmann/json.hpp>

// A skirmish-sized version-3 strike recipe, written by hand: a cells x cells
// block map of 120 m blocks with a full road grid ((cells + 1)^2 nodes, the
// middle row and column arterial), one plot per block in four districts,
// three strike objectives in the far corners, extraction and a canal. With 8
// cells it holds every budget at its limit: 81 nodes, 144 roads, 64 plots of
// 12 buildings.
namespace bastion::fixtures {

inline nlohmann::json gridRecipeV3(int cells, int buildingsPerPlot) {
    using json = nlohmann::json;
    const int n = cells + 1;
    const int mid = cells / 2;
    const double half = cells * 120 * 0.5;
    auto line = [&](int k) { return -half + 120.0 * k; };

    json recipe = {
        {"schema", "bastion-procedural-layout"},
        {"version", 3},
        {"generator", "fixture"},
        {"seed", 1234u},
        {"units", "metres"},
        {"plane", "xz"},
        {"ground_y", 0},
        {"pilot_radius", 3.5},
        {"bounds", {-(half + 24), -(half + 24), half + 24, half + 24}},
        {"mission", {{"kind", "strike"}, {"extraction", true}, {"hold_seconds", 4}}},
        {"spawn", {{"node", 0}, {"radius", 8}}},
        {"extraction", {{"node", 0}, {"radius", 8}}},
        {"encounters", {{"ground_per_zone", 4}, {"air_units", 2}}},
    };
    for (int i = 0; i < n * n; ++i) {
        recipe["nodes"].push_back({line(i % n), line(i / n)});
    }
    for (int i = 0; i < n * n; ++i) {
        const int row = i / n;
        const int col = i % n;
        if (col + 1 < n) {
            const bool arterial = row == mid;
            recipe["roads"].push_back({{"nodes", {i, i + 1}},
                                       {"width", arterial ? 28 : 20},
                                       {"class", arterial ? "arterial" : "local"}});
        }
        if (row + 1 < n) {
            const bool arterial = col == mid;
            recipe["roads"].push_back({{"nodes", {i, i + n}},
                                       {"width", arterial ? 28 : 20},
                                       {"class", arterial ? "arterial" : "local"}});
        }
    }
    const char* roles[] = {"industrial", "storage", "urban", "industrial"};
    const json sources[] = {{"sb1", "sb2"}, {"sb1"}, {"sb2"}, {"sb1", "sb2"}};
    for (int d = 0; d < 4; ++d) {
        recipe["districts"].push_back({{"id", d}, {"role", roles[d]}, {"sources", sources[d]}});
    }
    // The canal runs along z 15..29 m east of x line 1; the plots of block
    // column 1 keep 32 m clear of that line.
    const double canal = line(1);
    for (int id = 0; id < cells * cells; ++id) {
        const int bz = id / cells;
        const int bx = id % cells;
        const int d = (bx >= cells * 0.5 ? 1 : 0) + (bz >= cells * 0.5 ? 2 : 0);
        const double minX = bx == 1 ? canal + 32 : line(bx) + 20;
        recipe["plots"].push_back({{"id", id},
                                   {"bounds", {minX, line(bz) + 20, line(bx + 1) - 20, line(bz + 1) - 20}},
                                   {"district", d},
                                   {"role", roles[d]},
                                   {"sources", sources[d]},
                                   {"buildings", buildingsPerPlot}});
    }
    // Far corners, each with the plot of its corner block.
    const int objectives[][2] = {{n * n - 1, cells * cells - 1}, {n - 1, cells - 1}, {n * (n - 1), cells * (cells - 1)}};
    for (const auto& [node, plot] : objectives) {
        recipe["objectives"].push_back({{"node", node}, {"radius", 8}, {"kind", "strike"}, {"plot", plot}});
    }
    recipe["terrain"] = {
        {"biome", "grassland"},
        {"amplitude", 3},
        {"water_layout", "canal"},
        {"water", {{{"bounds", {canal + 15, -(half + 24) + 8, canal + 29, half + 24 - 8}},
                    {"level", -1},
                    {"depth", 6}}}},
    };
    return recipe;
}

}  // namespace bastion::fixtures

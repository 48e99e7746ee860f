#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "procedural/internal/skirmish_map.h"

namespace bastion::skirmish {
namespace {

constexpr std::array<const char*, 3> kRoles = {"industrial", "storage", "urban"};

// A 20 m margin on each side of the block, then an inset of 0..8 m more:
// returns the half extent that is left.
float insetHalf(Map& map, float low, float high) {
    const float half = ((high - low) - 40.0f) * 0.5f;
    const int choices = std::min(static_cast<int>(std::trunc(half - 4.0f)), 8) + 1;
    if (choices <= 0) noSafeSite();
    const u32 inset = map.draw() % static_cast<u32>(choices);
    return half - static_cast<float>(inset);
}

float width(const Plot& plot) { return plot.maxX - plot.minX; }
float depth(const Plot& plot) { return plot.maxZ - plot.minZ; }

json rectJson(float minX, float minZ, float maxX, float maxZ) {
    return {static_cast<double>(minX), static_cast<double>(minZ), static_cast<double>(maxX),
            static_cast<double>(maxZ)};
}

json waterBody(float minX, float minZ, float maxX, float maxZ) {
    return {{"bounds", rectJson(minX, minZ, maxX, maxZ)}, {"level", -1}, {"depth", 6}};
}

// A 14 m canal along z on the +x side of interior x line k + 1; the plots of
// the block column beyond it keep a 32 m margin from that line.
json cutCanal(const Map& map, std::vector<Plot>& plots, u32 seed) {
    const u32 k = (seed / 7u) % static_cast<u32>(map.cells - 1);
    const float x = map.xLines[k + 1];
    const float next = map.xLines[k + 2];
    const float edge = map.half + 24.0f;
    for (std::size_t id = 0; id < plots.size(); ++id) {
        if (id % static_cast<std::size_t>(map.cells) != k + 1) continue;
        Plot& plot = plots[id];
        const float slack = std::max(next - x - 60.0f, 0.0f);
        const float west = std::min(slack, std::max(plot.minX - x - 20.0f, 0.0f));
        const float east = std::min(slack - west, std::max(next - 20.0f - plot.maxX, 0.0f));
        plot.minX = x + 32.0f + west;
        plot.maxX = next - 20.0f - east;
    }
    return json::array({waterBody(x + 15.0f, -edge + 8.0f, x + 29.0f, edge - 8.0f)});
}

// A reservoir on a plot that no strike objective needs; it holds no
// buildings.
json cutLake(std::vector<Plot>& plots, u32 seed) {
    std::vector<std::size_t> free;
    for (std::size_t id = 0; id < plots.size(); ++id) {
        if (!plots[id].strike) free.push_back(id);
    }
    require(!free.empty(), "no safe reservoir parcel");
    Plot& plot = plots[free[(seed / 11u) % static_cast<u32>(free.size())]];
    const float inset = std::min((std::min(width(plot), depth(plot)) - 4.0f) * 0.5f, 2.0f);
    plot.buildings = 0;
    return json::array({waterBody(plot.minX + inset, plot.minZ + inset, plot.maxX - inset, plot.maxZ - inset)});
}

}  // namespace

json makeDistricts(Map& map) {
    const u32 rotation = map.draw() % 3u;
    const json mixed = {"sb1", "sb2"};
    const std::array<json, 4> sources = {mixed, json::array({"sb1"}), json::array({"sb2"}), mixed};
    json districts = json::array();
    for (u32 i = 0; i < 4; ++i) {
        districts.push_back({{"id", static_cast<int>(i)}, {"role", kRoles[(rotation + i) % 3u]}, {"sources", sources[i]}});
    }
    return districts;
}

std::vector<Plot> makePlots(Map& map, const json& districts) {
    std::vector<Plot> plots;
    const double middle = map.cells * 0.5;
    for (int bz = 0; bz < map.cells; ++bz) {
        for (int bx = 0; bx < map.cells; ++bx) {
            const float x0 = map.xLines[static_cast<std::size_t>(bx)];
            const float x1 = map.xLines[static_cast<std::size_t>(bx + 1)];
            const float z0 = map.zLines[static_cast<std::size_t>(bz)];
            const float z1 = map.zLines[static_cast<std::size_t>(bz + 1)];
            const float hx = insetHalf(map, x0, x1);
            const float hz = insetHalf(map, z0, z1);
            const float cx = (x0 + x1) * 0.5f;
            const float cz = (z0 + z1) * 0.5f;
            Plot plot;
            plot.minX = cx - hx;
            plot.minZ = cz - hz;
            plot.maxX = cx + hx;
            plot.maxZ = cz + hz;
            plot.district = (bx >= middle ? 1 : 0) + (bz >= middle ? 2 : 0);
            plot.role = districts[static_cast<std::size_t>(plot.district)]["role"].get<std::string>();
            plots.push_back(plot);
        }
    }
    return plots;
}

json cutWater(const Map& map, std::vector<Plot>& plots, const std::string& layout, u32 seed) {
    if (layout == "canal") return cutCanal(map, plots, seed);
    if (layout == "lake") return cutLake(plots, seed);
    return json::array();
}

// Counted on an 18 m grid inside the plot, capped by the density and by an
// equal share of the 768-building scenery budget.
void placeBuildings(std::vector<Plot>& plots, int density) {
    const int share = 768 / static_cast<int>(plots.size());
    for (Plot& plot : plots) {
        if (plot.buildings >= 0) continue;
        const int across = std::max(static_cast<int>(std::trunc(width(plot) / 18.0f)), 1);
        const int deep = std::max(static_cast<int>(std::trunc(depth(plot) / 18.0f)), 1);
        plot.buildings = std::min({across * deep, density, share});
    }
}

json plotsJson(const std::vector<Plot>& plots, const json& districts) {
    json list = json::array();
    for (std::size_t id = 0; id < plots.size(); ++id) {
        const Plot& plot = plots[id];
        const json& district = districts[static_cast<std::size_t>(plot.district)];
        list.push_back({{"id", static_cast<u32>(id)},
                        {"bounds", rectJson(plot.minX, plot.minZ, plot.maxX, plot.maxZ)},
                        {"district", plot.district},
                        {"sources", district["sources"]},
                        {"role", district["role"]},
                        {"buildings", plot.buildings}});
    }
    return list;
}

}  // namespace bastion::skirmish

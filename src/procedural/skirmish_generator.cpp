#include "procedural/skirmish_generator.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "procedural/internal/skirmish_map.h"
#include "procedural/recipe_validation.h"

namespace bastion {
namespace skirmish {

void require(bool condition, const char* message) {
    if (!condition) throw std::invalid_argument(std::string("Invalid Skirmish settings: ") + message);
}

void noSafeSite() { throw std::runtime_error("No safe Skirmish site"); }

}  // namespace skirmish

namespace {

using skirmish::json;
using skirmish::require;

constexpr std::array<const char*, 3> kMissionKinds = {"eliminate", "strike", "recon"};
constexpr std::array<const char*, 4> kBiomes = {"urban", "grassland", "desert", "hills"};
constexpr std::array<const char*, 3> kAutoWater = {"canal", "lake", "none"};

template <std::size_t N>
bool oneOf(const std::string& value, const std::array<std::string_view, N>& options) {
    return std::find(options.begin(), options.end(), value) != options.end();
}

// Compared as unsigned, so a negative value fails its range as well.
bool within(int value, unsigned low, unsigned high) {
    const auto v = static_cast<unsigned>(value);
    return low <= v && v <= high;
}

void checkSettings(const SkirmishSettings& settings) {
    require(within(settings.mapBlocks, 2, 8), "map cells must be 2..8");
    require(within(settings.sceneryDensity, 1, 16), "density must be 1..16");
    require(within(settings.groundUnitsPerZone, 1, 12), "ground units must be 1..12 per zone");
    require(within(settings.airUnits, 0, 8), "air units must be 0..8");
    require(oneOf(settings.terrain, skirmishTerrainOptions), "unknown terrain");
    require(oneOf(settings.water, skirmishWaterOptions), "unknown water layout");
    if (!within(settings.objective, 0, 2)) throw std::invalid_argument("Invalid Skirmish objective");
}

// "auto" options follow the seed itself, not the generator state, so the
// seed line alone tells a player which map to expect.
std::string resolvedBiome(const SkirmishSettings& settings) {
    return settings.terrain == "auto" ? kBiomes[(settings.seed >> 1) & 3u] : settings.terrain;
}

std::string resolvedWater(const SkirmishSettings& settings) {
    return settings.water == "auto" ? kAutoWater[settings.seed % 3u] : settings.water;
}

int amplitude(const std::string& biome) {
    if (biome == "grassland") return 3;
    if (biome == "desert") return 5;
    if (biome == "hills") return 18;
    return 0;
}

}  // namespace

json generateSkirmishRecipe(const SkirmishSettings& settings) {
    checkSettings(settings);
    const std::string kind = kMissionKinds[static_cast<std::size_t>(settings.objective)];
    const std::string biome = resolvedBiome(settings);
    const std::string water = resolvedWater(settings);

    skirmish::Map map = skirmish::layRoads(settings.mapBlocks, settings.seed);
    const json districts = skirmish::makeDistricts(map);
    std::vector<skirmish::Plot> plots = skirmish::makePlots(map, districts);
    json objectives = skirmish::placeObjectives(map, plots, kind, std::min(settings.mapBlocks, 3));
    json bodies = skirmish::cutWater(map, plots, water, settings.seed);
    skirmish::placeBuildings(plots, settings.sceneryDensity);

    const double edge = static_cast<double>(map.half + 24.0f);
    json recipe = {
        {"schema", "bastion-procedural-layout"},
        {"version", 3},
        {"generator", "xorshift32-v3"},
        {"seed", settings.seed},
        {"units", "metres"},
        {"plane", "xz"},
        {"ground_y", 0},
        {"pilot_radius", 3.5},
        {"bounds", {-edge, -edge, edge, edge}},
        {"nodes", skirmish::nodesJson(map)},
        {"roads", skirmish::roadsJson(map)},
        {"districts", districts},
        {"plots", skirmish::plotsJson(plots, districts)},
        {"spawn", {{"node", 0}, {"radius", 8}}},
        {"mission", {{"kind", kind}, {"extraction", settings.extraction}, {"hold_seconds", 4}}},
        {"objectives", std::move(objectives)},
        {"terrain", {{"biome", biome}, {"amplitude", amplitude(biome)}, {"water", std::move(bodies)}, {"water_layout", water}}},
        {"encounters", {{"ground_per_zone", settings.groundUnitsPerZone}, {"air_units", settings.airUnits}}},
    };
    if (settings.extraction) recipe["extraction"] = {{"node", 0}, {"radius", 8}};
    validateProceduralRecipe(recipe);
    return recipe;
}

}  // namespace bastion

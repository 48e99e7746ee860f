#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "procedural/internal/recipe_values.h"
#include "procedural/recipe_validation.h"

namespace bastion {
namespace {

using namespace recipe;

void require(bool condition, const char* message) {
    check(condition, "Invalid procedural terrain: ", message);
}

// The terrain builder compares in single precision, so the checks do too.
// A layout value that is not a rectangle (only possible when the layout
// checks were skipped) reads as NaN: nothing lies inside it and nothing
// overlaps it.
Rect<float> floatRect(const json* value) {
    if (!isRect(value)) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan, nan};
    }
    return recipe::toFloat(recipe::rectOf(*value));
}

const json& arrayOrEmpty(const json* value) {
    static const json empty = json::array();
    return value != nullptr && value->is_array() ? *value : empty;
}

std::vector<Rect<float>> checkWater(const json& terrain, const Rect<float>& world) {
    const json* water = field(terrain, "water");
    require(water != nullptr && water->is_array() && water->size() <= 8, "water budget exceeded");
    std::vector<Rect<float>> bodies;
    for (const auto& body : *water) {
        const json* bounds = field(body, "bounds");
        require(isRect(bounds), "invalid water rectangle");
        const Rect<float> r = floatRect(bounds);
        require(recipe::inside(r, world), "water outside map");
        require(numberIn(field(body, "level"), -4.0, 0.0), "invalid water level");
        require(numberIn(field(body, "depth"), 2.0, 16.0), "invalid water depth");
        for (const auto& earlier : bodies) {
            require(!recipe::overlaps(r, earlier), "overlapping water bodies");
        }
        bodies.push_back(r);
    }
    return bodies;
}

void checkBuildings(const json& recipe, const std::vector<Rect<float>>& water) {
    const json& plots = arrayOrEmpty(field(recipe, "plots"));
    double sum = 0.0;
    for (const auto& plot : plots) {
        const json* buildings = field(plot, "buildings");
        require(integerIn(buildings, 0, 16), "invalid parcel density");
        const double count = buildings->get<double>();
        if (count > 0) {
            const Rect<float> r = floatRect(field(plot, "bounds"));
            for (const auto& body : water) {
                require(!recipe::overlaps(r, body), "building parcel overlaps water");
            }
        }
        sum += count;
    }
    require(sum <= 768.0, "scenery budget exceeded");

    const json* mission = field(recipe, "mission");
    if (mission == nullptr || !isString(field(*mission, "kind"), "strike")) {
        return;
    }
    for (const auto& objective : arrayOrEmpty(field(recipe, "objectives"))) {
        const json* plot = field(objective, "plot");
        const bool named = integerIn(plot, 0, static_cast<double>(plots.size()) - 1.0);
        require(named && plots[static_cast<std::size_t>(plot->get<double>())]["buildings"] > 0,
                "strike target parcel is empty");
    }
}

void checkEncounters(const json& recipe) {
    const json* encounters = field(recipe, "encounters");
    require(encounters != nullptr && encounters->is_object(), "missing encounter controls");
    const json* ground = field(*encounters, "ground_per_zone");
    const double objectives = static_cast<double>(arrayOrEmpty(field(recipe, "objectives")).size());
    require(integerIn(ground, 1, 12) && ground->get<double>() * objectives <= 64.0,
            "ground encounter budget exceeded");
    require(integerIn(field(*encounters, "air_units"), 0, 8), "air encounter budget exceeded");
}

}  // namespace

void validateProceduralTerrain(const nlohmann::json& recipe) {
    const json* terrain = field(recipe, "terrain");
    require(terrain != nullptr && terrain->is_object(), "missing physical terrain");
    const json* biome = field(*terrain, "biome");
    require(isString(biome, "urban") || isString(biome, "grassland") ||
                isString(biome, "desert") || isString(biome, "hills"),
            "unknown biome");
    require(numberIn(field(*terrain, "amplitude"), 0.0, 24.0), "invalid elevation amplitude");
    const Rect<float> world = floatRect(field(recipe, "bounds"));
    checkBuildings(recipe, checkWater(*terrain, world));
    checkEncounters(recipe);
}

}  // namespace bastion

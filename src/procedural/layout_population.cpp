#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "platform/regular_file.h"
#include "procedural/internal/encounters.h"
#include "procedural/internal/layout_templates.h"
#include "procedural/internal/mission_update.h"
#include "procedural/internal/plot_scenery.h"
#include "procedural/internal/terrain_builder.h"
#include "procedural/recipe_validation.h"
#include "world/world.h"

namespace bastion {
namespace {

using json = nlohmann::json;

constexpr std::uintmax_t kRecipeFileLimit = 1048576;
constexpr int kEliminate = 0;
constexpr int kStrike = 1;
constexpr int kRecon = 2;
constexpr float kStrikeHealth = 300.0f;
constexpr float kDefaultHold = 4.0f;
constexpr int kSupplyKind = 22;
constexpr float kSupplyRoadLength = 24.0f;
constexpr float kSupplyDistance = 20.0f;
constexpr Vec3 kFlatGroundColour{0.22f, 0.30f, 0.19f};
constexpr Vec3 kArterialColour{0.25f, 0.27f, 0.28f};
constexpr Vec3 kLocalColour{0.18f, 0.21f, 0.22f};

[[noreturn]] void singleplayerOnly() { throw std::runtime_error("Procedural mission is singleplayer only"); }

Vec3 nodePoint(const json& recipe, std::size_t node) {
    const json& point = recipe.at("nodes").at(node);
    return {point.at(0).get<float>(), 0.0f, point.at(1).get<float>()};
}

// The node's point on the ground.
Vec3 groundPoint(const World& world, const json& recipe, std::size_t node) {
    Vec3 p = nodePoint(recipe, node);
    p.y = world.surfaceHeight(p.x, p.z);
    return p;
}

// The far end of every road that starts or ends at `node`, in recipe order.
std::vector<std::size_t> farEnds(const json& recipe, std::size_t node) {
    std::vector<std::size_t> ends;
    for (const json& road : recipe.at("roads")) {
        const auto a = road.at("nodes").at(0).get<std::size_t>(), b = road.at("nodes").at(1).get<std::size_t>();
        if (a == node) ends.push_back(b);
        if (b == node && a != node) ends.push_back(a);
    }
    return ends;
}

// The flat ground of a version 1 or 2 layout: one quad per road corridor.
void flatRoads(World& world, const json& recipe) {
    for (const json& road : recipe.at("roads")) {
        const Vec3 a = nodePoint(recipe, road.at("nodes").at(0).get<std::size_t>());
        const Vec3 b = nodePoint(recipe, road.at("nodes").at(1).get<std::size_t>());
        const float half = road.at("width").get<float>() * 0.5f;
        const json* kind = road.contains("class") ? &road.at("class") : nullptr;
        const Vec3 colour = kind != nullptr && *kind == "arterial" ? kArterialColour : kLocalColour;
        const float x0 = std::min(a.x, b.x) - half, x1 = std::max(a.x, b.x) + half;
        const float z0 = std::min(a.z, b.z) - half, z1 = std::max(a.z, b.z) + half;
        for (const Vec3 corner : {Vec3{x0, 0, z0}, Vec3{x1, 0, z0}, Vec3{x1, 0, z1}, Vec3{x0, 0, z0}, Vec3{x1, 0, z1},
                                  Vec3{x0, 0, z1}}) {
            WorldVertex vertex;
            vertex.position = corner;
            vertex.colour = colour;
            world.terrain.push_back(vertex);
        }
    }
    world.indexTerrain();
}

// Empties everything the prototype base placed; the ground index goes too,
// so nothing is stood on the prototype's ground.
void clearForLayout(World& world) {
    world.targets.clear();
    world.terrain.clear();
    world.indexTerrain();
    world.pickups.clear();
    world.projectiles.clear();
    world.effects.clear();
    world.sounds.clear();
    world.proceduralMission = ProceduralMission{};
}

void placePilot(World& world, const json& recipe) {
    const auto spawn = recipe.at("spawn").at("node").get<std::size_t>();
    const Vec3 at = groundPoint(world, recipe, spawn);
    Pilot& pilot = world.pilot;
    pilot.position = at;
    float yaw = 0.0f;
    if (const std::vector<std::size_t> ends = farEnds(recipe, spawn); !ends.empty()) {
        const Vec3 far = nodePoint(recipe, ends.front());
        yaw = std::atan2(-(far.x - at.x), -(far.z - at.z));
    }
    pilot.angles[0] = yaw;
    pilot.angles[1] = 0.0f;
    pilot.angles[2] = yaw;
    pilot.angles[3] = 0.0f;
}

int objectiveKind(const std::string& mission) {
    if (mission == "recon") return kRecon;
    if (mission == "strike") return kStrike;
    return kEliminate;
}

// The building of the strike plot nearest the zone centre; the first placed
// wins a tie.
u64 strikeTarget(const World& world, const std::vector<u64>& buildings, Vec3 centre) {
    if (buildings.empty()) throw std::runtime_error("Strike target parcel has no building");
    u64 best = buildings.front();
    float nearest = length(world.targets[best].position - centre);
    for (const u64 index : buildings) {
        const float distance = length(world.targets[index].position - centre);
        if (distance < nearest) {
            nearest = distance;
            best = index;
        }
    }
    return best;
}

void setObjectives(World& world, const json& recipe, int version, const std::vector<std::vector<u64>>& plots) {
    ProceduralMission& mission = world.proceduralMission;
    const std::string kind = version == 1 ? "eliminate" : recipe.at("mission").at("kind").get<std::string>();
    const json& spawn = recipe.at("spawn");
    mission.extraction = world.pilot.position;
    mission.extractionRadius = spawn.at("radius").get<float>();
    if (version >= 2) mission.extractionRequired = recipe.at("mission").at("extraction").get<bool>();
    if (mission.extractionRequired) {
        const json& zone = recipe.at("extraction");
        mission.extraction = groundPoint(world, recipe, zone.at("node").get<std::size_t>());
        mission.extractionRadius = zone.at("radius").get<float>();
    }
    float hold = kDefaultHold;
    if (version >= 2) hold = recipe.at("mission").value("hold_seconds", kDefaultHold);
    const json& objectives = recipe.at("objectives");
    for (std::size_t i = 0; i < objectives.size(); ++i) {
        const json& zone = objectives[i];
        ProceduralObjective objective;
        objective.kind = objectiveKind(kind);
        objective.centre = groundPoint(world, recipe, zone.at("node").get<std::size_t>());
        objective.radius = zone.at("radius").get<float>();
        objective.holdSeconds = hold;
        if (objective.kind == kStrike) {
            const auto plot = zone.at("plot").get<std::size_t>();
            const u64 index = strikeTarget(world, plots.at(plot), objective.centre);
            Target& structure = world.targets[index];
            structure.prototypeObjective = true;
            structure.objectiveIndex = static_cast<int>(i);
            structure.health = kStrikeHealth * world.ratio;
            structure.initialHealth = structure.health;
            structure.lastHealth = structure.health;
            objective.targets = {index};
            objective.centre = structure.position;
        }
        mission.objectives.push_back(std::move(objective));
    }
}

// Each eliminate zone is done when its own encounter actors are down.
void listEncounterActors(World& world) {
    std::vector<ProceduralObjective>& objectives = world.proceduralMission.objectives;
    for (std::size_t i = 0; i < objectives.size(); ++i) {
        if (objectives[i].kind != kEliminate) continue;
        for (u64 t = 0; t < world.targets.size(); ++t) {
            const Target& target = world.targets[t];
            if (target.prototypeObjective && target.unitType >= 0 && target.objectiveIndex == static_cast<int>(i))
                objectives[i].targets.push_back(t);
        }
        if (objectives[i].targets.empty()) throw std::runtime_error("Procedural encounter has no objective actors");
    }
}

// A supply crate 20 m down the first spawn road long enough for it.
void placeSupply(World& world, const json& recipe) {
    const auto spawn = recipe.at("spawn").at("node").get<std::size_t>();
    const Vec3 pilot = world.pilot.position;
    for (const std::size_t end : farEnds(recipe, spawn)) {
        const Vec3 far = groundPoint(world, recipe, end);
        const float distance = length(far - pilot);
        if (!(distance >= kSupplyRoadLength)) continue;
        Pickup supply;
        supply.kind = kSupplyKind;
        supply.position = pilot + (far - pilot) * (kSupplyDistance / distance);
        world.pickups.push_back(supply);
        return;
    }
}

void populateLayout(World& world, const std::filesystem::path& root, const json& recipe) {
    const int version = recipe.at("version").get<int>();
    world.loadMissionPrototype(root, recipe.at("seed").get<u32>());
    const json* encounters = recipe.contains("encounters") ? &recipe.at("encounters") : nullptr;
    const bool aircraft = version >= 3 && encounters != nullptr && encounters->value("air_units", 0) > 0;
    const layout::Templates templates = layout::gatherTemplates(world, root, aircraft);
    clearForLayout(world);
    if (version >= 3) buildProceduralTerrain(world, recipe);
    const std::vector<std::vector<u64>> plots = furnishPlots(world, recipe, templates.scenery);
    if (version < 3) flatRoads(world, recipe);
    placePilot(world, recipe);
    setObjectives(world, recipe, version, plots);
    world.procedural = true;
    populateProceduralEncounters(world, recipe, templates.actors);
    listEncounterActors(world);
    placeSupply(world, recipe);
    if (version < 3) world.groundColour = kFlatGroundColour;
    updateProceduralMission(world, 0.0f);
}

}  // namespace

void World::loadProceduralPrototype(const std::filesystem::path& root, const std::filesystem::path& layout) {
    if (coop) singleplayerOnly();
    platform::FileRefusal refusal{};
    const std::optional<std::string> text = platform::readRegularFile(layout, kRecipeFileLimit, &refusal);
    if (!text && refusal == platform::FileRefusal::unreadable) throw std::runtime_error("Missing procedural recipe");
    if (!text) throw std::runtime_error("Missing or oversized procedural recipe");
    loadProceduralRecipe(root, json::parse(*text));
}

void World::loadProceduralRecipe(const std::filesystem::path& root, const json& recipe) {
    if (coop) singleplayerOnly();
    validateProceduralRecipe(recipe);
    World fresh;
    fresh.pilot = pilot;
    fresh.difficulty = difficulty;
    populateLayout(fresh, root, recipe);
    *this = std::move(fresh);
}

}  // namespace bastion

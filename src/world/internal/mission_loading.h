#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "world/internal/mission_file.h"
#include "world/internal/mission_parameters.h"
#include "world/internal/model_mesh.h"
#include "world/target.h"

namespace bastion {

class World;

// The working state of one mission load, discarded when the load returns.
struct MissionLoad {
    const nlohmann::json& document;  // the whole "missions.json"
    const nlohmann::json& mission;   // "missions"[index]
    ModelMeshContext& meshes;
    std::vector<SpawnRecord> spawns;  // decoded "spawns", in file order
    std::vector<int> spawnMap;        // target index each spawn produced, -1 none

    // The target that spawn `k` produced, or nullptr.
    Target* spawnedTarget(World& world, std::size_t k) const;
};

// Centres a target on its mesh turned by its home yaw: position becomes the
// middle of the turned mesh's box around home, extent its half size. An
// empty mesh leaves position at home and an extent of -1e9, a box that holds
// no point.
void fitToMesh(Target& target);

// The steps of a mission load, in the order the loader runs them.
void placeObjects(World& world, MissionLoad& load);
void presetSB1Counters(World& world);
void loadMissionTerrain(World& world, const nlohmann::json& mission);
void spawnUnits(World& world, MissionLoad& load);
void hitchTrailers(World& world, MissionLoad& load);
void buildGenerators(World& world, MissionLoad& load);
void buildAirDrops(World& world, MissionLoad& load);
void attachShipCargo(World& world, MissionLoad& load);

// The objective line of an SB1 mission 0..15.
const std::string& sb1GoalLine(int mission);

}  // namespace bastion

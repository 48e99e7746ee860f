#include <algorithm>
#include <stdexcept>
#include <string>

#include "world/decoded_json.h"
#include "world/decoded_value.h"
#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {
namespace {

void clearProceduralState(World& world) {
    world.prototype = false;
    world.procedural = false;
    world.proceduralTerrain = false;
    world.prototypeSeed = 0;
    world.proceduralMission = ProceduralMission{};
    world.waterMesh.clear();
    world.water.clear();
    world.cover.clear();
}

// The slot table, kill counts and mission clock, flags and counters start
// afresh, so that loading again into the same World counts nothing twice.
void clearMissionState(World& world) {
    std::fill(std::begin(world.slots), std::end(world.slots), -1);
    std::fill(std::begin(world.killsByType), std::end(world.killsByType), 0);
    std::fill(std::begin(world.counters), std::end(world.counters), 0);
    world.missionFlags = 0;
    world.missionTime = 0.0f;
    world.objectiveRegions.clear();
}

void clearMissionLists(World& world) {
    world.targets.clear();
    world.generators.clear();
    world.cargoFlights.clear();
    world.projectiles.clear();
    world.effects.clear();
    world.pickups.clear();
    world.sounds.clear();
    world.terrain.clear();
    world.kills = 0;
}

void readyPilot(Pilot& pilot, const nlohmann::json& mission) {
    pilot.dead = false;
    pilot.ejection = 0.0f;
    pilot.health = 100.0f;
    pilot.missile = Missile{};
    pilot.gait = 0.0f;
    pilot.position = decodePosition(mission.at("spawn"));
    pilot.angles[0] = decodeYaw(mission.at("yaw"));
    pilot.angles[1] = 0.0f;
}

}  // namespace

void World::loadMission(const std::filesystem::path& root, int mission, int campaignIndex, bool sharedFolder) {
    clearProceduralState(*this);
    if (campaignIndex != 0 && campaignIndex != 1) throw std::runtime_error("Invalid campaign");
    campaign = campaignIndex;
    const int missionCount = campaign == 1 ? kSB2MissionCount : kSB1MissionCount;
    if (mission < 0 || mission >= missionCount) throw std::runtime_error("Invalid mission index");

    const nlohmann::json document = readJson(missionFilePath(root, campaign, sharedFolder));
    checkMissionSchema(document);

    clearMissionState(*this);
    const nlohmann::json& m = document.at("missions").at(static_cast<std::size_t>(mission));
    night = m.at("night").get<bool>();
    objectiveRegions = decodeObjectiveRegions(m);
    missionIndex = mission;
    pilot.status = kStatusActive;

    const DifficultyScaling scaling = decodeDifficulty(m.at("difficulty"), difficulty);
    ratio = scaling.ratio;
    std::copy(std::begin(scaling.projectilePair), std::end(scaling.projectilePair), projectilePair);
    std::copy(std::begin(scaling.healthPair), std::end(scaling.healthPair), healthPair);

    clearMissionLists(*this);
    identity = nextWorldIdentity();
    readyPilot(pilot, m);
    horizon = decodeInt(m.at("horizon"));
    groundColour = decodeColour(m.at("ground"));
    skyColour = decodeColour(m.at("sky"));

    loadDecorations(root);

    ModelMeshContext meshes{{}, *this, sharedFolder, sharedGameplayFolder(root), campaignFolder(root, campaign),
                            m, decodeLight(m.at("light")), document};
    MissionLoad load{document, m, meshes, {}, {}};
    placeObjects(*this, load);
    if (campaign == 0) presetSB1Counters(*this);
    loadMissionTerrain(*this, m);
    spawnUnits(*this, load);
    hitchTrailers(*this, load);
    buildGenerators(*this, load);
    if (campaign == 1) buildAirDrops(*this, load);
    attachShipCargo(*this, load);

    if (campaign == 0) {
        objectiveText = sb1GoalLine(mission);
    } else {
        objectiveText = "SB2 MISSION " + std::to_string(mission + 1);
        initSB2();
    }
    initialCounter = counters[2];
    resetTracking();
}

}  // namespace bastion

#include <memory>
#include <stdexcept>

#include "world/internal/mission_loading.h"
#include "world/internal/unit_rules.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr int kMech = 3;
constexpr int kTractor = 8;
constexpr int kShip = 9;
constexpr int kSB2Objective = 20;
constexpr float kHeavyTankHealthScale = 32.0f;

bool critical(int type, int campaign, int mission) {
    if (type != kTractor) return false;
    if (campaign == 0) return mission == 13;
    return mission == 4 || mission == 8 || mission == 18;
}

// The AI values that the enemy step starts from.
void presetAiState(Target& unit, const ParameterRecord& record) {
    const int type = unit.unitType;
    const int* words = unit.parameters;
    unit.anchor = unit.home;
    unit.lastHealth = unit.health;
    unit.initialHealth = unit.health;
    unit.initialYaw = unit.homeYaw;
    unit.turretYaw = unit.homeYaw;
    unit.cruiseDelay = type == kShip && record.holds(12) ? static_cast<float>(words[3]) : 0.0f;
    if (type == 1)
        unit.burstLeft = record.holds(12) ? words[3] : 0;
    else if (type == 0 || type == 2 || type == 5 || type == 10)
        unit.burstLeft = record.holds(10) ? words[2] : 0;
    unit.passes = type == 7 && record.holds(12) ? words[3] : 0;
}

Target buildUnit(World& world, MissionLoad& load, const SpawnRecord& spawn) {
    const int type = spawn.type;
    const int campaign = world.campaign;
    const ParameterRecord record = decodeParameters(spawn.parameters);

    Target unit;
    unit.unitType = type;
    unit.active = false;
    unit.home = spawn.position;
    unit.homeYaw = spawn.yaw;
    unit.trigger = spawn.trigger;
    unit.flags = spawn.flags;
    unit.range = spawn.range;
    unit.behaviour = record.behaviour;
    unit.attackSlot = static_cast<int>(record.attackWord);
    unit.flagBit = record.flagBit;
    for (int k = 0; k < kParameterWords; ++k) unit.parameters[k] = record.words[k];
    unit.targetSlot = type == kTractor ? unit.attackSlot : -1;

    unit.health = unitBaseHealth(type, 0);
    if (type == kMech) {
        const MechProfile profile = decodeMechProfile(load.mission.at("mech_profile"));
        unit.health = profile.health;
        unit.parameters[0] = profile.words[0];
        unit.parameters[2] = profile.words[1];
        unit.parameters[3] = profile.words[2];
    }
    unit.respawn = spawn.respawn;

    const std::string model = unitModelName(load.document, type, campaign, record);
    if (type == 0)
        unit.health = world.healthPair[0] * ((record.behaviour & kBehaviourHeavyTank) ? kHeavyTankHealthScale : 1.0f);
    else if (type == 1)
        unit.health = world.healthPair[1];
    else if (type == 10)
        unit.health = 150.0f;
    unit.mesh = model.empty() ? std::make_shared<Mesh>() : buildModelMesh(load.meshes, model, unit.homeYaw, -1);
    if (campaign == 1 && (type == 2 || type >= 5)) unit.health = unitBaseHealth(type, 1);

    const int routeOffset = unitRouteOffset(type, campaign);
    if (routeOffset != kNoRoute) {
        std::vector<Vec3> route =
            decodeRoute(spawn.parameters, static_cast<std::size_t>(routeOffset), unit.home.y);
        if (!route.empty() && (record.behaviour & kBehaviourRoute)) unit.route = std::move(route);
    }
    if (campaign == 1 && type == kSB2Objective) {
        unit.route = {spawn.destination.value()};
        unit.hasDestination = true;
    }
    unit.speed = unitSpeed(type, campaign, record);
    unit.critical = critical(type, campaign, world.missionIndex);

    if (!unit.mesh->empty()) {
        fitToMesh(unit);
    } else {
        unit.position = unit.home;
        unit.extent = {0.1f, 0.1f, 0.1f};
    }
    presetAiState(unit, record);
    world.updateEnemyBounds(unit);
    return unit;
}

}  // namespace

Target* MissionLoad::spawnedTarget(World& world, std::size_t k) const {
    if (k >= spawnMap.size() || spawnMap[k] < 0) return nullptr;
    return &world.targets[static_cast<std::size_t>(spawnMap[k])];
}

void spawnUnits(World& world, MissionLoad& load) {
    const auto& spawns = load.mission.at("spawns").get_ref<const nlohmann::json::array_t&>();
    load.spawns.clear();
    load.spawnMap.assign(spawns.size(), -1);
    for (std::size_t k = 0; k < spawns.size(); ++k) {
        load.spawns.push_back(decodeSpawnRecord(spawns[k], world.campaign));
        const SpawnRecord& spawn = load.spawns.back();
        // Every per-type table is indexed by the unit type.
        if (spawn.type < 0 || spawn.type >= kEnemyTypeCount) throw std::runtime_error("Invalid unit type");
        if (spawn.type == kGeneratorRecord) continue;
        Target unit = buildUnit(world, load, spawn);
        load.spawnMap[k] = static_cast<int>(world.targets.size());
        world.targets.push_back(std::move(unit));
    }
}

}  // namespace bastion

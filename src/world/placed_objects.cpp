#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr u32 kDefendAction = 0x80010000u;

// SB1 missions count some of their objects into the mission counters and
// mark the objects to defend.
void applySB1ObjectRules(World& world, Target& object) {
    const int mission = world.missionIndex;
    const int tag = object.tag;
    if (mission == 5 || mission == 11) {
        object.critical = object.action == kDefendAction;
        return;
    }
    object.critical = false;
    if ((mission == 0 && tag == 32) || (mission == 3 && tag == 22))
        ++world.counters[0];
    else if ((mission == 12 && tag <= 127) || (mission == 15 && tag == 33))
        ++world.counters[1];
    if (mission == 10) {
        const Vec3 home = object.home;
        if (home.x >= 14.08f && home.x <= 290.56f && home.z >= -71.68f && home.z <= 102.4f) ++world.counters[2];
    }
}

}  // namespace

void placeObjects(World& world, MissionLoad& load) {
    const bool sb1 = world.campaign == 0;
    for (const nlohmann::json& entry : load.mission.at("objects").get_ref<const nlohmann::json::array_t&>()) {
        const PlacedObject placed = decodePlacedObject(entry);
        Target object;
        object.home = placed.home;
        object.objectType = placed.type;
        object.tag = placed.tag;
        object.action = placed.action;
        object.homeYaw = placed.yaw;

        const CatalogueEntry catalogue = decodeCatalogueEntry(load.document.at("objects").at(placed.type));
        object.health = sb1 && world.missionIndex == 2 && placed.tag == 32 ? 200.0f : catalogue.health;
        object.mesh = buildModelMesh(load.meshes, catalogue.model, object.homeYaw, object.objectType);
        object.wreck = buildModelMesh(load.meshes, catalogue.wreck, object.homeYaw, object.objectType);
        fitToMesh(object);
        if (catalogue.destruction) {
            object.span = catalogue.destruction->span;
            object.step = catalogue.destruction->step;
            object.fragments = catalogue.destruction->fragments;
        }
        if (sb1) applySB1ObjectRules(world, object);

        if (placed.targetSlot >= 1 && placed.targetSlot <= 31) {
            world.slots[placed.targetSlot] = static_cast<int>(world.targets.size());
            object.targetSlot = placed.targetSlot;
        }
        world.targets.push_back(std::move(object));
    }
}

}  // namespace bastion

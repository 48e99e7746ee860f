#include <stdexcept>

#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr int kShip = 9;

// Places `rider` on the ship: it keeps its offset in the ship's own frame.
void mount(Target& rider, const Target& ship, int shipIndex) {
    rider.parent = shipIndex;
    rider.mountOffset = rotate(angles(-ship.homeYaw, 0.0f, 0.0f), rider.home - ship.home);
}

}  // namespace

void attachShipCargo(World& world, MissionLoad& load) {
    for (std::size_t k = 0; k < load.spawns.size(); ++k) {
        const int shipIndex = load.spawnMap[k];
        if (shipIndex < 0) continue;
        const Target& ship = world.targets[static_cast<std::size_t>(shipIndex)];
        if (ship.unitType != kShip || !(ship.behaviour & kBehaviourCarriesShip)) continue;
        const std::size_t attached = static_cast<std::size_t>(ship.parameters[2]);
        if (attached >= load.spawns.size()) throw std::runtime_error("Invalid ship attachment");
        if (Target* rider = load.spawnedTarget(world, attached)) mount(*rider, ship, shipIndex);
        for (Generator& generator : world.generators) {
            if (generator.spawnIndex == static_cast<int>(attached)) mount(generator.unitTemplate, ship, shipIndex);
        }
    }
}

}  // namespace bastion

#include <algorithm>
#include <stdexcept>

#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr int kCarrier = 12;
constexpr int kCargoSlots = 16;

// Words 6..9 name the cargo: 1 or 2 picks the spawn index held in word 0 or
// word 1, 0 ends the list and larger values are skipped.
std::vector<Target> cargoTemplates(World& world, const MissionLoad& load, const Target& carrier, int group) {
    std::vector<Target> cargo;
    for (int w = 6; w <= 9; ++w) {
        const int choice = carrier.parameters[w];
        if (choice == 0) break;
        if (choice > 2) continue;
        const Target* source = load.spawnedTarget(world, static_cast<std::size_t>(carrier.parameters[choice - 1]));
        if (!source) throw std::runtime_error("Invalid SB2 air-drop template");
        Target copy = *source;
        copy.derived = true;
        copy.generator = -1;
        copy.group = group;
        cargo.push_back(std::move(copy));
    }
    return cargo;
}

}  // namespace

void buildAirDrops(World& world, MissionLoad& load) {
    const std::size_t loaded = world.targets.size();
    for (std::size_t c = 0; c < loaded; ++c) {
        if (world.targets[c].unitType != kCarrier) continue;
        const int* words = world.targets[c].parameters;
        CargoFlight flight;
        flight.carrier = c;
        flight.group = std::min(words[10], 2);
        flight.passes = static_cast<u32>(words[5]);
        flight.dropWaypoint = static_cast<u32>(words[2]);
        flight.dropsPerPass = static_cast<u32>(words[3]);
        flight.dropInterval = std::max(static_cast<float>(words[4]) / 256.0f, 0.04f);
        flight.cargo = cargoTemplates(world, load, world.targets[c], flight.group);
        if (!flight.cargo.empty()) {
            for (std::size_t i = 0; i < kCargoSlots; ++i) {
                Target slot = flight.cargo[i % flight.cargo.size()];
                slot.active = false;
                slot.parent = -1;
                flight.slots.push_back(world.targets.size());
                world.targets.push_back(std::move(slot));
            }
        }
        world.cargoFlights.push_back(std::move(flight));
    }
}

}  // namespace bastion

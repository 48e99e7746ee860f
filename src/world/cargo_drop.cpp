#include <algorithm>
#include <cmath>

#include "world/internal/mission_rules.h"

namespace bastion {
namespace {

constexpr float kDropBehind = 4.0f;

CargoFlight* flightOf(World& world, u64 carrier) {
    const auto found = std::find_if(world.cargoFlights.begin(), world.cargoFlights.end(),
                                    [&](const CargoFlight& f) { return f.carrier == carrier && !f.cargo.empty(); });
    return found == world.cargoFlights.end() ? nullptr : &*found;
}

// The first slot of the flight that holds the template's model and may take
// a new unit; slots outside the target list are never used.
Target* freeSlot(World& world, const CargoFlight& flight, const Target& cargo) {
    for (const u64 index : flight.slots) {
        if (index >= world.targets.size()) continue;
        Target& slot = world.targets[index];
        if (slot.mesh == cargo.mesh && freeEntry(slot)) return &slot;
    }
    return nullptr;
}

}  // namespace

void World::dropCargo(u64 carrier) {
    CargoFlight* flight = flightOf(*this, carrier);
    if (!flight) return;
    const Target& cargo = flight->cargo[xorshift32(random) % flight->cargo.size()];
    Target* slot = freeSlot(*this, *flight, cargo);
    if (!slot || carrier >= targets.size()) return;

    const Target& plane = targets[carrier];
    Target unit = cargo;
    unit.active = true;
    unit.hidden = false;
    unit.started = false;
    unit.dropped = true;  // falls to the ground before it acts
    unit.velocity = {};
    // The carrier flies along (-sin yaw, 0, -cos yaw): the unit leaves its tail.
    const float yaw = plane.homeYaw;
    unit.home = {plane.home.x + kDropBehind * std::sin(yaw), plane.home.y, plane.home.z + kDropBehind * std::cos(yaw)};
    unit.anchor = {unit.home.x, 0.0f, unit.home.z};
    unit.homeYaw = yaw;
    updateEnemyBounds(unit);
    *slot = std::move(unit);
}

}  // namespace bastion

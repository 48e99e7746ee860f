#pragma once

#include <nlohmann/json.hpp>

#include "world/world.h"

namespace bastion::coop {

// The nine-member snapshot of what changes in a running mission: the moving
// state of every target, projectiles, effects, pickups, the sound events held
// now, and the mission bookkeeping.
nlohmann::json worldWire(const World& world);

// Applies a snapshot to a World loaded from the same mission. Everything is
// decoded before anything is stored, so a refused snapshot leaves the World
// as it was: "Mission data does not match server" when the target count
// differs, the JSON library's exception for malformed data. Sounds are
// appended; a pickup shows as collected only when the local pilot's slot
// collected it.
void worldRead(const nlohmann::json& wire, World& world);

}  // namespace bastion::coop

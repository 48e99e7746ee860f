#pragma once

#include <nlohmann/json.hpp>

#include "world/pilot.h"

namespace bastion::coop {

// The 20-member wire object of a pilot: what another player's display needs.
nlohmann::json pilotWire(const Pilot& pilot);

// Overwrites the travelling fields of `pilot` in wire order and leaves every
// other field (rig, cooldowns, latches) as it was. "homing_target", "gait" and
// "walk_speed" may be missing; anything else missing or mistyped throws the
// JSON library's exception, with the pilot partly overwritten.
void pilotRead(const nlohmann::json& wire, Pilot& pilot);

}  // namespace bastion::coop

#pragma once

#include "render/matrix.h"
#include "world/pilot.h"

namespace bastion {

// Cockpit space to world: the pilot's eye point, turned with legs and torso.
// The cockpit mesh, its instruments, the mission text and the menu panel
// live in it.
vant::Matrix cockpitFrame(const Pilot& pilot);

}  // namespace bastion

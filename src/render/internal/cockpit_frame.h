#pragma once

#include "render/matrix.h"
#include "world/pilot.h"

namespace bastion {

// Cockpit space to world: the pilot's eye point, turned with legs and torso.
// The cockpit mesh, its instruments, the mission text and the menu panel
// live in it.
vant::Matrix cockpitFrame(const Pilot& pilot);

// Where the upper body group sits, given the cockpit frame: in place, except
// from one second after a dead pilot's kill, when it rises, drifts towards
// +Z and tumbles away about the cockpit origin.
vant::Matrix upperGroupFrame(const Pilot& pilot, const vant::Matrix& cockpit);

}  // namespace bastion

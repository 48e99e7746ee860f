#pragma once

#include "world/world.h"

namespace bastion {

// Ages every effect by dt: explosions deal their area damage for the part of
// the step inside their first second, debris fragments fall and bounce, and
// effects past their lifetime are removed. Runs inside the projectile step,
// after it has bounded the targets' boxes for the step.
void stepEffects(World& world, float dt);

}  // namespace bastion

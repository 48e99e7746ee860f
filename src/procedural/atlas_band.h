#pragma once

#include "world/target.h"

// Internal to the procedural library.
namespace bastion {

// Generated missions draw every model from one atlas that stacks the SB1
// textures (the first 158 of 609 rows) over the SB2 ones. Gives the target
// private copies of its mesh and wreck whose textured vertices address the
// band of `campaign` (0 SB1, 1 SB2); other holders of the old lists keep them
// as they were.
void bandMeshes(Target& target, int campaign);

}  // namespace bastion

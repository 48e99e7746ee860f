#pragma once

#include "world/input.h"
#include "world/pilot.h"

namespace bastion {

// Solves one walker arm from a tracked hand. hand 0 is the left hand, any
// other value the right; origin is the pilot's eye; heading the torso heading;
// heldModel (0..4, clamped) picks the muzzle of the held weapon. An unusable
// rig or pose leaves the arm untracked with only its shoulder set.
Arm solveArm(const HandPose& pose, int hand, Vec3 origin, float heading, const ArmRig& rig, int heldModel);

// `rotation` turned about the vertical axis so that its forward direction's
// heading lies within +-limit of straight ahead.
Quaternion attackOrientation(Quaternion rotation, float limit);

}  // namespace bastion

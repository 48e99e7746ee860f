#pragma once

#include <openxr/openxr.h>

#include "render/matrix.h"
#include "shell/headset_input.h"

namespace bastion {

struct Frontend;
class World;

// The placement of an OpenXR pose: its rotation, then its position.
vant::Matrix posePlacement(const XrPosef& pose);

// An eye's projection from its field of view (asymmetric views allowed),
// near plane 0.05 and far plane 3000.
vant::Matrix eyeProjection(const XrFovf& fov);

// Maps the headset's tracking space into the world: a head at the reference
// position, facing the reference yaw, sees from the cockpit eye along the
// torso (or from the spectator, ejection or missile camera).
vant::Matrix headsetBody(const World& world, const Frontend& frontend, const HeadReference& reference,
                         const XrPosef& head);

}  // namespace bastion

#pragma once

#include <openxr/openxr.h>

#include "world/input.h"
#include "xr/xr.h"

namespace bastion {

// Where the player stood and faced when play was centred: taken on the first
// tracked frame, dropped by R, so the headset's yaw and position count from it.
struct HeadReference {
    bool taken = false;
    float yaw = 0.0f;
    Vec3 position;
};

// One headset frame's Input with the menu flags it gives.
struct HeadsetFrame {
    Input input;
    bool select = false;
    bool back = false;
    bool missionMenu = false;  // the pause button went down on the playing screen or its menu
};

// The heading of a head pose's rotated +Z axis.
float headYaw(XrQuaternionf orientation);

// Turns the tracking block and the head pose into the frame's Input; updates
// the head reference and the memory of the pause button.
HeadsetFrame headsetInput(const vant::XR::Tracking& tracking, bool focused, XrPosef head, int screen,
                          HeadReference& reference, bool& pauseWasHeld);

}  // namespace bastion

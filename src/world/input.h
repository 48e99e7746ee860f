#pragma once

#include "world/math.h"

namespace bastion {

struct HandPose {
    Vec3 position;
    Quaternion grip;
    Quaternion aim;
    bool valid = false;
};

// One frame of player intent. Axes: body turn, forward drive, torso turn,
// aim yaw, aim pitch.
struct Input {
    float axes[5] = {0, 0, 0, 0, 0};
    bool focused = true;
    bool head = true;
    bool fire[6] = {false, false, false, false, false, false};
    bool ping[2] = {false, false};
    bool punch[2] = {false, false};
    bool valid[2] = {false, false};
    HandPose poses[2] = {
        {{-0.4f, -0.13f, -0.75f}, {}, {}, true},
        {{0.4f, -0.13f, -0.75f}, {}, {}, true},
    };
    Vec3 hands[2] = {};
};

}  // namespace bastion

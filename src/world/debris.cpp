#include "world/debris.h"

namespace bastion {

DebrisTumble debrisTumble(float age) {
    constexpr float kStep = kTwoPi / 2048.0f;
    return {age * 700.0f * kStep, age * 1600.0f * kStep};
}

Quaternion debrisOrientation(float age) {
    const DebrisTumble tumble = debrisTumble(age);
    return angles(tumble.yaw, tumble.pitch, 0.0f);
}

}  // namespace bastion

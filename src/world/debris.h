#pragma once

#include "world/math.h"

namespace bastion {

// How far a debris fragment has tumbled after `age` seconds: it turns 700
// steps of a 2048-step turn per second about the vertical axis and 1600 about
// its side axis. The renderer draws the fragment with these two angles and
// the ground rest height is found with them, so both must come from here.
struct DebrisTumble {
    float yaw = 0.0f;    // about +y
    float pitch = 0.0f;  // about +x, applied first
};

DebrisTumble debrisTumble(float age);

// The tumble as one rotation: yaw after pitch.
Quaternion debrisOrientation(float age);

}  // namespace bastion

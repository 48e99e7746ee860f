#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "world/math.h"

namespace bastion {

// One part of a walker rig. Positions are in the walker model's rest-pose
// space, Y up.
struct WalkerPart {
    std::int32_t parent = -1;  // -1 for a root, else an earlier part
    std::int32_t arm = -1;     // -1, or the arm (0 left, 1 right) the part belongs to
    // The walk-cycle joint that drives the part: 0 rigid, 1 torso, 2..4 left
    // hip, knee, foot, 5..7 right hip, knee, foot; other values are rigid.
    std::int32_t role = 0;
    Vec3 pivot;  // the joint point, not relative to the parent
    Vec3 low;
    Vec3 high;
    bool noFaces = false;  // neither drawn nor used for ground contact
};

struct WalkerRig {
    std::vector<WalkerPart> parts;  // parents precede their children
    float floor = 0.0f;             // model-space height of the lowest foot
};

// A rest-pose point p of the part is drawn at rotate(rotation, p) + translation.
struct PartPose {
    Quaternion rotation;
    Vec3 translation;
};

struct WalkerPose {
    std::vector<PartPose> parts;
    float lift = 0.0f;  // the vertical offset added to every part
};

// Poses every part of the rig for a walk-cycle phase (one cycle every 18
// units), a gait speed (full stride from 2 upwards, either sign) and a torso
// turn relative to the legs. Non-finite inputs count as 0. Throws "Invalid
// walker hierarchy" when a part's parent is not an earlier part or -1.
WalkerPose poseWalker(const WalkerRig& rig, float gaitPhase, float gaitSpeed, float torsoYaw);

Vec3 animatedPoint(const PartPose& pose, Vec3 point);

// The model matrix that lays a unit-length segment model (z from 0 to -1)
// from a to b, its up axis taken from `reference`.
std::array<float, 16> bone(Vec3 a, Vec3 b, Quaternion reference);

}  // namespace bastion

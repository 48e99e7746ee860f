#pragma once

#include "render/matrix.h"
#include "render/walker_pose.h"
#include "world/math.h"

namespace bastion {

// The rotation matrix of a unit quaternion.
vant::Matrix rotationOf(Quaternion q);

// A part pose as a matrix: its rotation, with its translation in the fourth
// column.
vant::Matrix poseMatrix(const PartPose& pose);

}  // namespace bastion

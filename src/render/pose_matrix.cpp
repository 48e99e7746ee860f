#include "render/internal/pose_matrix.h"

namespace bastion {

vant::Matrix rotationOf(Quaternion q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    return {1 - 2 * (y * y + z * z), 2 * (x * y + w * z),     2 * (x * z - w * y),     0,
            2 * (x * y - w * z),     1 - 2 * (x * x + z * z), 2 * (y * z + w * x),     0,
            2 * (x * z + w * y),     2 * (y * z - w * x),     1 - 2 * (x * x + y * y), 0,
            0,                       0,                       0,                       1};
}

vant::Matrix poseMatrix(const PartPose& pose) {
    vant::Matrix M = rotationOf(pose.rotation);
    M[12] = pose.translation.x;
    M[13] = pose.translation.y;
    M[14] = pose.translation.z;
    return M;
}

}  // namespace bastion

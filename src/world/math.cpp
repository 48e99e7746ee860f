#include "world/math.h"

#include <cmath>

namespace bastion {

float length(Vec3 v) { return std::sqrt(dot(v, v)); }

Vec3 rotate(Quaternion q, Vec3 v) {
    const Vec3 u{q.x, q.y, q.z};
    const Vec3 t = cross(u, v) + q.w * v;
    return v + 2.0f * cross(u, t);
}

Quaternion angles(float yaw, float pitch, float roll) {
    const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    return {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}

Vec3 direction(float yaw, float pitch) {
    const float cp = std::cos(pitch);
    return {-std::sin(yaw) * cp, std::sin(pitch), -std::cos(yaw) * cp};
}

}  // namespace bastion

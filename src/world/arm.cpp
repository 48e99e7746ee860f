#include "world/arm.h"

#include <algorithm>
#include <cmath>

namespace bastion {
namespace {

constexpr float kHalfTurn = 3.14159265358979323846f;
constexpr float kQuarterTurn = kHalfTurn / 2.0f;

bool withinRange(float v, float low, float high) { return std::isfinite(v) && v >= low && v <= high; }

float squaredLength(const Quaternion& q) { return q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w; }

// Squared length finite and within (0.5, 1.5): close enough to a rotation.
bool usableRotation(const Quaternion& q) {
    const float s = squaredLength(q);
    return std::isfinite(s) && s > 0.5f && s < 1.5f;
}

Quaternion normalized(const Quaternion& q) {
    const float size = std::sqrt(squaredLength(q));
    return {q.x / size, q.y / size, q.z / size, q.w / size};
}

bool usable(const HandPose& pose, const ArmRig& rig) {
    const float reach = length(pose.position);
    return withinRange(rig.trackingScale, 0.1f, 10.0f) && withinRange(rig.upperLength, 0.1f, 10.0f) &&
           withinRange(rig.foreLength, 0.1f, 10.0f) && pose.valid && usableRotation(pose.grip) &&
           usableRotation(pose.aim) && std::isfinite(reach) && reach <= 3.0f;
}

// The hand point swung into the front half around the eye's vertical line.
Vec3 frontHalf(Vec3 p) {
    const float h = std::hypot(p.x, p.z);
    if (h < 1e-6f) return p;
    const float a = std::clamp(wrap(std::atan2(-p.x, -p.z)), -kQuarterTurn, kQuarterTurn);
    return {-std::sin(a) * h, p.y, -std::cos(a) * h};
}

}  // namespace

Quaternion attackOrientation(Quaternion rotation, float limit) {
    const Vec3 f = rotate(rotation, {0.0f, 0.0f, -1.0f});
    if (std::hypot(f.x, f.z) < 1e-6f) return rotation;
    const float a = wrap(std::atan2(-f.x, -f.z));
    const float c = a < -limit ? -limit : std::min(a, limit);
    return angles(wrap(c - a), 0.0f, 0.0f) * rotation;
}

Arm solveArm(const HandPose& pose, int hand, Vec3 origin, float heading, const ArmRig& rig, int heldModel) {
    const float side = hand == 0 ? -1.0f : 1.0f;
    const Quaternion torso = angles(heading, 0.0f, 0.0f);
    Arm arm;
    arm.shoulder = origin + rotate(torso, {2.5f * side, -1.2f, -0.1f});
    if (!usable(pose, rig)) return arm;

    arm.grip = torso * attackOrientation(normalized(pose.grip), kQuarterTurn);
    arm.aim = torso * attackOrientation(normalized(pose.aim), kQuarterTurn);

    const Vec3 target = origin + rotate(torso, frontHalf(pose.position) * rig.trackingScale);
    const Vec3 v = target - arm.shoulder;
    const float d0 = length(v);
    const bool longEnough = d0 > 1e-5f && std::isfinite(d0);
    const Vec3 u = longEnough ? Vec3{v.x / d0, v.y / d0, v.z / d0} : Vec3{0.0f, 0.0f, -1.0f};
    const float upper = rig.upperLength, fore = rig.foreLength;
    // Keep the reach where the elbow exists.
    const float shortest = std::fabs(upper - fore) + 0.001f;
    const float reach = d0 < shortest ? shortest : std::min(d0, upper + fore - 0.001f);

    // The elbow bends outward and down.
    const Vec3 bend = rotate(torso, {0.8f * side, -1.0f, 0.0f});
    const Vec3 across = bend - u * dot(bend, u);
    const float acrossLength = length(across);
    const Vec3 out = acrossLength > 1e-5f && std::isfinite(acrossLength) ? across * (1.0f / acrossLength)
                                                                          : rotate(torso, {0.0f, 0.0f, 1.0f});

    const float along = (reach * reach + upper * upper - fore * fore) / (2.0f * reach);
    const float lift = std::sqrt(std::max(upper * upper - along * along, 0.0f));
    arm.elbow = arm.shoulder + u * along + out * lift;
    arm.wrist = arm.shoulder + u * reach;

    Vec3 muzzle = rig.muzzle[std::clamp(heldModel, 0, 4)];
    muzzle.x *= side;
    arm.muzzle = arm.wrist + rotate(arm.aim, muzzle);
    arm.forward = rotate(arm.aim, {0.0f, 0.0f, -1.0f});
    arm.tracked = true;
    return arm;
}

}  // namespace bastion

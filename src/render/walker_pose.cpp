#include "render/walker_pose.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace bastion {
namespace {

constexpr float kPi = 3.14159265358979323846f;

enum Role : std::int32_t {
    kRigid,
    kTorso,
    kLeftHip,
    kLeftKnee,
    kLeftFoot,
    kRightHip,
    kRightKnee,
    kRightFoot,
};

float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

Quaternion aboutX(float angle) { return {std::sin(angle / 2.0f), 0.0f, 0.0f, std::cos(angle / 2.0f)}; }
Quaternion aboutY(float angle) { return {0.0f, std::sin(angle / 2.0f), 0.0f, std::cos(angle / 2.0f)}; }

// The joint angles of one moment of the walk cycle, by role.
std::array<float, 8> jointAngles(float gaitPhase, float gaitSpeed, float torsoYaw) {
    const float r = std::remainder(finiteOrZero(gaitPhase), 18.0f);
    const float x = (r + r) * kPi / 18.0f;
    const float amount = std::isfinite(gaitSpeed) ? std::min(1.0f, std::fabs(gaitSpeed) * 0.5f) : 0.0f;
    const float left = std::sin(x);
    const float right = std::sin(kPi + x);

    std::array<float, 8> angle{};
    angle[kLeftHip] = left * 0.24f * amount;
    angle[kLeftKnee] = std::max(-left, 0.0f) * 0.22f * amount;
    angle[kLeftFoot] = -angle[kLeftHip] - angle[kLeftKnee];
    angle[kRightHip] = right * 0.24f * amount;
    angle[kRightKnee] = std::max(-right, 0.0f) * 0.22f * amount;
    angle[kRightFoot] = -angle[kRightHip] - angle[kRightKnee];

    const float w = wrap(finiteOrZero(torsoYaw));
    angle[kTorso] = w < -kPi / 2.0f ? -kPi / 2.0f : std::min(kPi / 2.0f, w);
    return angle;
}

Quaternion localRotation(std::int32_t role, const std::array<float, 8>& angle) {
    if (role == kTorso) return aboutY(angle[kTorso]);
    if (role >= kLeftHip && role <= kRightFoot) return aboutX(angle[static_cast<std::size_t>(role)]);
    return {};
}

bool isFoot(std::int32_t role) { return role == kLeftFoot || role == kRightFoot; }

}  // namespace

WalkerPose poseWalker(const WalkerRig& rig, float gaitPhase, float gaitSpeed, float torsoYaw) {
    WalkerPose pose;
    pose.parts.resize(rig.parts.size());
    const std::array<float, 8> angle = jointAngles(gaitPhase, gaitSpeed, torsoYaw);

    for (std::size_t i = 0; i < rig.parts.size(); ++i) {
        const WalkerPart& part = rig.parts[i];
        if (part.parent < -1 || part.parent >= static_cast<std::int64_t>(i))
            throw std::runtime_error("Invalid walker hierarchy");
        const Quaternion q = localRotation(part.role, angle);
        const Vec3 local = part.pivot - rotate(q, part.pivot);
        PartPose& posed = pose.parts[i];
        if (part.parent >= 0) {
            const PartPose& parent = pose.parts[static_cast<std::size_t>(part.parent)];
            posed.rotation = parent.rotation * q;
            posed.translation = rotate(parent.rotation, local) + parent.translation;
        } else {
            posed.rotation = q;
            posed.translation = local;
        }
    }

    float lowest = 1e9f;
    for (std::size_t i = 0; i < rig.parts.size(); ++i) {
        const WalkerPart& part = rig.parts[i];
        if (part.noFaces || !isFoot(part.role)) continue;
        for (int corner = 0; corner < 8; ++corner) {
            const Vec3 c{(corner & 1) ? part.high.x : part.low.x, (corner & 2) ? part.high.y : part.low.y,
                         (corner & 4) ? part.high.z : part.low.z};
            lowest = std::min(lowest, animatedPoint(pose.parts[i], c).y);
        }
    }
    if (lowest < 1e8f) pose.lift = rig.floor - lowest;
    for (PartPose& posed : pose.parts) posed.translation.y += pose.lift;
    return pose;
}

Vec3 animatedPoint(const PartPose& pose, Vec3 point) { return rotate(pose.rotation, point) + pose.translation; }

std::array<float, 16> bone(Vec3 a, Vec3 b, Quaternion reference) {
    const auto usable = [](float size) { return std::isfinite(size) && size > 1e-5f; };
    const auto unit = [](Vec3 v, float size) { return Vec3{v.x / size, v.y / size, v.z / size}; };

    const Vec3 d = a - b;
    const float span = length(d);
    const Vec3 z = usable(span) ? unit(d, span) : Vec3{0.0f, 0.0f, -1.0f};

    const Vec3 up = rotate(reference, {0.0f, 1.0f, 0.0f});
    Vec3 x = cross(up, z);
    float size = length(x);
    if (!usable(size)) {
        const Vec3 hint = std::fabs(z.y) < 0.9f ? Vec3{0.0f, 1.0f, 0.0f} : Vec3{1.0f, 0.0f, 0.0f};
        x = cross(hint, z);
        size = length(x);
    }
    x = usable(size) ? unit(x, size) : Vec3{-1.0f, 0.0f, 0.0f};

    Vec3 y = cross(z, x);
    const float ySize = length(y);
    y = usable(ySize) ? unit(y, ySize) : Vec3{0.0f, 0.0f, -1.0f};

    const float stretch = length(b - a);
    return {x.x, x.y, x.z, 0.0f, y.x, y.y, y.z, 0.0f, z.x * stretch, z.y * stretch, z.z * stretch, 0.0f,
            a.x, a.y, a.z, 1.0f};
}

}  // namespace bastion

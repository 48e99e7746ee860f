#include "shell/headset_view.h"

#include <cmath>

#include "shell/camera.h"
#include "shell/frontend/frontend.h"
#include "world/pilot.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr float kNear = 0.05f;
constexpr float kFar = 3000.0f;

vant::Matrix translation(Vec3 p) { return vant::translation(p.x, p.y, p.z); }

}  // namespace

vant::Matrix posePlacement(const XrPosef& pose) {
    const XrQuaternionf& q = pose.orientation;
    vant::Matrix placed = rotation(Quaternion{q.x, q.y, q.z, q.w});
    placed[12] = pose.position.x;
    placed[13] = pose.position.y;
    placed[14] = pose.position.z;
    return placed;
}

vant::Matrix eyeProjection(const XrFovf& fov) {
    const float left = std::tan(fov.angleLeft);
    const float right = std::tan(fov.angleRight);
    const float up = std::tan(fov.angleUp);
    const float down = std::tan(fov.angleDown);
    vant::Matrix projection{};
    projection[0] = 2.0f / (right - left);
    projection[5] = 2.0f / (up - down);
    projection[8] = (right + left) / (right - left);
    projection[9] = (up + down) / (up - down);
    projection[10] = -(kFar + kNear) / (kFar - kNear);
    projection[11] = -1.0f;
    projection[14] = -2.0f * kFar * kNear / (kFar - kNear);
    return projection;
}

vant::Matrix headsetBody(const World& world, const Frontend& frontend, const HeadReference& reference,
                         const XrPosef& head) {
    const Pilot& pilot = world.pilot;
    const bool missileView = pilot.missile.active;
    const Vec3 anchor = missileView ? Vec3{head.position.x, head.position.y, head.position.z} : reference.position;
    const vant::Matrix fromTracking =
        vant::multiply(vant::rotationY(-reference.yaw), translation(Vec3{} - anchor));
    const bool playing = frontend.screen == Frontend::kPlaying;
    if (playing && frontend.spectating) return vant::multiply(spectatorCamera(frontend, world), fromTracking);
    if (playing && pilot.dead) {
        const vant::Matrix ejection =
            vant::multiply(translation(world.pilotPosition()), rotation(world.pilotOrientation()));
        return vant::multiply(ejection, fromTracking);
    }
    if (missileView) {
        return vant::multiply(placement(pilot.missile.position, pilot.missile.yaw, pilot.missile.pitch), fromTracking);
    }
    return vant::multiply(vant::multiply(translation(eyePosition(pilot)),
                                         vant::rotationY(torsoHeading(pilot) - reference.yaw)),
                          translation(Vec3{} - anchor));
}

}  // namespace bastion

#include "shell/camera.h"

#include <cmath>
#include <vector>

#include "shell/frontend/frontend.h"
#include "world/pilot.h"
#include "world/world.h"

namespace bastion {
namespace {

using vant::Matrix;
using vant::multiply;

constexpr float kNear = 0.05f;
constexpr float kFar = 3000.0f;
constexpr float kVerticalTangent = 0.7602044f;

Matrix translation(Vec3 position) { return vant::translation(position.x, position.y, position.z); }

// The mouse look on top of a camera placement.
Matrix withLook(const Matrix& camera, float lookYaw, float lookPitch) {
    return multiply(multiply(camera, vant::rotationY(lookYaw)), rotationX(lookPitch));
}

}  // namespace

Matrix rotationX(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
}

Matrix rotation(Quaternion q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    return {1 - 2 * (y * y + z * z), 2 * (x * y + w * z),     2 * (x * z - w * y),     0,
            2 * (x * y - w * z),     1 - 2 * (x * x + z * z), 2 * (y * z + w * x),     0,
            2 * (x * z + w * y),     2 * (y * z - w * x),     1 - 2 * (x * x + y * y), 0,
            0,                       0,                       0,                       1};
}

Matrix placement(Vec3 position, float yaw, float pitch) {
    return multiply(multiply(translation(position), vant::rotationY(yaw)), rotationX(pitch));
}

Matrix desktopProjection(int width, int height) {
    Matrix projection{};
    projection[0] = 1.0f / (kVerticalTangent * static_cast<float>(width) / static_cast<float>(height));
    projection[5] = 1.3154358f;
    projection[10] = -(kFar + kNear) / (kFar - kNear);
    projection[11] = -1.0f;
    projection[14] = -2.0f * kFar * kNear / (kFar - kNear);
    return projection;
}

Matrix spectatorCamera(const Frontend& frontend, const World& world) {
    std::vector<const Pilot*> living;
    for (const Pilot& other : frontend.otherPilots) {
        if (!other.dead && other.health > 0.0f) living.push_back(&other);
    }
    if (living.empty()) {
        return multiply(translation(world.pilot.position + Vec3{0.0f, 35.0f, 25.0f}), rotationX(-0.4f));
    }
    const int count = static_cast<int>(living.size());
    const Pilot& watched = *living[static_cast<std::size_t>(((frontend.spectateIndex % count) + count) % count)];
    const float heading = torsoHeading(watched);
    const Vec3 behind{25.0f * std::sin(heading), 22.0f, 25.0f * std::cos(heading)};
    return placement(watched.position + behind, heading, -0.35f);
}

Matrix desktopCamera(const World& world, const Frontend& frontend, float lookYaw, float lookPitch) {
    const Pilot& pilot = world.pilot;
    if (frontend.screen == Frontend::kPlaying) {
        if (frontend.spectating) return withLook(spectatorCamera(frontend, world), lookYaw, lookPitch);
        if (pilot.dead) {
            const Matrix ejection = multiply(translation(world.pilotPosition()), rotation(world.pilotOrientation()));
            return withLook(ejection, lookYaw, lookPitch);
        }
    }
    if (pilot.missile.active) return placement(pilot.missile.position, pilot.missile.yaw, pilot.missile.pitch);
    return placement(eyePosition(pilot), torsoHeading(pilot) + lookYaw, lookPitch);
}

}  // namespace bastion

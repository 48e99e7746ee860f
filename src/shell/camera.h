#pragma once

#include "render/matrix.h"
#include "world/math.h"

namespace bastion {

struct Frontend;
class World;

// Camera placements: a rotation in the upper 3x3 and the world position in
// elements 12..14, handed to the renderer as its view and head.

// Rotation about +X: a positive angle turns -Z toward +Y (looks up).
vant::Matrix rotationX(float angle);

// The rotation of a unit quaternion.
vant::Matrix rotation(Quaternion q);

// translation(position) x rotationY(yaw) x rotationX(pitch).
vant::Matrix placement(Vec3 position, float yaw, float pitch);

// The window's perspective: a vertical half-angle tangent of 0.7602044, the
// horizontal one widened by the aspect, near plane 0.05 and far plane 3000.
vant::Matrix desktopProjection(int width, int height);

// A team-mate watched from 25 behind and 22 above, or an overview above the
// local pilot when no team-mate is alive.
vant::Matrix spectatorCamera(const Frontend& frontend, const World& world);

// The desktop camera: the cockpit eye (or the cruise missile) turned by the
// mouse look; on the playing screen the spectator or ejection camera instead.
vant::Matrix desktopCamera(const World& world, const Frontend& frontend, float lookYaw, float lookPitch);

}  // namespace bastion

#include "render/cockpit_frame.h"

namespace bastion {

vant::Matrix cockpitFrame(const Pilot& pilot) {
    const Vec3 eye = eyePosition(pilot);
    return vant::multiply(vant::translation(eye.x, eye.y, eye.z), vant::rotationY(wrap(pilot.angles[0] + pilot.angles[1])));
}

}  // namespace bastion

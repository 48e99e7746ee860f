#include "render/internal/cockpit_frame.h"

#include <algorithm>

#include "render/internal/transforms.h"

namespace bastion {

vant::Matrix cockpitFrame(const Pilot& pilot) {
    const Vec3 eye = eyePosition(pilot);
    return vant::multiply(vant::translation(eye.x, eye.y, eye.z), vant::rotationY(torsoHeading(pilot)));
}

vant::Matrix upperGroupFrame(const Pilot& pilot, const vant::Matrix& cockpit) {
    const float e = pilot.dead ? std::max(pilot.ejection - 1.0f, 0.0f) : 0.0f;
    return vant::chain(cockpit, vant::translation(0.0f, 16.0f * e, 5.0f * e), vant::rotationY(0.8f * e),
                       vant::rotationX(0.7f * e));
}

}  // namespace bastion

#include "shell/headset_input.h"

#include <algorithm>
#include <cmath>

#include "shell/frontend/frontend.h"

namespace bastion {
namespace {

constexpr float kBackStick = -0.7f;

Vec3 vec(XrVector3f v) { return {v.x, v.y, v.z}; }
Quaternion quat(XrQuaternionf q) { return {q.x, q.y, q.z, q.w}; }

bool selectsWithPause(int screen) {
    return screen == Frontend::kLobbyReady || screen == Frontend::kLoadout || screen == Frontend::kDebrief;
}

bool backsWithPause(int screen) {
    return screen == Frontend::kCampaignChoice || screen == Frontend::kBriefing || screen == Frontend::kConnectionLost ||
           screen == Frontend::kSkirmishSetup;
}

}  // namespace

float headYaw(XrQuaternionf q) {
    return std::atan2(2.0f * (q.x * q.z + q.w * q.y), 1.0f - 2.0f * (q.x * q.x + q.y * q.y));
}

HeadsetFrame headsetInput(const vant::XR::Tracking& t, bool focused, XrPosef head, int screen,
                          HeadReference& reference, bool& pauseWasHeld) {
    HeadsetFrame frame;
    frame.missionMenu =
        t.pause && !pauseWasHeld && (screen == Frontend::kPlaying || screen == Frontend::kMissionMenu);
    frame.select = t.pause && selectsWithPause(screen);
    frame.back = t.pause && backsWithPause(screen) ? true : t.stick[1].y < kBackStick;
    pauseWasHeld = t.pause;

    Input& input = frame.input;
    input.focused = focused;
    input.head = t.active;
    if (!t.active) return frame;

    const XrQuaternionf& q = head.orientation;
    const float yaw = headYaw(q);
    if (!reference.taken) {
        reference.yaw = yaw;
        reference.position = vec(head.position);
    }
    input.axes[3] = wrap(yaw - reference.yaw);
    input.axes[4] = std::asin(std::clamp(2.0f * (q.w * q.x - q.y * q.z), -1.0f, 1.0f));
    input.axes[0] = t.stick[0].x;
    input.axes[1] = t.stick[0].y;
    input.axes[2] = t.stick[1].x;
    input.ping[0] = t.squeeze[0];
    input.ping[1] = t.squeeze[1];
    input.fire[0] = t.trigger[0];
    input.fire[1] = t.trigger[1];
    input.fire[2] = t.secondary[0];
    input.fire[3] = t.secondary[1];
    input.fire[4] = t.primary[0];
    input.fire[5] = t.primary[1];

    // Hands count from the reference, turned back by its yaw.
    const Quaternion back{0.0f, std::sin(-reference.yaw / 2.0f), 0.0f, std::cos(-reference.yaw / 2.0f)};
    for (int h = 0; h < 2; ++h) {
        HandPose& pose = input.poses[h];
        input.valid[h] = t.gripValid[h];
        pose.position = rotate(back, vec(t.grip[h].position) - reference.position);
        pose.grip = back * quat(t.grip[h].orientation);
        pose.aim = back * quat(t.aim[h].orientation);
        pose.valid = t.gripValid[h] && t.aimValid[h];
        input.hands[h] = pose.position;
    }
    reference.taken = true;
    return frame;
}

}  // namespace bastion

#include "shell/desktop_input.h"

#include <algorithm>
#include <cctype>

#include "shell/frontend/frontend.h"
#include "world/pilot.h"

namespace bastion {
namespace {


void moveHand(DesktopHand& hand, const HeldKeys& keys, float dx, float dy) {
    if (keys.shift) {
        hand.offsetX += dx * 0.002f;
        hand.offsetY -= dy * 0.002f;
    } else if (keys.alt) {
        hand.roll -= dx * 0.005f;
    } else {
        hand.yaw = wrap(hand.yaw - dx * kMouseRadiansPerPixel);
        hand.pitch = std::clamp(hand.pitch - dy * kMouseRadiansPerPixel, -kHandPitchLimit, kHandPitchLimit);
    }
}

float held(bool key) { return key ? 1.0f : 0.0f; }

}  // namespace

void applyMouseMotion(DesktopLook& look, const HeldKeys& keys, float dx, float dy) {
    if (keys.z) moveHand(look.hands[0], keys, dx, dy);
    if (keys.c) moveHand(look.hands[1], keys, dx, dy);
    if (keys.z || keys.c) return;
    look.yaw = wrap(look.yaw - dx * kMouseRadiansPerPixel);
    look.pitch = std::clamp(look.pitch - dy * kMouseRadiansPerPixel, -kLookPitchLimit, kLookPitchLimit);
}

void applyMouseWheel(DesktopLook& look, const HeldKeys& keys, float wheelY) {
    for (int hand = 0; hand < 2; ++hand) {
        if (hand == 0 ? keys.z : keys.c) {
            float& depth = look.hands[hand].depth;
            depth = std::clamp(depth - wheelY * 0.05f, -1.2f, 0.3f);
        }
    }
}

void pressKey(ShellKey key, bool ctrl, Frontend& frontend, int localStatus, FrameRequests& requests) {
    const int screen = frontend.screen;
    switch (key) {
    case ShellKey::kTab:
        if (frontend.spectating) ++frontend.spectateIndex;
        break;
    case ShellKey::kM:
        if (frontend.coopActive && screen != Frontend::kJoinCode) frontend.radio = !frontend.radio;
        break;
    case ShellKey::kW:
        if (ctrl) requests.running = false;
        break;
    case ShellKey::kReturn:
        requests.select = true;
        break;
    case ShellKey::kDelete:
        if (screen == Frontend::kLoadout) frontend.loadoutCursor = 0;
        break;
    case ShellKey::kEscape:
        if (screen == Frontend::kPlaying || screen == Frontend::kMissionMenu) {
            requests.missionMenu = true;
        } else {
            requests.back = true;
        }
        break;
    case ShellKey::kR:
        if (localStatus != kStatusKilled) requests.recenter = true;
        break;
    case ShellKey::kOther:
        break;
    }
}

void typeJoinCode(Frontend& frontend, std::string_view text) {
    if (frontend.screen != Frontend::kJoinCode) return;
    for (const char typed : text) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(typed)));
        if (kJoinCodeAlphabet.find(letter) == std::string_view::npos) continue;
        const int slot = std::clamp(frontend.joinCursor, 0, kJoinCodeLength - 1);
        frontend.joinCode.resize(kJoinCodeLength, kJoinCodeAlphabet[0]);
        frontend.joinCode[static_cast<std::size_t>(slot)] = letter;
        frontend.joinCursor = (slot + 1) % kJoinCodeLength;
    }
}

void recenter(DesktopLook& look) { look = DesktopLook{}; }

Input desktopInput(const HeldKeys& keys, const DesktopLook& look, bool focused, int screen) {
    Input input;
    input.focused = focused;
    input.axes[3] = look.yaw;
    input.axes[4] = look.pitch;
    const float arrowsX = held(keys.right) - held(keys.left);
    const float arrowsY = held(keys.up) - held(keys.down);
    if (screen == Frontend::kJoinCode) {
        // Letters typed into the code must not move the cursors.
        input.axes[0] = arrowsX;
        input.axes[1] = arrowsY;
    } else {
        input.axes[0] = held(keys.d) - held(keys.a);
        input.axes[1] = held(keys.w) - held(keys.s);
        if (screen != Frontend::kPlaying) {
            input.axes[0] += arrowsX;
            input.axes[1] += arrowsY;
        }
    }
    input.axes[2] = arrowsX;
    input.fire[0] = keys.mouseLeft;
    input.fire[1] = keys.mouseRight;
    for (int mount = 0; mount < 4; ++mount) input.fire[2 + mount] = keys.mounts[mount];
    input.ping[0] = keys.g;
    input.ping[1] = keys.h;
    input.punch[0] = keys.q;
    input.punch[1] = keys.e;
    for (int hand = 0; hand < 2; ++hand) {
        const DesktopHand& state = look.hands[hand];
        HandPose& pose = input.poses[hand];
        pose.position = {state.offsetX, state.offsetY, state.depth};
        pose.grip = angles(state.yaw, state.pitch, state.roll);
        pose.aim = pose.grip;
        pose.valid = true;
    }
    return input;
}

}  // namespace bastion

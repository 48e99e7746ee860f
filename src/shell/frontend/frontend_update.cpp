#include <algorithm>
#include <cmath>

#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"

namespace bastion {

Frontend::Frontend() = default;

bool Frontend::update(const Input& input, float dt, bool select, bool back) {
    if (!std::isfinite(dt) || dt < 0.0f) dt = 0.0f;
    dt = std::min(dt, 0.1f);

    menuClock += dt;
    // The IEEE remainder turns the carousel the shorter way round.
    const float shortest =
        wrap(carouselTarget(missionCursor) - carouselAngle);
    carouselAngle += std::min(10.0f * dt, 1.0f) * shortest;

    MenuPress press;
    press.stickX = input.axes[0];
    press.stickY = input.axes[1];
    const bool deflected = std::fabs(press.stickX) > kStickThreshold || std::fabs(press.stickY) > kStickThreshold;
    press.stickPush = deflected && !stickLatch;

    press.selectEdge = select && !selectLatch;
    press.backEdge = back && !backLatch;
    for (int i = 0; i < kMountCount; ++i) {
        press.fireEdges[i] = input.fire[i] && !fireLatches[i];
        fireLatches[i] = input.fire[i];
    }
    selectLatch = select;
    backLatch = back;

    if (screen >= kTitle && screen <= kJoinCode) {
        skirmish = false;
        statusLine.clear();
    }

    stickLatch = deflected;
    if (!(input.focused && input.head) || screen == kPlaying) return false;

    press.activate = press.selectEdge || press.fireEdges[1];
    press.removeHeld = input.ping[0] || input.ping[1];

    switch (screen) {
    case kTitle:
    case kCoopMenu:
    case kMissionMenu:
        updateListMenu(*this, press);
        return false;
    case kCampaignChoice:
        updateCampaignChoice(*this, press);
        return false;
    case kJoinCode:
        updateJoinCode(*this, press);
        return false;
    case kLobbyConnecting:
    case kLobbyWaiting:
    case kLobbyReady:
    case kConnectionLost:
        updateLobby(*this, press);
        return false;
    case kMissionSelection:
    case kBriefing:
    case kLoadout:
        return updateMissionScreens(*this, press);
    case kDebrief:
        if (press.activate || press.backEdge) acceptResult();
        return false;
    case kSkirmishSetup:
        updateSkirmishSetup(*this, press);
        return false;
    case kPlaying:
        break;
    }
    return false;
}

}  // namespace bastion

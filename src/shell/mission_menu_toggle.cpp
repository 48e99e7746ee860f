#include <string>

#include "shell/requests.h"

namespace bastion {
namespace {

void resetLook(ShellSession& session) {
    session.look.yaw = 0.0f;
    session.look.pitch = 0.0f;
}

// The generated mission's line on the menu, so its seed can be noted.
void describeGeneratedMission(ShellSession& session) {
    Frontend& frontend = session.frontend;
    const std::string& objective = session.world.objectiveText;
    if (frontend.skirmish) {
        frontend.statusLine =
            "SKIRMISH / SEED " + std::to_string(frontend.skirmishSettings.seed) + " / " + objective;
    } else if (session.sources.prototype) {
        frontend.statusLine = "SEED " + std::to_string(session.sources.prototypeSeed) + " / " + objective;
    }
}

}  // namespace

void toggleMissionMenu(ShellSession& session) {
    Frontend& frontend = session.frontend;
    if (frontend.screen == Frontend::kMissionMenu) {
        frontend.screen = Frontend::kPlaying;
        frontend.selectLatch = true;
        grabMouse(session);
    } else if (frontend.screen == Frontend::kPlaying && session.world.pilot.status != kStatusKilled) {
        describeGeneratedMission(session);
        frontend.screen = Frontend::kMissionMenu;
        frontend.cursorRow = 0;
        frontend.selectLatch = true;
        session.world.resetTracking();
        releaseMouse(session);
        resetLook(session);
    }
}

bool selectAfterMissionEnd(ShellSession& session, const Input& input, bool select) {
    Frontend& frontend = session.frontend;
    const int status = session.world.pilot.status;
    if (!select || frontend.screen != Frontend::kPlaying || !input.focused || !input.head ||
        (status != kStatusWon && status != kStatusLost)) {
        return select;
    }
    if (session.sources.prototype) {
        session.keepGoing = false;
    } else if (session.coop.client != nullptr) {
        toggleMissionMenu(session);
    } else if (status == kStatusWon) {
        frontend.acceptResult();
    } else {
        frontend.screen = frontend.skirmish ? Frontend::kSkirmishSetup : Frontend::kMissionSelection;
    }
    frontend.selectLatch = true;
    resetLook(session);
    releaseMouse(session);
    return false;
}

}  // namespace bastion

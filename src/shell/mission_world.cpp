#include "shell/requests.h"

namespace bastion {

World buildMissionWorld(ShellSession& session) {
    Frontend& frontend = session.frontend;
    World fresh;
    fresh.difficulty = frontend.difficulty;
    fresh.configure(frontend.loadout, session.rig);
    if (session.loadSelectedMission) {
        session.loadSelectedMission(fresh);
    } else {
        loadSelectedMission(fresh, session.frontend, session.sources, session.skirmishRecipe);
    }
    return fresh;
}

void rebuildWorld(ShellSession& session) {
    // Build first: a failing load leaves the current World untouched.
    World fresh = buildMissionWorld(session);
    session.world = std::move(fresh);
    session.debriefShown = false;
    session.look.yaw = 0.0f;
    session.look.pitch = 0.0f;
    Frontend& frontend = session.frontend;
    frontend.screen = Frontend::kPlaying;
    frontend.resultLine.clear();
    frontend.secondResultLine.clear();
}

void deployMission(ShellSession& session, const Input& input) {
    Frontend& frontend = session.frontend;
    if (!frontend.skirmish) {
        frontend.progression.selectedMission = frontend.missionCursor;
        frontend.progression.loadout = frontend.loadout;
        saveCampaign(session);
    }
    rebuildWorld(session);
    session.world.pilot.pingLatch[0] = input.ping[0];
    session.world.pilot.pingLatch[1] = input.ping[1];
    grabMouse(session);
}

}  // namespace bastion

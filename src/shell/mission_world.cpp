#include "shell/requests.h"

namespace bastion {

World buildMissionWorld(ShellSession& session) {
    const Frontend& frontend = session.frontend;
    World fresh;
    fresh.difficulty = frontend.difficulty;
    fresh.configure(frontend.loadout, session.rig);
    if (session.loadSelectedMission) session.loadSelectedMission(fresh);
    return fresh;
}

void rebuildWorld(ShellSession& session) {
    // Build first: a failing load leaves the current World untouched.
    World fresh = buildMissionWorld(session);
    session.world = std::move(fresh);
    session.debriefShown = false;
    session.mouseYaw = 0.0f;
    session.mousePitch = 0.0f;
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

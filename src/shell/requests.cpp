#include "shell/requests.h"

namespace bastion {
namespace {

void abortMission(ShellSession& session) {
    Frontend& frontend = session.frontend;
    if (session.sources.prototype) {
        session.keepGoing = false;
    } else {
        frontend.screen = frontend.skirmish ? Frontend::kSkirmishSetup : Frontend::kMissionSelection;
    }
    frontend.cursorRow = 0;
    session.world.pilot.missile.active = false;
}

void selfDestruct(ShellSession& session) {
    session.world.hurt(100000.0f);
    session.frontend.screen = Frontend::kPlaying;
}

}  // namespace

void carryOutRequest(ShellSession& session) {
    Frontend& frontend = session.frontend;
    const Frontend::Request request = frontend.request;
    frontend.request = Frontend::kNone;
    switch (request) {
    case Frontend::kNewCampaign:
        startNewCampaign(session);
        break;
    case Frontend::kLoadCampaign:
        loadSavedCampaign(session);
        break;
    case Frontend::kQuit:
        session.keepGoing = false;
        break;
    case Frontend::kRestart:
        rebuildWorld(session);
        break;
    case Frontend::kAbort:
        abortMission(session);
        break;
    case Frontend::kSelfDestruct:
        selfDestruct(session);
        break;
    case Frontend::kLeaveLobby:
        // Outside a lobby only a mission prototype has something to leave:
        // the program.
        if (session.sources.prototype) session.keepGoing = false;
        break;
    case Frontend::kSkirmishSetupRequest:
        openSkirmishSetup(session);
        break;
    case Frontend::kStartSkirmish:
        generateSkirmish(session);
        break;
    case Frontend::kNone:
    case Frontend::kHostLobby:
    case Frontend::kJoinLobby:
    case Frontend::kReady:
        break;
    }
}

}  // namespace bastion

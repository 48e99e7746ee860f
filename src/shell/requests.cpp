#include "shell/requests.h"

namespace bastion {
namespace {

// The co-op client, when a session has one: the room decides on restarts,
// aborts and self-destructs.
coop::Client* lobby(ShellSession& session) { return session.coop.client.get(); }

void sendReady(ShellSession& session) {
    if (lobby(session) == nullptr) return;
    const Frontend& frontend = session.frontend;
    lobby(session)->send({{"op", "ready"}, {"ready", frontend.ready}, {"loadout", frontend.loadout}});
}

void restartMission(ShellSession& session) {
    if (lobby(session) != nullptr) {
        lobby(session)->send({{"op", "restart"}});
    } else {
        rebuildWorld(session);
    }
}

void abortMission(ShellSession& session) {
    Frontend& frontend = session.frontend;
    if (session.sources.prototype) {
        session.keepGoing = false;
    } else if (lobby(session) != nullptr) {
        lobby(session)->send({{"op", "abort"}});
    } else {
        frontend.screen = frontend.skirmish ? Frontend::kSkirmishSetup : Frontend::kMissionSelection;
    }
    frontend.cursorRow = 0;
    session.world.pilot.missile.active = false;
}

void selfDestruct(ShellSession& session) {
    if (lobby(session) != nullptr) {
        lobby(session)->send({{"op", "destroy"}});
    } else {
        session.world.hurt(100000.0f);
    }
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
    case Frontend::kHostLobby:
        hostLobby(session);
        break;
    case Frontend::kJoinLobby:
        startCoop(session, false, frontend.joinCode);
        break;
    case Frontend::kReady:
        sendReady(session);
        break;
    case Frontend::kRestart:
        restartMission(session);
        break;
    case Frontend::kAbort:
        abortMission(session);
        break;
    case Frontend::kSelfDestruct:
        selfDestruct(session);
        break;
    case Frontend::kLeaveLobby:
        // Also outside a lobby: the in-mission menu's leave row returns to
        // the title.
        if (session.sources.prototype) {
            session.keepGoing = false;
        } else {
            leaveCoop(session);
        }
        break;
    case Frontend::kSkirmishSetupRequest:
        openSkirmishSetup(session);
        break;
    case Frontend::kStartSkirmish:
        generateSkirmish(session);
        break;
    case Frontend::kNone:
        break;
    }
}

}  // namespace bastion

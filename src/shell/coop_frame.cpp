#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "coop/room_state.h"
#include "shell/requests.h"
#include "world/pilot.h"
#include "world/weapon.h"

namespace bastion {
namespace {

using nlohmann::json;

bool emptyState(const json& state) { return state.is_null() || (state.is_structured() && state.empty()); }

// The rules of the room's campaign, found before anything is changed, so that
// a room the game cannot show leaves the menus as they were.
CampaignRules roomRules(const coop::RoomState& room, const ShellSession& session) {
    CampaignRules rules;
    const Frontend& frontend = session.frontend;
    if (room.campaign == frontend.campaignRow && room.campaign == frontend.progression.rules.campaign) {
        rules = frontend.progression.rules;
    } else if (room.campaign != 0 && room.campaign != 1) {
        throw std::runtime_error("Lobby room names an unknown campaign");
    } else if (!session.sources.fixture) {
        rules.load(session.sources.retail, room.campaign);
    }
    if (room.mission < 0 || room.mission >= rules.missionCount())
        throw std::runtime_error("Lobby room names a mission outside the campaign");
    return rules;
}

void takeRoomSettings(ShellSession& session, const coop::Client& client, const coop::RoomState& room,
                      const CampaignRules& rules) {
    Frontend& frontend = session.frontend;
    CoopSession& coop = session.coop;
    const bool wasHost = frontend.host;
    frontend.setLobbyHost(client.host);
    if (coop.lastPhase < 0 && client.host && session.difficultyChosen) {
        coop.client->send({{"op", "difficulty"}, {"value", session.chosenDifficulty == 1 ? "hard" : "normal"}});
    }
    frontend.roomCode = client.code;
    frontend.ownPlayerId = client.id;
    frontend.difficulty = room.difficulty;
    Progression& progression = frontend.progression;
    if (room.campaign != frontend.campaignRow) {
        frontend.campaignRow = room.campaign;
        progression = Progression{};
        progression.rules = rules;
    }
    if (room.completed != progression.completed) {
        progression.completed = room.completed;
        progression.selectedMission = progression.nextMission();
        progression.loadout = frontend.loadout;
        progression.sanitizeLoadout();
        frontend.loadout = progression.loadout;
    }
    if (!wasHost && client.host) {
        progression.selectedMission = progression.nextMission();
        progression.loadout = frontend.loadout;
        saveCampaign(session);
        frontend.notice = "YOU ARE NOW THE LOBBY HOST";
    }
    frontend.missionSelected = room.phase != coop::kSelecting;
    frontend.resultCode = room.phase == coop::kWon ? 1 : room.phase == coop::kFailed ? 2 : 0;
}

void noteVictory(ShellSession& session, const coop::Client& client, const coop::RoomState& room) {
    Frontend& frontend = session.frontend;
    Progression& progression = frontend.progression;
    if (room.phase == coop::kWon && session.coop.lastPhase != static_cast<int>(coop::kWon)) {
        const int reward = progression.rules.missionRewards[static_cast<std::size_t>(room.mission)];
        frontend.resultLine = reward >= 0 ? std::string(weaponInfo(static_cast<Weapon>(reward), 0).shortName) +
                                                " UNLOCKED FOR TEAM"
                                          : "TEAM VICTORY - MISSION RECORDED";
        const int count = progression.rules.missionCount();
        const u32 all = count >= 32 ? ~0u : (1u << count) - 1u;
        if ((progression.completed & all) == all) frontend.resultLine += " / CAMPAIGN COMPLETE";
        progression.selectedMission = progression.nextMission();
        progression.loadout = frontend.loadout;
        if (client.host) {
            saveCampaign(session);
        } else {
            frontend.secondResultLine = "HOST OWNS CAMPAIGN SAVE";
        }
    }
    if (room.phase == coop::kDeployed && client.round != session.coop.lastRound) frontend.resultLine.clear();
}

void listPlayers(Frontend& frontend, const coop::RoomState& room) {
    frontend.otherPilots.clear();
    frontend.playerLabels.clear();
    for (const coop::RoomMember& member : room.players) {
        if (member.id != frontend.ownPlayerId) frontend.otherPilots.push_back(member.pilot);
        frontend.playerLabels.push_back("P" + std::to_string(member.slot + 1) + " " + member.name +
                                        (member.ready ? " READY" : " NOT READY"));
    }
}

void followRoom(ShellSession& session, const coop::Client& client, const coop::RoomState& room, const Input& input,
                ButtonLatches& latches) {
    Frontend& frontend = session.frontend;
    CoopSession& coop = session.coop;
    if (static_cast<int>(room.phase) == coop.lastPhase && room.mission == coop.lastMission &&
        client.round == coop.lastRound && room.selection == coop.lastSelection)
        return;
    frontend.missionCursor = room.mission;
    frontend.selectLatch = true;
    std::copy(std::begin(input.fire), std::end(input.fire), std::begin(frontend.fireLatches));
    frontend.spectating = false;
    switch (room.phase) {
    case coop::kBriefing:
        frontend.screen = Frontend::kBriefing;
        frontend.ready = false;
        frontend.notice.clear();
        frontend.resultLine.clear();
        break;
    case coop::kSelecting:
        frontend.screen = frontend.host ? Frontend::kMissionSelection : Frontend::kLobbyWaiting;
        frontend.ready = false;
        frontend.resultCode = 0;
        frontend.missionSelected = false;
        frontend.resultLine = room.outcome;
        frontend.notice = room.outcome;
        session.world.pilot.missile.active = false;
        session.world.resetTracking();
        frontend.backLatch = true;
        frontend.stickLatch = true;
        break;
    case coop::kWon:
        frontend.showDebrief(room.mission, input);
        break;
    default:
        frontend.screen = Frontend::kPlaying;
        break;
    }
    coop.lastPhase = static_cast<int>(room.phase);
    coop.lastMission = room.mission;
    coop.lastRound = client.round;
    coop.lastSelection = room.selection;
    session.look.yaw = 0.0f;
    session.look.pitch = 0.0f;
    takeLatches(latches, input, 8);
    if (frontend.screen == Frontend::kPlaying) {
        grabMouse(session);
    } else {
        releaseMouse(session);
    }
}

void followSpectating(ShellSession& session, coop::Phase phase, const Input& input) {
    Frontend& frontend = session.frontend;
    const Pilot& pilot = session.world.pilot;
    if (phase == coop::kDeployed && pilot.dead && pilot.ejection >= 7.0f) frontend.spectating = true;
    if (!frontend.spectating) return;
    if (input.axes[2] > 0.7f && !frontend.spectateStickLatch) ++frontend.spectateIndex;
    frontend.spectateStickLatch = std::fabs(input.axes[2]) > 0.55f;
}

void runVoice(ShellSession& session, const Input& input) {
    Frontend& frontend = session.frontend;
    CoopSession& coop = session.coop;
    coop::Client& client = *coop.client;
    if (coop.chat == nullptr) return;
    if (!coop.voiceConfigured && !emptyState(client.voice)) {
        coop.chat->configure(client.serverHost, client.voice);
        coop.voiceConfigured = true;
    }
    if (!coop.voiceConfigured) return;
    const Pilot& pilot = session.world.pilot;
    const std::vector<vant::voice::Participant> participants = client.participants();
    vant::voice::Controls controls;
    controls.channel = vant::voice::Channel::radio;
    controls.transmit = input.focused;
    coop.chat->update(1, client.id, participants, eyePosition(pilot), torsoHeading(pilot),
                      client.connected, input.focused && frontend.radio, controls, 1.0f);
    if (!frontend.radio) {
        frontend.voiceLine = "MICROPHONE MUTED";
    } else if (coop.chat->transmitting()) {
        frontend.voiceLine = "VOICE TRANSMITTING";
    } else {
        frontend.voiceLine = coop.chat->status();
    }
}

void coopFrame(ShellSession& session, const Input& input, float dt, ButtonLatches& latches) {
    Frontend& frontend = session.frontend;
    coop::Client& client = *session.coop.client;

    Input sent = input;
    if (frontend.screen != Frontend::kPlaying || session.world.pilot.dead) sent.focused = false;
    client.update(std::min(dt, 0.1f), &sent);

    if (!client.message.empty()) {
        frontend.notice = client.message;
        client.message.clear();
        if (!client.connected) frontend.connectionLost();
    }

    if (client.connected && !emptyState(client.state)) {
        const coop::RoomState& room = client.roomState();
        takeRoomSettings(session, client, room, roomRules(room, session));
        noteVictory(session, client, room);
        listPlayers(frontend, room);
        followRoom(session, client, room, input, latches);
        client.apply(session.world, session.sources.retail, session.rig);
        followSpectating(session, room.phase, input);
    }
    runVoice(session, input);
}

// What the player is told when the server's data cannot be used.
std::string badDataText(const std::exception& error) {
    if (dynamic_cast<const json::exception*>(&error) != nullptr) return "Lobby server sent malformed data";
    return error.what();
}

}  // namespace

void driveCoop(ShellSession& session, const Input& input, float dt, ButtonLatches& latches) {
    if (session.coop.client == nullptr) return;
    try {
        coopFrame(session, input, dt, latches);
    } catch (const std::exception& error) {
        // The session ends, the game does not: the connection-lost screen
        // leads back to the title.
        session.err << "Co-op session: " << error.what() << '\n';
        endCoopSession(session);
        Frontend& frontend = session.frontend;
        frontend.notice = badDataText(error);
        frontend.voiceLine.clear();
        frontend.otherPilots.clear();
        frontend.playerLabels.clear();
        frontend.connectionLost();
        session.world.resetTracking();
        releaseMouse(session);
    }
}

void sendMissionChoice(ShellSession& session, int screenBefore) {
    const Frontend& frontend = session.frontend;
    if (session.coop.client == nullptr || !frontend.host) return;
    if (screenBefore == Frontend::kMissionSelection && frontend.screen == Frontend::kBriefing) {
        session.coop.client->send({{"op", "select"}, {"mission", frontend.missionCursor}});
    }
}

}  // namespace bastion

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "coop/pilot_codec.h"
#include "shell/requests.h"
#include "world/pilot_step.h"
#include "world/weapon.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr int kPhaseSelecting = 0;
constexpr int kPhaseBriefing = 1;
constexpr int kPhaseDeployed = 2;
constexpr int kPhaseWon = 3;
constexpr int kPhaseFailed = 4;

bool emptyState(const json& state) { return state.is_null() || (state.is_structured() && state.empty()); }

// An integer of the room state, refused (as the JSON library refuses a wrong
// type) when it is not an integer or T cannot hold it.
template <typename T>
T integer(const json& value) {
    constexpr auto high = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    constexpr auto low = static_cast<std::int64_t>(std::numeric_limits<T>::min());
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() <= high) return value.get<T>();
    } else if (value.is_number_integer()) {
        const std::int64_t number = value.get<std::int64_t>();
        if (number >= low && (number < 0 || static_cast<std::uint64_t>(number) <= high)) return static_cast<T>(number);
    }
    throw json::type_error::create(302, "integer expected within range, got " + value.dump(), &value);
}

struct RoomMember {
    u32 id = 0;
    u32 slot = 0;
    std::string name;
    bool ready = false;
    Pilot pilot;
};

// The room state as the shell uses it, read completely before anything is
// changed, so that bad data leaves the menus as they were.
struct RoomView {
    int phase = 0;
    int mission = 0;
    int campaign = 0;
    u32 completed = 0;
    bool hard = false;
    u64 selection = 0;
    std::string outcome;
    std::vector<RoomMember> players;
    CampaignRules rules;  // of `campaign`
};

RoomView readRoom(const json& state, const ShellSession& session) {
    RoomView room;
    room.phase = integer<int>(state.at("phase"));
    room.mission = integer<int>(state.at("mission"));
    room.campaign = state.contains("campaign") ? integer<int>(state.at("campaign")) : 0;
    room.completed = integer<u32>(state.at("completed"));
    room.hard = state.at("difficulty") == "hard";
    room.selection = integer<u64>(state.at("selection"));
    room.outcome = state.contains("outcome") ? state.at("outcome").get<std::string>() : std::string();
    for (const json& entry : state.at("players")) {
        RoomMember member;
        member.id = integer<u32>(entry.at("id"));
        member.slot = integer<u32>(entry.at("slot"));
        member.name = entry.at("name").get<std::string>();
        member.ready = entry.at("ready").get<bool>();
        coop::pilotRead(entry.at("pilot"), member.pilot);
        room.players.push_back(std::move(member));
    }
    const Frontend& frontend = session.frontend;
    if (room.campaign == frontend.campaignRow && room.campaign == frontend.progression.rules.campaign) {
        room.rules = frontend.progression.rules;
    } else if (room.campaign != 0 && room.campaign != 1) {
        throw std::runtime_error("Lobby room names an unknown campaign");
    } else if (!session.sources.fixture) {
        room.rules.load(session.sources.retail, room.campaign);
    }
    if (room.mission < 0 || room.mission >= room.rules.missionCount())
        throw std::runtime_error("Lobby room names a mission outside the campaign");
    return room;
}

void takeRoomSettings(ShellSession& session, const coop::Client& client, const RoomView& room) {
    Frontend& frontend = session.frontend;
    CoopSession& coop = session.coop;
    const bool wasHost = frontend.host;
    frontend.setLobbyHost(client.host);
    if (coop.lastPhase < 0 && client.host && session.difficultyChosen) {
        coop.client->send({{"op", "difficulty"}, {"value", session.chosenDifficulty == 1 ? "hard" : "normal"}});
    }
    frontend.roomCode = client.code;
    frontend.ownPlayerId = client.id;
    frontend.difficulty = room.hard ? 1 : 0;
    Progression& progression = frontend.progression;
    if (room.campaign != frontend.campaignRow) {
        frontend.campaignRow = room.campaign;
        progression = Progression{};
        progression.rules = room.rules;
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
    frontend.missionSelected = room.phase != kPhaseSelecting;
    frontend.resultCode = room.phase == kPhaseWon ? 1 : room.phase == kPhaseFailed ? 2 : 0;
}

void noteVictory(ShellSession& session, const coop::Client& client, const RoomView& room) {
    Frontend& frontend = session.frontend;
    Progression& progression = frontend.progression;
    if (room.phase == kPhaseWon && session.coop.lastPhase != kPhaseWon) {
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
    if (room.phase == kPhaseDeployed && client.round != session.coop.lastRound) frontend.resultLine.clear();
}

void listPlayers(Frontend& frontend, const RoomView& room) {
    frontend.otherPilots.clear();
    frontend.playerLabels.clear();
    for (const RoomMember& member : room.players) {
        if (member.id != frontend.ownPlayerId) frontend.otherPilots.push_back(member.pilot);
        frontend.playerLabels.push_back("P" + std::to_string(member.slot + 1) + " " + member.name +
                                        (member.ready ? " READY" : " NOT READY"));
    }
}

void followRoom(ShellSession& session, const coop::Client& client, const RoomView& room, const Input& input,
                ButtonLatches& latches) {
    Frontend& frontend = session.frontend;
    CoopSession& coop = session.coop;
    if (room.phase == coop.lastPhase && room.mission == coop.lastMission && client.round == coop.lastRound &&
        room.selection == coop.lastSelection)
        return;
    frontend.missionCursor = room.mission;
    frontend.selectLatch = true;
    std::copy(std::begin(input.fire), std::end(input.fire), std::begin(frontend.fireLatches));
    frontend.spectating = false;
    switch (room.phase) {
    case kPhaseBriefing:
        frontend.screen = Frontend::kBriefing;
        frontend.ready = false;
        frontend.notice.clear();
        frontend.resultLine.clear();
        break;
    case kPhaseSelecting:
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
    case kPhaseWon:
        frontend.showDebrief(room.mission, input);
        break;
    default:
        frontend.screen = Frontend::kPlaying;
        break;
    }
    coop.lastPhase = room.phase;
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

void followSpectating(ShellSession& session, int phase, const Input& input) {
    Frontend& frontend = session.frontend;
    const Pilot& pilot = session.world.pilot;
    if (phase == kPhaseDeployed && pilot.dead && pilot.ejection >= 7.0f) frontend.spectating = true;
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
        const RoomView room = readRoom(client.state, session);
        takeRoomSettings(session, client, room);
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

#include "coop/room.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "coop/internal/input_codec.h"
#include "coop/internal/wire_numbers.h"
#include "coop/pilot_codec.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

constexpr float kQuarterPi = 0.78539819f;
constexpr float kPingPitchLimit = 1.45f;
constexpr float kNoInputAge = 100.0f;

void resetInput(Player& member) {
    member.input = Input{};
    member.inputAge = kNoInputAge;
}

// Six weapon ids; anything but six ids from 0 to 12 is not a loadout.
Loadout readLoadout(const json& wire) {
    Loadout loadout{};
    for (std::size_t mount = 0; mount < loadout.size(); ++mount) {
        const auto id = wireInteger<std::int64_t>(wire.at(mount));
        if (id < 0 || id >= static_cast<std::int64_t>(kWeaponCount))
            throw std::runtime_error("Equipment locked or incompatible");
        loadout[mount] = static_cast<Weapon>(id);
    }
    if (wire.size() != loadout.size()) throw std::runtime_error("Equipment locked or incompatible");
    return loadout;
}

}  // namespace

Room::Room(const std::filesystem::path& root) : root(root) {}

Player& Room::player(u32 id) {
    for (Player& member : players)
        if (member.id == id) return member;
    throw std::runtime_error("Not a lobby member");
}

void Room::clearReady() {
    for (Player& member : players) member.ready = false;
}

void Room::add(u32 id) {
    if (players.size() >= kRoomCapacity) throw std::runtime_error("Lobby is full");
    if (phase >= kDeployed) throw std::runtime_error("Join while host is selecting or briefing a mission");
    u32 slot = 0;
    while (std::any_of(players.begin(), players.end(), [&](const Player& p) { return p.slot == slot; })) ++slot;
    Player member;
    member.id = id;
    member.slot = slot;
    member.pilot.slot = static_cast<int>(slot);
    member.input = neutralInput();
    players.push_back(std::move(member));
    clearReady();
    ++revision;
}

void Room::remove(u32 id) {
    std::erase_if(players, [&](const Player& p) { return p.id == id; });
    if (host == id) host = players.empty() ? 0 : players.front().id;
    clearReady();
    for (Target& target : world.targets) {
        target.chosenPilot = -1;
        target.retargetTimer = 0.0f;
    }
    world.session.clear();
    ++revision;
}

void Room::returnToSelection(const std::string& text) {
    outcome = text;
    phase = kSelecting;
    ++selection;
    ++revision;
    world.others.clear();
    world.session.clear();
    world.projectiles.clear();
    world.effects.clear();
    world.sounds.clear();
    world.pilot.missile.active = false;
    for (Player& member : players) {
        member.ready = false;
        resetInput(member);
        member.pilot.missile.active = false;
        member.pilot.arms[0] = Arm{};
        member.pilot.arms[1] = Arm{};
    }
}

void Room::command(u32 id, const json& body) {
    Player& member = player(id);
    const std::string op = body.at("op").get<std::string>();
    const bool isHost = id == host;
    if (op == "select") {
        if (!isHost || phase == kDeployed) throw std::runtime_error("Only host selects missions between deployments");
        const int chosen = wireInteger<int>(body.at("mission"));
        if (!progression.missionAvailable(chosen)) throw std::runtime_error("Mission locked by host campaign");
        mission = chosen;
        outcome.clear();
        ++selection;
        phase = kBriefing;
        clearReady();
        ++revision;
    } else if (op == "ready") {
        if (phase != kBriefing || wireInteger<u64>(body.at("selection")) != selection)
            throw std::runtime_error("Mission selection changed - confirm ready again");
        const Loadout loadout = readLoadout(body.at("loadout"));
        if (!validLoadout(loadout, progression)) throw std::runtime_error("Equipment locked or incompatible");
        member.loadout = loadout;
        member.ready = body.at("ready").get<bool>();
        if (std::all_of(players.begin(), players.end(), [](const Player& p) { return p.ready; })) start();
        ++revision;
    } else if (op == "difficulty") {
        if (!isHost || phase == kDeployed)
            throw std::runtime_error("Only host can change difficulty before deployment");
        const json& value = body.at("value");
        if (!value.is_string() || (value != "normal" && value != "hard"))
            throw std::runtime_error("Difficulty must be normal or hard");
        hard = value == "hard" ? 1 : 0;
        clearReady();
        ++revision;
    } else if (op == "abort") {
        if (!isHost) throw std::runtime_error("Only host can abort");
        returnToSelection("MISSION ABORTED");
        ++revision;
    } else if (op == "restart") {
        if (!isHost || phase < kDeployed) throw std::runtime_error("Only host can restart a deployed mission");
        start();
        ++revision;
    } else if (op == "destroy") {
        if (phase != kDeployed || wireInteger<u64>(body.at("round")) != round || member.pilot.dead) return;
        world.damagePilot(member.pilot, 100000.0f);
        ++revision;
    } else if (op == "ping") {
        if (phase != kDeployed || wireInteger<u64>(body.at("round")) != round || member.pilot.dead) return;
        ping(member, body);
    } else if (op == "input") {
        if (phase != kDeployed || wireInteger<u64>(body.at("round")) != round) return;
        member.input = inputRead(body.at("input"));
        member.inputAge = 0.0f;
    } else {
        throw std::runtime_error("Unknown lobby command");
    }
}

void Room::ping(Player& member, const json& body) {
    const u32 kind = wireInteger<u32>(body.at("kind"));
    if (kind >= 2) throw std::runtime_error("Invalid map ping");
    const Input input = inputRead(body.at("input"));
    if (!input.focused || !input.head) return;
    const Pilot leading = world.pilot;
    world.pilot = member.pilot;
    float* angles = world.pilot.angles;
    const float turn = std::clamp(wrap(input.axes[3]), -kQuarterPi, kQuarterPi);
    angles[2] = wrap(torsoHeading(world.pilot) + turn);
    angles[3] = std::clamp(input.axes[4], -kPingPitchLimit, kPingPitchLimit);
    world.pingMap(kind);
    member.pilot = world.pilot;
    world.pilot = leading;
    ++revision;
}

json Room::state() const {
    json members = json::array();
    for (const Player& member : players) {
        json loadout = json::array();
        for (Weapon weapon : member.loadout) loadout.push_back(static_cast<int>(weapon));
        members.push_back({{"id", member.id},
                           {"name", member.name},
                           {"slot", member.slot},
                           {"ready", member.ready},
                           {"loadout", std::move(loadout)},
                           {"pilot", pilotWire(member.pilot)}});
    }
    return json{{"type", "state"},
                {"room", id},
                {"code", code},
                {"host", host},
                {"revision", revision},
                {"round", round},
                {"selection", selection},
                {"mission", mission},
                {"phase", static_cast<int>(phase)},
                {"outcome", outcome},
                {"campaign", progression.rules.campaign},
                {"completed", progression.completed},
                {"difficulty", hard == 1 ? "hard" : "normal"},
                {"players", std::move(members)}};
}

}  // namespace bastion::coop

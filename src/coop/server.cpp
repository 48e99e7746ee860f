#include "coop/server.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "coop/internal/wire_numbers.h"
#include "coop/internal/snapshot_cbor.h"
#include "platform/datagram_batch.h"
#include "shell/shared/player_name.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

constexpr float kBudget = 180.0f;
constexpr float kBudgetRefill = 90.0f;  // messages a second
constexpr float kFloodLimit = -90.0f;
constexpr float kIdleLimit = 15.0f;     // seconds in no room
constexpr float kBroadcastInterval = 2.0f;
constexpr u32 kSnapshotEvery = 3;
constexpr std::uint64_t kVoiceSession = 1;
// While both sockets are flooded, each is read for this long in turn.
constexpr auto kIdleSlice = std::chrono::microseconds(500);

std::uint16_t voicePortFor(std::uint16_t lobbyPort, std::uint16_t voicePort) {
    if (voicePort != 0) return voicePort;
    return lobbyPort == 65535 ? 65534 : static_cast<std::uint16_t>(lobbyPort + 1);
}

std::string text(const json& body, const char* key, const char* fallback) {
    const auto found = body.find(key);
    return found == body.end() ? fallback : found->get<std::string>();
}

}  // namespace

std::string drawLobbyCode() {
    static constexpr char kAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::ifstream source("/dev/urandom", std::ios::binary);
    char bytes[6];
    if (!source || !source.read(bytes, sizeof bytes)) throw std::runtime_error("Cannot generate lobby code");
    std::string code;
    for (char byte : bytes) code.push_back(kAlphabet[static_cast<unsigned char>(byte) & 31u]);
    return code;
}

Server::Server(const std::filesystem::path& root, const std::string& address, std::uint16_t port,
               std::uint16_t voicePort, AddressLimits limits)
    : root_(root),
      limits_(limits),
      transport_(true, address, port, limits.peers),
      relay_(address, voicePortFor(transport_.port(), voicePort)) {}

void Server::step(float dt) {
    for (Event& event : transport_.poll()) {
        if (event.kind == Event::kConnect) {
            const u32 id = nextPeerId_++;
            peers_.try_emplace(event.peer, Peer{id, {}, 0.0f, kBudget});
        } else if (event.kind == Event::kDisconnect) {
            leave(event.peer);
        } else if (peers_.count(event.peer) != 0) {
            try {
                message(event.peer, event.message, event.channel);
            } catch (const std::exception& error) {
                transport_.send(event.peer, {{"type", "error"}, {"error", error.what()}}, kLobbyChannel);
            }
        }
    }

    std::vector<ENetPeer*> dropped;
    for (auto& [peer, record] : peers_) {
        record.idle += dt;
        record.budget = std::min(record.budget + kBudgetRefill * dt, kBudget);
        if ((record.room.empty() && record.idle > kIdleLimit) || record.budget < kFloodLimit) dropped.push_back(peer);
    }
    for (ENetPeer* peer : dropped) {
        leave(peer);
        enet_peer_disconnect_now(peer, kDropped);
    }

    publishTimer_ += dt;
    const bool broadcast = publishTimer_ >= kBroadcastInterval;
    if (broadcast) publishTimer_ = 0.0f;
    ++tick_;

    std::vector<vant::voice::Participant> participants;
    for (auto& [code, room] : rooms_) {
        const u64 revision = room->revision;
        room->step(dt);
        if (broadcast || room->revision != revision) publish(*room);
        for (const Player& member : room->players)
            participants.push_back({member.id, member.pilot.position, true, room->id});
        if (tick_ % kSnapshotEvery == 0 && room->round != 0) {
            const std::vector<std::uint8_t> snapshot = snapshotCbor(*room, tick_);
            // A snapshot that cannot go out is skipped; the next one follows.
            try {
                transport_.sendEncoded(members(*room), snapshot, kSnapshotChannel);
            } catch (const std::exception&) {
                ++skippedSnapshots_;
            }
            room->world.sounds.clear();
        }
    }
    relay_.poll(participants, kVoiceSession);
    transport_.flush();
}

void Server::idle(std::chrono::steady_clock::time_point until) {
    using Clock = std::chrono::steady_clock;
    const vant::native_socket::Handle sockets[] = {transport_.socket(), relay_.socket()};
    bool readable[std::size(sockets)] = {};
    // A readable socket makes the wait return at once, even past `until`.
    while (Clock::now() < until && vant::native_socket::waitReadable(sockets, readable, until)) {
        std::uint64_t read = 0;
        if (readable[0]) read += transport_.drain(std::min(until, Clock::now() + kIdleSlice));
        if (readable[1]) read += relay_.drain(std::min(until, Clock::now() + kIdleSlice));
        // A socket that stays readable without giving anything (the relay
        // before its first poll) must not spin the rest of the wait.
        if (read == 0) std::this_thread::sleep_until(std::min(until, Clock::now() + std::chrono::milliseconds(1)));
    }
}

void Server::message(ENetPeer* peer, const json& body, std::uint8_t channel) {
    Peer& record = peers_.at(peer);
    record.idle = 0.0f;
    record.budget -= 1.0f;
    if (record.budget < 0.0f) throw std::runtime_error("Message rate exceeded");
    const std::string op = body.at("op").get<std::string>();
    if (op == "create" || op == "join") {
        enter(record, peer, op, body, channel);
        return;
    }
    if (op == "leave") {
        leave(peer);
        enet_peer_disconnect_later(peer, kLeft);
        return;
    }
    if (record.room.empty()) throw std::runtime_error("Join a lobby first");
    if ((op == "input") != (channel == kInputChannel)) throw std::runtime_error("Invalid command channel");
    Room& room = *rooms_.at(record.room);
    room.command(record.id, body);
    if (op != "input") publish(room);
}

void Server::enter(Peer& record, ENetPeer* peer, const std::string& op, const json& body, std::uint8_t channel) {
    if (channel != kLobbyChannel || !record.room.empty()) throw std::runtime_error("Already in a lobby");
    const json& version = body.at("version");
    if (!version.is_number() || version.get<double>() != static_cast<double>(kProtocolMagic))
        throw std::runtime_error("Client version mismatch");
    const std::string name = validatePlayerName(text(body, "name", "Pilot"));
    Room* room = nullptr;
    if (op == "create") {
        if (rooms_.size() >= kMaxRooms) throw std::runtime_error("Lobby server full");
        if (roomsHostedFrom(peer) >= limits_.rooms)
            throw std::runtime_error("Too many lobbies hosted from this address");
        std::unique_ptr<Room> made = createRoom(record, body);
        made->add(record.id);
        record.room = made->code;
        room = made.get();
        rooms_.emplace(made->code, std::move(made));
    } else {
        const auto found = rooms_.find(body.at("code").get<std::string>());
        if (found == rooms_.end()) throw std::runtime_error("Lobby code not found");
        found->second->add(record.id);
        record.room = found->first;
        room = found->second.get();
    }
    room->player(record.id).name = name;
    transport_.send(peer, {{"type", "welcome"}, {"id", record.id}, {"voice", relay_.admit(record.id)}}, kLobbyChannel);
    publish(*room);
}

// Checks the host's campaign before the room takes an id, so a refused
// create uses none up.
std::unique_ptr<Room> Server::createRoom(const Peer& record, const json& body) {
    auto room = std::make_unique<Room>(root_);
    room->host = record.id;
    const auto campaign = body.find("campaign");
    room->progression.rules.load(root_, campaign == body.end() ? 0 : wireInteger<int>(*campaign));
    const std::int32_t completed = wireInteger<std::int32_t>(body.at("completed"));
    const CampaignRules& rules = room->progression.rules;
    const u32 mask = static_cast<u32>(completed);
    if (completed < 0 || (rules.missionCount() < 32 && (mask >> rules.missionCount()) != 0) ||
        (mask & ~rules.available(mask)) != 0)
        throw std::runtime_error("Invalid host campaign");
    room->progression.completed = mask;
    room->mission = room->progression.nextMission();
    std::string code;
    do {
        code = drawLobbyCode();
    } while (rooms_.count(code) != 0);
    room->code = code;
    room->id = nextRoomId_++;
    return room;
}

std::size_t Server::roomsHostedFrom(const ENetPeer* peer) const {
    std::size_t hosted = 0;
    for (const auto& [other, record] : peers_) {
        if (other->address.host != peer->address.host || record.room.empty()) continue;
        const auto room = rooms_.find(record.room);
        if (room != rooms_.end() && room->second->host == record.id) ++hosted;
    }
    return hosted;
}

std::vector<ENetPeer*> Server::members(const Room& room) const {
    std::vector<ENetPeer*> found;
    for (const auto& [peer, record] : peers_)
        if (record.room == room.code) found.push_back(peer);
    return found;
}

void Server::sendToRoom(const Room& room, const json& message, std::uint8_t channel) {
    transport_.send(members(room), message, channel);
}

void Server::publish(Room& room) { sendToRoom(room, room.state(), kLobbyChannel); }

void Server::leave(ENetPeer* peer) {
    const auto found = peers_.find(peer);
    if (found == peers_.end()) return;
    const u32 id = found->second.id;
    const std::string code = found->second.room;
    relay_.remove(id);
    peers_.erase(found);
    const auto room = rooms_.find(code);
    if (room == rooms_.end()) return;
    room->second->remove(id);
    if (room->second->players.empty()) {
        rooms_.erase(room);
    } else {
        publish(*room->second);
    }
}

json Server::report() const {
    json rooms = json::array();
    for (const auto& [code, room] : rooms_) rooms.push_back(room->state());
    json document = {{"port", transport_.port()},
            {"voice", relay_.report()},
            {"rooms", std::move(rooms)},
            {"peers", peers_.size()},
            {"snapshots_skipped", skippedSnapshots_},
            {"foreign_datagrams", transport_.foreign()},
            {"service_errors", transport_.serviceErrors()}};
    if (const auto overflowed = transport_.overflowed()) document["overflowed_datagrams"] = *overflowed;
    return document;
}

}  // namespace bastion::coop

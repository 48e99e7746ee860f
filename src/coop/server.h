#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "coop/room.h"
#include "coop/transport.h"
#include "voice/relay.h"

namespace bastion::coop {

inline constexpr std::size_t kMaxRooms = 32;

// What one source address may hold, so that one machine (or everyone behind
// one NAT) cannot take every peer slot or every room from everyone else.
// Four players behind one address fit with room to spare.
struct AddressLimits {
    std::size_t peers = 16;  // concurrent peers, half-open connections included
    std::size_t rooms = 4;   // open rooms whose host connects from it
};

// The authoritative end of the co-op lobby: peers, rooms by six-character
// code, each room's mission simulation, and voice admission to the relay.
// Everything runs on the thread that calls step.
class Server {
public:
    // Binds the lobby on address:port and the voice relay on address:voicePort
    // (0: the lobby's bound port plus one). Throws when either cannot open.
    // A connection beyond the address's peers is ignored, as one beyond the
    // slots is, and a "create" beyond its rooms is refused.
    Server(const std::filesystem::path& root, const std::string& address, std::uint16_t port,
           std::uint16_t voicePort, AddressLimits limits = {});

    // One server tick of dt seconds.
    void step(float dt);

    // For the time between two steps: waits on the lobby and voice sockets
    // until `until` and reads what arrives. Stray datagrams are dropped as
    // they come, so that a flood cannot fill the system's buffers and push
    // the players' datagrams out while the server has time to spare; the
    // players' own wait for the next step. Returns at `until` at the latest.
    void idle(std::chrono::steady_clock::time_point until);

    // {"port", "voice", "rooms", "peers"}, plus the count of snapshots that
    // could not be sent, and the lobby port's dropped datagrams by reason:
    // foreign, ENet service errors read past (datagrams too long for ENet)
    // and, where the system says, those it dropped because the socket was full.
    nlohmann::json report() const;

    struct Peer {
        u32 id = 0;
        std::string room;
        float idle = 0.0f;
        float budget = 180.0f;
    };

private:
    void message(ENetPeer* peer, const nlohmann::json& body, std::uint8_t channel);
    void enter(Peer& record, ENetPeer* peer, const std::string& op, const nlohmann::json& body, std::uint8_t channel);
    std::unique_ptr<Room> createRoom(const Peer& record, const nlohmann::json& body);
    std::size_t roomsHostedFrom(const ENetPeer* peer) const;
    void publish(Room& room);
    void leave(ENetPeer* peer);
    std::vector<ENetPeer*> members(const Room& room) const;
    void sendToRoom(const Room& room, const nlohmann::json& message, std::uint8_t channel);

    std::filesystem::path root_;
    AddressLimits limits_;
    Transport transport_;
    vant::voice::Relay relay_;
    std::map<ENetPeer*, Peer> peers_;
    std::map<std::string, std::unique_ptr<Room>> rooms_;
    u32 nextPeerId_ = 1;
    u64 nextRoomId_ = 1;
    u32 tick_ = 0;
    float publishTimer_ = 0.0f;
    u64 skippedSnapshots_ = 0;
};

// Six characters from "ABCDEFGHJKLMNPQRSTUVWXYZ23456789" drawn from
// "/dev/urandom"; throws "Cannot generate lobby code".
std::string drawLobbyCode();

}  // namespace bastion::coop

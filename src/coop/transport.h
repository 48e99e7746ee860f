#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <enet/enet.h>
#include <nlohmann/json.hpp>

namespace bastion::coop {

// The co-op protocol magic "SBX9": every client's connect data, and the
// "version" of its create and join requests.
inline constexpr std::uint32_t kProtocolMagic = 0x53425839u;
inline constexpr std::uint16_t kDefaultLobbyPort = 29597;

// Channels: lobby messages (reliable), room snapshots and player input (both
// unsequenced, so a late packet is dropped rather than holding back newer ones).
inline constexpr std::uint8_t kLobbyChannel = 0;
inline constexpr std::uint8_t kSnapshotChannel = 1;
inline constexpr std::uint8_t kInputChannel = 2;
inline constexpr std::size_t kChannelCount = 3;

inline constexpr std::size_t kServerPeerSlots = 128;
inline constexpr std::size_t kServerMessageLimit = 0x2000;
inline constexpr std::size_t kClientMessageLimit = 0x100000;
inline constexpr std::size_t kPacketLimit = 0x100000;
inline constexpr std::size_t kWaitingDataLimit = 0x400000;

// Why a peer was disconnected (the data ENet delivers with a disconnection).
enum DisconnectReason : std::uint32_t {
    kLeft = 0,
    kWrongProtocol = 1,
    kBadMessage = 2,
    kBacklog = 3,
    kDropped = 4,
};

struct Event {
    enum Kind : std::uint32_t { kConnect = 0, kDisconnect = 1, kMessage = 2 };
    std::uint32_t kind = kConnect;
    ENetPeer* peer = nullptr;  // owned by ENet; valid until it reuses the slot
    nlohmann::json message;    // the decoded object of a message, else null
    std::uint8_t channel = 0;
    std::uint32_t data = 0;    // a disconnection's data (0 also for a time-out)
};

// One ENet host carrying CBOR-encoded JSON objects between the lobby server
// and its clients. Non-blocking; everything runs on the owner's thread.
class Transport {
public:
    // Server: binds `address` ("0.0.0.0" for every interface) and `port` (0
    // for any free one), and ENet ignores connection requests from an address
    // that already holds `peersPerAddress` peers, half-open ones included.
    // Client: "0.0.0.0" and 0. Throws std::runtime_error.
    Transport(bool server, const std::string& address, std::uint16_t port,
              std::size_t peersPerAddress = kServerPeerSlots);
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Client only: starts connecting to "host[:port]" (default port 29597).
    // Throws std::invalid_argument for a bad endpoint, std::runtime_error
    // when it cannot be resolved or connected.
    ENetPeer* connect(const std::string& server);

    // What happened since the last poll, at most 256 ENet events and eight
    // ENet receive rounds' worth of the peers' datagrams. Datagrams from no
    // peer do not count against those: they are read and dropped for as long
    // as they come, up to a few milliseconds a poll. A peer that sends a bad
    // packet or the wrong protocol is disconnected here; nothing a remote side
    // sends makes this throw or stops the reading.
    std::vector<Event> poll();

    // Reads the socket until it is empty or `until` passes, without handing
    // out events: datagrams from no peer are dropped as they come, so the
    // system's buffer keeps room for the peers', and what the peers sent
    // waits for the next poll, which returns it first. For the time between
    // two polls.
    // Returns how many datagrams it read.
    std::uint64_t drain(std::chrono::steady_clock::time_point until);

    // Queues one message; silently nothing for a peer that is not connected,
    // and a graceful disconnect of a peer with more than 4 MiB queued. Throws
    // "Network state exceeds limit" for an encoding beyond 1 MiB.
    void send(ENetPeer* peer, const nlohmann::json& message, std::uint8_t channel);

    // The same message to several peers, encoded once and shared by them.
    void send(std::span<ENetPeer* const> peers, const nlohmann::json& message, std::uint8_t channel);
    // The same, for a message its caller encoded to CBOR itself.
    void sendEncoded(std::span<ENetPeer* const> peers, std::span<const std::uint8_t> encoded, std::uint8_t channel);

    void flush();
    std::uint16_t port() const;
    // The socket, to wait on it.
    int socket() const;
    // Datagrams dropped unread because they came from no peer of this host
    // and asked for no connection (garbage, or a peer's stale session).
    std::uint64_t foreign() const;
    // ENet service calls that failed and were read past: on this end almost
    // always a datagram longer than ENet's buffer, which it drops unread.
    std::uint64_t serviceErrors() const;
    // Datagrams the system dropped because the socket was full; nothing
    // where it cannot say.
    std::optional<std::uint64_t> overflowed() const;

private:
    bool server() const;
    // Turns one ENet event into what poll reports, and acts on a wrong
    // protocol or a bad message.
    void take(ENetEvent& event, std::vector<Event>& events);

    ENetHost* host_ = nullptr;
    std::uint64_t foreign_ = 0;
    std::uint64_t serviceErrors_ = 0;
    std::vector<Event> pending_;  // taken by drain for the next poll
};

}  // namespace bastion::coop

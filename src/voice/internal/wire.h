#pragma once

// Internal to the voice library: the two datagram formats between clients
// and the relay.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vant::voice::wire {

using Token = std::array<std::byte, 16>;

// The wire channel of a hello and of its acknowledgement.
inline constexpr std::uint8_t helloChannel = 2;

// Client to relay: "VNV1", token, sequence, session, channel, Opus.
inline constexpr std::size_t clientHeaderBytes = 33;
// Relay to client: "VNR1", token, speaker, sequence, session, channel, x, z, Opus.
inline constexpr std::size_t relayHeaderBytes = 45;
// Anything this long is nobody's datagram; sockets drop it unseen.
inline constexpr std::size_t oversizedBytes = 444;

struct ClientDatagram {
    Token token{};
    std::uint32_t sequence = 0;
    std::uint64_t session = 0;
    std::uint8_t channel = 0;
    std::span<const std::byte> opus;
};

struct RelayDatagram {
    Token token{};
    std::uint32_t speaker = 0;
    std::uint32_t sequence = 0;
    std::uint64_t session = 0;
    std::uint8_t channel = 0;
    float x = 0.0f;
    float z = 0.0f;
    std::span<const std::byte> opus;
};

std::vector<std::byte> encode(const ClientDatagram& datagram);
std::vector<std::byte> encode(const RelayDatagram& datagram);

// The fields of a datagram with the right magic and at least its header;
// the payload views into `bytes`.
std::optional<ClientDatagram> decodeClient(std::span<const std::byte> bytes);
std::optional<RelayDatagram> decodeRelay(std::span<const std::byte> bytes);

}  // namespace vant::voice::wire

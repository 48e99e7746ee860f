#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "voice/participant.h"
#include "voice/time_source.h"

namespace vant::voice {

// Fills the span with unpredictable bytes; false when it cannot.
using RandomSource = std::function<bool(std::span<std::byte>)>;

// The server end of voice chat: one bound UDP socket that admits players by
// token, limits each one's rate, and forwards voice within a group (the
// proximity channel only to players within 60 units). Polled once per
// server step; never throws for anything a client sends.
class Relay {
public:
    // Binds `host` ("" for every local address) and `port` (0 for any free one).
    Relay(const std::string& host, std::uint16_t port);
    Relay(const std::string& host, std::uint16_t port, TimeSource now, RandomSource random);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    std::uint16_t port() const;
    // The player's credentials; a re-admitted player's old token stops
    // working. Throws std::runtime_error "Cannot obtain voice session credentials".
    nlohmann::json admit(std::uint32_t player);
    void remove(std::uint32_t player);
    // Acts on what arrived: at most 128 hellos and voice datagrams a call,
    // those read by `drain` first. Rejected datagrams do not count against
    // that; they are read and dropped for up to 2 ms of processor time a call.
    void poll(std::span<const Participant> participants, std::uint64_t session);
    // Reads the socket until it is empty or `until` passes, for the time
    // between two polls: datagrams that need no participants to be rejected
    // (malformed, of no admitted player, beyond a player's rate or of
    // another session) are dropped at once, so the system's buffer keeps
    // room for the players'; the rest waits for the next poll. Reads nothing
    // before the first poll.
    // Returns how many datagrams it read.
    std::uint64_t drain(std::chrono::steady_clock::time_point until);
    // The socket, to wait on it.
    int socket() const;
    // {"received", "forwarded", "rejected", "port"}, the rejected ones by
    // reason ("rejected_by_reason"), and "overflowed": datagrams the system
    // dropped because the socket was full, where it can say.
    nlohmann::json report() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::voice

#pragma once

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
    void poll(std::span<const Participant> participants, std::uint64_t session);
    nlohmann::json report() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::voice

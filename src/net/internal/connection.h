#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "net/internal/limits.h"

namespace vant::net {

// One TCP stream carrying JSON messages as length-prefixed CBOR frames.
// Non-blocking and bounded by its Limits; the first failure closes it and
// keeps its text in error().
class Connection {
public:
    Connection();
    // Adopts an already connected socket. Throws on bad limits.
    Connection(std::int64_t socket, const Limits& limits);
    ~Connection();
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Waits at most `timeoutMs` for the connection. Throws std::invalid_argument
    // or std::runtime_error.
    static Connection connect(const std::string& host, std::uint16_t port, std::int32_t timeoutMs,
                              const Limits& limits = {});

    // Queues the message (dropping queued replaceable messages not yet begun
    // when this one is replaceable) and sends what the socket takes. True
    // while the connection stays open.
    bool send(const nlohmann::json& message, bool replaceable = false);
    // Messages completed by this call.
    std::vector<nlohmann::json> poll();

    bool connected() const;
    std::string peerHost() const;
    std::string error() const;
    std::uint64_t queuedBytes() const;
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vant::net

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "voice/channel.h"
#include "voice/packet.h"
#include "voice/time_source.h"

namespace vant::voice {

// The client end of the voice relay: one connected UDP socket, registered
// with a hello every second, sending this client's voice and handing the
// relay's datagrams to playback. Non-blocking; polled once per frame.
class Transport {
public:
    explicit Transport(TimeSource now = steadyNow);
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Connects to the relay at `host` (an IPv4 address or a name with one)
    // and the credentials' port. Throws on bad credentials or sockets; the
    // transport is then unconnected.
    void connect(const std::string& host, const nlohmann::json& credentials);
    void close();

    // Keeps the registration alive and returns the accepted packets.
    std::vector<Packet> poll(std::uint64_t session);
    // False when refused or not fully sent; never throws for a refusal.
    bool send(Channel channel, std::uint64_t session, std::span<const std::byte> opus);
    // The relay acknowledged a hello less than 3 s ago.
    bool ready() const;
    nlohmann::json report() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    TimeSource now_;
};

}  // namespace vant::voice

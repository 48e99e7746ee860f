#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "voice/time_source.h"

namespace vant::voice::testing {

// A bare UDP socket on 127.0.0.1 that plays the other end byte by byte.
class RawUdp {
public:
    RawUdp();
    ~RawUdp();
    RawUdp(const RawUdp&) = delete;
    RawUdp& operator=(const RawUdp&) = delete;

    std::uint16_t port() const { return port_; }
    void sendTo(std::uint16_t port, std::span<const std::byte> bytes);
    // Sends to whoever sent the last datagram received.
    void reply(std::span<const std::byte> bytes);
    // The next datagram, waiting up to `timeout`.
    std::optional<std::vector<std::byte>> receive(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Everything already waiting, without waiting.
    std::vector<std::vector<std::byte>> drain();

private:
    int handle_ = -1;
    std::uint16_t port_ = 0;
    std::uint16_t lastSender_ = 0;
};

// A steady clock the test moves by hand.
struct ManualClock {
    SteadyTime time = SteadyTime{} + std::chrono::hours(1);
    TimeSource source() {
        return [this] { return time; };
    }
    void advance(std::chrono::milliseconds step) { time += step; }
};

// Builds datagrams field by field, big-endian.
struct Bytes {
    std::vector<std::byte> data;
    Bytes& text(const std::string& s);
    Bytes& raw(std::span<const std::byte> bytes);
    Bytes& u8(std::uint8_t v);
    Bytes& u32(std::uint32_t v);
    Bytes& u64(std::uint64_t v);
    Bytes& f32(float v);
    Bytes& fill(std::size_t count, std::uint8_t v);
    operator std::span<const std::byte>() const { return data; }
};

std::vector<std::byte> tokenBytes(const std::string& hex);
// A small valid Opus packet (SILK wide band, 20 ms).
std::vector<std::byte> opusPayload(std::size_t size = 20);

}  // namespace vant::voice::testing

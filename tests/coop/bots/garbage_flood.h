#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace bastion::coopbots {

// The lengths of garbage datagrams: from `smallest` to `largest` bytes,
// spread evenly over the orders of magnitude, so that short ones and ones far
// beyond any receive buffer both come often. 65,507 is the most a UDP
// datagram over IPv4 carries.
struct FloodSizes {
    std::size_t smallest = 1;
    std::size_t largest = 65507;
};

// Sends garbage datagrams to the lobby and voice ports of 127.0.0.1 at a
// steady rate per port, from its own thread until destroyed: random bytes of
// random length, and some that look like the real thing at first glance (an
// ENet header naming a used peer slot, a voice datagram of a voice datagram's
// length with a made-up token), so they get past the first cheap test.
class GarbageFlood {
public:
    GarbageFlood(std::uint16_t lobbyPort, std::uint16_t voicePort, double perSecond, FloodSizes sizes,
                 std::uint32_t seed);
    ~GarbageFlood();
    GarbageFlood(const GarbageFlood&) = delete;
    GarbageFlood& operator=(const GarbageFlood&) = delete;

    std::uint64_t sent() const { return sent_.load(); }

private:
    void run(std::uint16_t lobbyPort, std::uint16_t voicePort, double perSecond, FloodSizes sizes, std::uint32_t seed);

    std::atomic<std::uint64_t> sent_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace bastion::coopbots

#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace bastion::coopbots {

// The lengths of garbage datagrams: from `smallest` to `largest` bytes,
// spread evenly over the orders of magnitude, so that short ones and ones far
// beyond any receive buffer both come often. 65,507 is the most a UDP
// datagram over IPv4 carries.
struct FloodSizes {
    std::size_t smallest = 1;
    std::size_t largest = 65507;
};

// Where and how hard the garbage goes.
struct FloodPlan {
    double perSecond = 0.0;   // on each port, all sockets together; 0: as fast as they go
    FloodSizes sizes;
    std::size_t sockets = 1;  // each sending from a thread of its own
    bool lobby = true;        // to the lobby port
    bool voice = true;        // to the voice port
};

// Sends garbage datagrams to the lobby and voice ports of 127.0.0.1 from
// several sockets, each on its own thread, until destroyed: random bytes of
// random length, and some that look like the real thing at first glance (an
// ENet header naming a used peer slot, a voice datagram of a voice datagram's
// length with a made-up token), so they get past the first cheap test. The
// datagrams are made in advance and go out many to a system call, so that
// one machine's full rate reaches the server.
class GarbageFlood {
public:
    GarbageFlood(std::uint16_t lobbyPort, std::uint16_t voicePort, const FloodPlan& plan, std::uint32_t seed);
    ~GarbageFlood();
    GarbageFlood(const GarbageFlood&) = delete;
    GarbageFlood& operator=(const GarbageFlood&) = delete;

    // Datagrams sent so far, to each port.
    std::uint64_t sentToLobby() const { return sentToLobby_.load(); }
    std::uint64_t sentToVoice() const { return sentToVoice_.load(); }
    std::uint64_t sent() const { return sentToLobby() + sentToVoice(); }

private:
    void run(std::uint16_t lobbyPort, std::uint16_t voicePort, const FloodPlan& plan, std::uint32_t seed);

    std::atomic<std::uint64_t> sentToLobby_{0};
    std::atomic<std::uint64_t> sentToVoice_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

}  // namespace bastion::coopbots

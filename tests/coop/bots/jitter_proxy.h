#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <queue>
#include <random>
#include <thread>
#include <vector>

#include <netinet/in.h>

namespace bastion::coopbots {

// A UDP relay on 127.0.0.1 in front of the lobby and voice ports that loses a
// share of the datagrams in both directions and delays each survivor by a
// random time up to the jitter, so datagrams also arrive out of order. Every
// client address gets its own upstream socket, so the server still tells the
// clients apart. Runs on its own thread from construction to destruction.
class JitterProxy {
public:
    JitterProxy(std::uint16_t lobbyPort, std::uint16_t voicePort, double loss, std::chrono::microseconds jitter,
                std::uint32_t seed);
    ~JitterProxy();
    JitterProxy(const JitterProxy&) = delete;
    JitterProxy& operator=(const JitterProxy&) = delete;

    std::uint16_t lobbyPort() const;
    std::uint16_t voicePort() const;

    struct Counts {
        std::uint64_t forwarded = 0;
        std::uint64_t dropped = 0;
    };
    Counts counts() const;

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        int socket;
        sockaddr_in to;
        std::vector<std::uint8_t> bytes;
        bool operator>(const Pending& other) const { return due > other.due; }
    };
    struct Front;

    void run();
    void receive(int socket, Front* front, const sockaddr_in* client);
    void queue(int socket, const sockaddr_in& to, const std::uint8_t* bytes, std::size_t size);
    void deliverDue();

    std::vector<std::unique_ptr<Front>> fronts_;
    double loss_;
    std::chrono::microseconds jitter_;
    std::mt19937 random_;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending_;
    std::atomic<std::uint64_t> forwarded_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace bastion::coopbots

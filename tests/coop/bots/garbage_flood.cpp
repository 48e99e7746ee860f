#include "coop/bots/garbage_flood.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/loopback_address.h"

namespace bastion::coopbots {

using testing_support::loopbackAddress;

GarbageFlood::GarbageFlood(std::uint16_t lobbyPort, std::uint16_t voicePort, double perSecond, std::uint32_t seed)
    : thread_([=, this] { run(lobbyPort, voicePort, perSecond, seed); }) {}

GarbageFlood::~GarbageFlood() {
    stop_ = true;
    thread_.join();
}

void GarbageFlood::run(std::uint16_t lobbyPort, std::uint16_t voicePort, double perSecond, std::uint32_t seed) {
    const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0) return;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(1, 600);
    const sockaddr_in targets[2] = {loopbackAddress(lobbyPort), loopbackAddress(voicePort)};
    std::vector<std::uint8_t> bytes;
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t due = 0;
    while (!stop_) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto target = static_cast<std::uint64_t>(elapsed * perSecond);
        for (; due < target && !stop_; ++due) {
            for (int port = 0; port < 2; ++port) {
                bytes.resize(size(random));
                for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random));
                const bool plausible = due % 4 == 0;
                if (plausible && port == 0 && bytes.size() >= 4) {
                    // Peer slot 0..127 without the session bits of a live peer.
                    const std::uint16_t header = htons(static_cast<std::uint16_t>(byte(random) & 0x7F));
                    std::memcpy(bytes.data(), &header, sizeof header);
                }
                if (plausible && port == 1) {
                    bytes.resize(std::max<std::size_t>(bytes.size(), 94));
                    std::memcpy(bytes.data(), "VNV1", 4);
                }
                ::sendto(handle, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&targets[port]),
                         sizeof targets[port]);
                ++sent_;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::close(handle);
}

}  // namespace bastion::coopbots

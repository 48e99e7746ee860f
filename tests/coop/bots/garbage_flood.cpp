#include "coop/bots/garbage_flood.h"

#include <algorithm>
#include <chrono>
#include <cmath>
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

GarbageFlood::GarbageFlood(std::uint16_t lobbyPort, std::uint16_t voicePort, double perSecond, FloodSizes sizes,
                           std::uint32_t seed)
    : thread_([=, this] { run(lobbyPort, voicePort, perSecond, sizes, seed); }) {}

GarbageFlood::~GarbageFlood() {
    stop_ = true;
    thread_.join();
}

namespace {

// A voice datagram's length: a header and token, and a short Opus frame.
constexpr std::size_t kVoiceSmallest = 94;
constexpr std::size_t kVoiceLargest = 443;
constexpr std::size_t kLargestDatagram = 65507;

}  // namespace

void GarbageFlood::run(std::uint16_t lobbyPort, std::uint16_t voicePort, double perSecond, FloodSizes sizes,
                       std::uint32_t seed) {
    const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0) return;
    const int sendBuffer = 4 << 20;
    ::setsockopt(handle, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    // Lengths even in their logarithm; the bytes are slices of one random
    // pool, so that thousands of large datagrams a second cost little to make.
    std::uniform_real_distribution<double> magnitude(std::log(static_cast<double>(sizes.smallest)),
                                                     std::log(static_cast<double>(sizes.largest) + 1.0));
    const auto length = [&] {
        const auto size = static_cast<std::size_t>(std::exp(magnitude(random)));
        return std::clamp(size, sizes.smallest, sizes.largest);
    };
    std::vector<std::uint8_t> pool(2 * kLargestDatagram);
    for (auto& b : pool) b = static_cast<std::uint8_t>(byte(random));
    std::uniform_int_distribution<std::size_t> offset(0, pool.size() - kLargestDatagram);
    const sockaddr_in targets[2] = {loopbackAddress(lobbyPort), loopbackAddress(voicePort)};
    std::vector<std::uint8_t> bytes;
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t due = 0;
    while (!stop_) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto target = static_cast<std::uint64_t>(elapsed * perSecond);
        for (; due < target && !stop_; ++due) {
            for (int port = 0; port < 2; ++port) {
                const bool plausible = due % 4 == 0;
                std::size_t size = length();
                if (plausible && port == 1) size = std::clamp(size, kVoiceSmallest, kVoiceLargest);
                const auto from = pool.begin() + static_cast<std::ptrdiff_t>(offset(random));
                bytes.assign(from, from + static_cast<std::ptrdiff_t>(size));
                if (plausible && port == 0 && bytes.size() >= 4) {
                    // Peer slot 0..127 without the session bits of a live peer.
                    const std::uint16_t header = htons(static_cast<std::uint16_t>(byte(random) & 0x7F));
                    std::memcpy(bytes.data(), &header, sizeof header);
                }
                if (plausible && port == 1) std::memcpy(bytes.data(), "VNV1", 4);
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

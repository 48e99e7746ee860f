#include "coop/bots/garbage_flood.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/loopback_address.h"

namespace bastion::coopbots {

using testing_support::loopbackAddress;

namespace {

// A voice datagram's length: a header and token, and a short Opus frame.
constexpr std::size_t kVoiceSmallest = 94;
constexpr std::size_t kVoiceLargest = 443;
// Datagrams made in advance per socket and port, sent round and round.
constexpr std::size_t kPrepared = 1024;
// Datagrams per system call.
constexpr std::size_t kBatch = 64;

struct Prepared {
    std::vector<std::uint8_t> pool;  // random bytes the datagrams are slices of
    std::vector<iovec> slices;       // one per datagram
};

// Lengths even in their logarithm; the bytes are slices of one random pool,
// so that large datagrams cost little to make.
Prepared prepare(bool voicePort, FloodSizes sizes, std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_real_distribution<double> magnitude(std::log(static_cast<double>(sizes.smallest)),
                                                     std::log(static_cast<double>(sizes.largest) + 1.0));
    std::vector<std::size_t> lengths(kPrepared);
    std::size_t total = 0;
    for (std::size_t i = 0; i < kPrepared; ++i) {
        std::size_t size = std::clamp(static_cast<std::size_t>(std::exp(magnitude(random))), sizes.smallest, sizes.largest);
        if (i % 4 == 0 && voicePort) size = std::clamp(size, std::min(kVoiceSmallest, sizes.largest), kVoiceLargest);
        lengths[i] = size;
        total += size;
    }
    Prepared prepared;
    prepared.pool.resize(total);
    for (auto& b : prepared.pool) b = static_cast<std::uint8_t>(byte(random));
    std::size_t at = 0;
    for (std::size_t i = 0; i < kPrepared; ++i) {
        std::uint8_t* bytes = prepared.pool.data() + at;
        const bool plausible = i % 4 == 0;
        if (plausible && !voicePort && lengths[i] >= 4) {
            // Peer slot 0..127 without the session bits of a live peer.
            const std::uint16_t header = htons(static_cast<std::uint16_t>(byte(random) & 0x7F));
            std::memcpy(bytes, &header, sizeof header);
        }
        if (plausible && voicePort && lengths[i] >= 4) std::memcpy(bytes, "VNV1", 4);
        prepared.slices.push_back({bytes, lengths[i]});
        at += lengths[i];
    }
    return prepared;
}

}  // namespace

GarbageFlood::GarbageFlood(std::uint16_t lobbyPort, std::uint16_t voicePort, const FloodPlan& plan, std::uint32_t seed) {
    for (std::size_t i = 0; i < std::max<std::size_t>(1, plan.sockets); ++i)
        threads_.emplace_back([=, this] { run(lobbyPort, voicePort, plan, seed + static_cast<std::uint32_t>(i) * 7919u); });
}

GarbageFlood::~GarbageFlood() {
    stop_ = true;
    for (std::thread& thread : threads_) thread.join();
}

void GarbageFlood::run(std::uint16_t lobbyPort, std::uint16_t voicePort, const FloodPlan& plan, std::uint32_t seed) {
    const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0) return;
    const int sendBuffer = 4 << 20;
    ::setsockopt(handle, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    std::mt19937 random(seed);
    struct Port {
        sockaddr_in address;
        Prepared prepared;
        std::atomic<std::uint64_t>* counter;
        std::size_t next = 0;
    };
    std::vector<Port> ports;
    if (plan.lobby) ports.push_back({loopbackAddress(lobbyPort), prepare(false, plan.sizes, random), &sentToLobby_});
    if (plan.voice) ports.push_back({loopbackAddress(voicePort), prepare(true, plan.sizes, random), &sentToVoice_});
    if (ports.empty()) {
        ::close(handle);
        return;
    }
    const double perSocket = plan.perSecond / static_cast<double>(std::max<std::size_t>(1, plan.sockets));
    std::array<mmsghdr, kBatch> headers{};
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t done = 0;  // rounds: one datagram to each port
    while (!stop_) {
        std::uint64_t due = done + kBatch / ports.size();
        if (perSocket > 0.0) {
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            due = std::min(due, static_cast<std::uint64_t>(elapsed * perSocket));
            if (due <= done) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
        }
        const std::size_t rounds = static_cast<std::size_t>(due - done);
        std::size_t count = 0;
        for (std::size_t r = 0; r < rounds; ++r) {
            for (Port& port : ports) {
                mmsghdr& header = headers[count++];
                header = {};
                header.msg_hdr.msg_name = &port.address;
                header.msg_hdr.msg_namelen = sizeof port.address;
                header.msg_hdr.msg_iov = &port.prepared.slices[port.next];
                header.msg_hdr.msg_iovlen = 1;
                port.next = (port.next + 1) % kPrepared;
            }
        }
        const int sent = ::sendmmsg(handle, headers.data(), static_cast<unsigned>(count), 0);
        // What the system refused (a full send buffer) is sent again next time.
        const std::size_t accepted = sent > 0 ? static_cast<std::size_t>(sent) : 0;
        for (std::size_t i = 0; i < accepted; ++i) {
            const auto* to = static_cast<const sockaddr_in*>(headers[i].msg_hdr.msg_name);
            for (Port& port : ports)
                if (to == &port.address) port.counter->fetch_add(1, std::memory_order_relaxed);
        }
        done += accepted / ports.size();
        if (accepted < count) std::this_thread::yield();
    }
    ::close(handle);
}

}  // namespace bastion::coopbots

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/loopback_address.h"
#include "voice/relay.h"

namespace vant::voice {
namespace {

// 32 rooms of 4 players, every one talking on the radio: each poll takes one
// 20 ms frame from all 128 and forwards each to the 3 others of its room.
// Only the relay's poll is timed; "datagrams" is what it took in per second.
void RelayForwarding(benchmark::State& state) {
    constexpr int rooms = 32, perRoom = 4, players = rooms * perRoom;
    SteadyTime time = std::chrono::steady_clock::now();
    Relay relay("127.0.0.1", 0, [&] { return time; }, [](std::span<std::byte> out) {
        static unsigned counter = 0;
        ++counter;
        std::fill(out.begin(), out.end(), std::byte{0});
        for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<std::byte>(counter >> (8 * i));
        return true;
    });
    sockaddr_in to = bastion::testing_support::loopbackAddress(relay.port());

    std::vector<Participant> participants;
    std::vector<int> sockets;
    std::vector<std::vector<unsigned char>> datagrams;
    for (int id = 1; id <= players; ++id) {
        const std::string hex = relay.admit(static_cast<std::uint32_t>(id))["token"];
        participants.push_back({static_cast<std::uint32_t>(id), {float(id % perRoom), 0, 0}, true,
                                static_cast<std::uint64_t>((id - 1) / perRoom)});
        const int handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        // Listeners never read: a tiny buffer keeps the kernel's work small.
        const int small = 1;
        ::setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockets.push_back(handle);
        std::vector<unsigned char> datagram{'V', 'N', 'V', '1'};
        for (std::size_t i = 0; i < 32; i += 2) datagram.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        datagram.insert(datagram.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2});
        ::sendto(handle, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        datagram[32] = 1;
        datagram.push_back(0x48);
        datagram.insert(datagram.end(), 60, 0x5A);
        datagrams.push_back(std::move(datagram));
    }
    relay.poll(participants, 1);

    std::uint32_t sequence = 0;
    for (auto _ : state) {
        time += std::chrono::milliseconds(20);
        ++sequence;
        for (int i = 0; i < players; ++i) {
            auto& datagram = datagrams[static_cast<std::size_t>(i)];
            for (int b = 0; b < 4; ++b) datagram[20 + b] = static_cast<unsigned char>(sequence >> (24 - 8 * b));
            ::sendto(sockets[static_cast<std::size_t>(i)], datagram.data(), datagram.size(), 0,
                     reinterpret_cast<sockaddr*>(&to), sizeof to);
        }
        const auto start = std::chrono::steady_clock::now();
        relay.poll(participants, 1);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const auto report = relay.report();
    state.counters["datagrams"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * players, benchmark::Counter::kIsRate);
    state.counters["forwarded_per_in"] =
        static_cast<double>(report["forwarded"].get<std::uint64_t>()) / (static_cast<double>(state.iterations()) * players);
    for (const int handle : sockets) ::close(handle);
}
BENCHMARK(RelayForwarding)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vant::voice

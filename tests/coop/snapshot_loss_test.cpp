// Snapshots larger than one datagram, sent every 20 ms through a link that
// loses 10 % of its datagrams. The transport sends them as unreliable
// fragments: a snapshot that lost a fragment is dropped, none arrives after
// a newer one, and none is held back behind a retransmission. Reliable
// fragments (ENet's default for an unsequenced packet of this size) are
// measured alongside for comparison.
#include <chrono>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "coop/enet_peers.h"
#include "coop/lossy_proxy.h"
#include "coop/transport.h"

namespace bastion::coop {
namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;
using testing::LossyProxy;
using testing::pumpUntil;

constexpr int kSnapshots = 60;

struct Delivery {
    int received = 0;
    bool inOrder = true;
    double worstLatencyMs = 0.0;
};

// Sends numbered 10 kB snapshots on channel 1, with `flags` when given (raw
// ENet) or through Transport::send, and records what the client receives.
Delivery run(bool throughTransport) {
    Transport server(true, "127.0.0.1", 0);
    LossyProxy proxy(server.port(), 0.10, 7);
    Transport client(false, "0.0.0.0", 0);
    client.connect("127.0.0.1:" + std::to_string(proxy.port()));
    ENetPeer* remote = nullptr;
    bool joined = false;
    Delivery result;
    int last = -1;
    std::vector<Clock::time_point> sent;
    const auto service = [&] {
        for (Event& e : server.poll())
            if (e.kind == Event::kConnect) remote = e.peer;
        proxy.pump();
        for (Event& e : client.poll()) {
            if (e.kind == Event::kConnect) joined = true;
            if (e.kind != Event::kMessage) continue;
            const int n = e.message["n"].get<int>();
            result.received += 1;
            result.inOrder = result.inOrder && n > last;
            last = n;
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent[static_cast<std::size_t>(n)]).count();
            result.worstLatencyMs = std::max(result.worstLatencyMs, ms);
        }
    };
    EXPECT_TRUE(pumpUntil(service, [&] { return remote != nullptr && joined; }));
    if (remote == nullptr) return result;
    std::string filler;
    for (int i = 0; i < 10000; ++i) filler.push_back(static_cast<char>('a' + (i * 7919) % 26));
    for (int n = 0; n < kSnapshots; ++n) {
        sent.push_back(Clock::now());
        const json snapshot = {{"n", n}, {"world", filler}};
        if (throughTransport) {
            server.send(remote, snapshot, kSnapshotChannel);
        } else {
            const std::vector<std::uint8_t> bytes = json::to_cbor(snapshot);
            enet_peer_send(remote, kSnapshotChannel,
                           enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_UNSEQUENCED));
        }
        server.flush();
        const auto next = Clock::now() + std::chrono::milliseconds(20);
        pumpUntil(service, [&] { return Clock::now() >= next; });
    }
    const auto end = Clock::now() + std::chrono::milliseconds(500);
    pumpUntil(service, [&] { return Clock::now() >= end; });
    return result;
}

TEST(SnapshotLoss, LateSnapshotsAreDroppedNotDelayed) {
    const Delivery unreliable = run(true);
    const Delivery reliable = run(false);
    std::printf("10%% datagram loss, %d snapshots of 10 kB every 20 ms:\n"
                "  unreliable fragments: %d delivered, worst latency %.0f ms\n"
                "  reliable fragments:   %d delivered, worst latency %.0f ms\n",
                kSnapshots, unreliable.received, unreliable.worstLatencyMs, reliable.received,
                reliable.worstLatencyMs);
    EXPECT_TRUE(unreliable.inOrder);
    EXPECT_GT(unreliable.received, kSnapshots / 4);
    EXPECT_LT(unreliable.received, kSnapshots) << "a lost fragment drops its snapshot";
}

}  // namespace
}  // namespace bastion::coop

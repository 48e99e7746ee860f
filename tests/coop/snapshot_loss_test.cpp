// Snapshots larger than one datagram, sent every 20 ms through a link that
// loses 10 % of its datagrams. The transport sends them as unreliable
// fragments: a snapshot that lost a fragment is dropped, none arrives after
// a newer one, and none is held back behind a retransmission. Reliable
// fragments (ENet's default for an unsequenced packet of this size) are
// measured alongside for comparison.
#include <chrono>
#include <cstdio>
#include <functional>
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
// A server and a client joined through a proxy; `service` pumps all three
// and hands the client's messages to `received`.
struct Link {
    explicit Link(double loss) : proxy(server.port(), loss, 7) {
        client.connect("127.0.0.1:" + std::to_string(proxy.port()));
    }
    void service(const std::function<void(const Event&)>& received) {
        for (Event& e : server.poll())
            if (e.kind == Event::kConnect) remote = e.peer;
        proxy.pump();
        for (Event& e : client.poll()) {
            if (e.kind == Event::kConnect) joined = true;
            if (e.kind == Event::kMessage) received(e);
        }
    }
    bool connect(const std::function<void(const Event&)>& received) {
        return pumpUntil([&] { service(received); }, [&] { return remote != nullptr && joined; });
    }

    Transport server{true, "127.0.0.1", 0};
    LossyProxy proxy;
    Transport client{false, "0.0.0.0", 0};
    ENetPeer* remote = nullptr;
    bool joined = false;
};

Delivery run(bool throughTransport) {
    Link link(0.10);
    Transport& server = link.server;
    Delivery result;
    int last = -1;
    std::vector<Clock::time_point> sent;
    const auto service = [&] {
        link.service([&](const Event& e) {
            const int n = e.message["n"].get<int>();
            result.received += 1;
            result.inOrder = result.inOrder && n > last;
            last = n;
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent[static_cast<std::size_t>(n)]).count();
            result.worstLatencyMs = std::max(result.worstLatencyMs, ms);
        });
    };
    EXPECT_TRUE(link.connect([](const Event&) {}));
    ENetPeer* remote = link.remote;
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

// A link that loses nothing but now and then holds everything back for a
// moment, as a late step or a busy scheduler does. The round trips ENet
// measures jump, and that alone must not cost a snapshot. The run lasts past
// ENet's 5 s throttle period, after which it judges round trips against the
// period before.
TEST(SnapshotLoss, RoundTripSpikesLoseNoSnapshot) {
    using namespace std::chrono_literals;
    Link link(0.0);
    const Clock::time_point start = Clock::now();
    // 10 ms each way, and what comes in the first 100 ms of every 500 ms
    // waits until they are over.
    link.proxy.setDelay([start](Clock::time_point now) -> Clock::duration {
        const Clock::duration phase = (now - start) % Clock::duration(500ms);
        return 10ms + (phase < 100ms ? Clock::duration(100ms) - phase : Clock::duration(0));
    });
    int received = 0;
    const auto count = [&](const Event& e) { received += e.channel == kSnapshotChannel ? 1 : 0; };
    const auto service = [&] { link.service(count); };
    ASSERT_TRUE(link.connect(count));
    Transport& server = link.server;
    ENetPeer* remote = link.remote;
    constexpr int kSent = 400;  // one every 20 ms: 8 s
    const std::string filler(1500, 'w');  // two datagrams each
    for (int n = 0; n < kSent; ++n) {
        server.send(remote, {{"n", n}, {"world", filler}}, kSnapshotChannel);
        // Lobby messages are the reliable traffic whose round trips ENet times.
        if (n % 5 == 0) server.send(remote, {{"type", "state"}, {"n", n}}, kLobbyChannel);
        server.flush();
        const auto next = Clock::now() + 20ms;
        pumpUntil(service, [&] { return Clock::now() >= next; });
    }
    pumpUntil(service, [&] { return received == kSent; }, 3s);
    EXPECT_EQ(received, kSent) << "snapshots dropped although the link lost nothing";
}

}  // namespace
}  // namespace bastion::coop

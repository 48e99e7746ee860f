#include <gtest/gtest.h>

#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>

#include "coop/enet_peers.h"
#include "coop/transport.h"
#include "coop/wire_failure.h"
#include "support/loopback_address.h"

namespace bastion::coop {
namespace {

using nlohmann::json;
using testing::messageOfSize;
using testing::pumpUntil;
using testing::RawClient;
using testing::wireFailure;

// A server on an ephemeral loopback port, and what it reported.
struct Server {
    Transport transport{true, "127.0.0.1", 0};
    std::vector<Event> events;
    void poll() {
        for (Event& event : transport.poll()) events.push_back(std::move(event));
    }
    std::size_t count(std::uint32_t kind) const {
        std::size_t n = 0;
        for (const Event& e : events) n += e.kind == kind ? 1 : 0;
        return n;
    }
};

struct Client {
    explicit Client(std::uint16_t port) : peer(transport.connect("127.0.0.1:" + std::to_string(port))) {}
    Transport transport{false, "0.0.0.0", 0};
    ENetPeer* peer;
    std::vector<Event> events;
    void poll() {
        for (Event& event : transport.poll()) events.push_back(std::move(event));
    }
};

TEST(Transport, MessagesTravelOnAllThreeChannels) {
    Server server;
    ASSERT_NE(server.transport.port(), 0);
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); },
                          [&] { return server.count(Event::kConnect) == 1 && !client.events.empty(); }));
    EXPECT_EQ(client.events[0].kind, Event::kConnect) << "the server's connect data is accepted by a client";
    ENetPeer* remote = server.events[0].peer;

    for (std::uint8_t channel = 0; channel < 3; ++channel) {
        client.transport.send(client.peer, {{"op", "hello"}, {"channel", channel}}, channel);
        server.transport.send(remote, {{"type", "reply"}, {"channel", channel}}, channel);
    }
    client.transport.flush();
    server.transport.flush();
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); },
                          [&] { return server.count(Event::kMessage) == 3 && client.events.size() == 4; }));
    for (const Event& event : server.events) {
        if (event.kind != Event::kMessage) continue;
        EXPECT_EQ(event.peer, remote);
        EXPECT_EQ(event.message["op"], "hello");
        EXPECT_EQ(event.message["channel"], event.channel);
    }
    for (std::size_t i = 1; i < client.events.size(); ++i) {
        EXPECT_EQ(client.events[i].kind, Event::kMessage);
        EXPECT_EQ(client.events[i].message["channel"], client.events[i].channel);
    }
}

TEST(Transport, WrongProtocolIsTurnedAwaySilently) {
    Server server;
    RawClient stranger(server.transport.port(), 0x12345678u);
    ASSERT_TRUE(pumpUntil([&] { server.poll(); stranger.service(); }, [&] { return stranger.disconnected; }));
    EXPECT_EQ(stranger.disconnectData, kWrongProtocol);
    EXPECT_TRUE(server.events.empty());
}

std::vector<std::uint8_t> cbor(const json& value) { return json::to_cbor(value); }

TEST(Transport, ServerRefusesBadPacketsAndKeepsServing) {
    Server server;
    std::vector<std::uint8_t> deep(8000, 0x81);  // arrays nested 8000 deep, inside the size limit
    deep.push_back(0x00);
    std::vector<std::uint8_t> trailing = cbor({{"op", "x"}});
    trailing.push_back(0x00);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool accepted;
    } cases[] = {
        {"8,192 bytes", cbor(messageOfSize(0x2000)), true},
        {"8,193 bytes", cbor(messageOfSize(0x2001)), false},
        {"an array", cbor(json::array({1, 2})), false},
        {"a string", cbor("op"), false},
        {"a number", cbor(5), false},
        {"trailing bytes", trailing, false},
        {"a huge array length", {0x9B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0}, false},
        {"a huge map length", {0xBB, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        {"a huge string in an object", {0xA1, 0x61, 'p', 0x7B, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        {"deep nesting", deep, false},
        {"a tag", {0xA1, 0x61, 'p', 0xC1, 0x00}, false},
        {"not CBOR", {0xFF, 0xFE}, false},
    };
    ASSERT_EQ(cbor(messageOfSize(0x2000)).size(), 0x2000u);
    for (const auto& c : cases) {
        server.events.clear();
        RawClient client(server.transport.port());
        ASSERT_TRUE(pumpUntil([&] { server.poll(); client.service(); }, [&] { return client.connected; })) << c.what;
        client.sendBytes(c.bytes);
        ASSERT_TRUE(pumpUntil([&] { server.poll(); client.service(); },
                              [&] { return server.events.size() >= 2 || client.disconnected; }))
            << c.what;
        ASSERT_EQ(server.events.size(), 2u) << c.what;
        EXPECT_EQ(server.events[1].kind, c.accepted ? Event::kMessage : Event::kDisconnect) << c.what;
        if (!c.accepted) {
            ASSERT_TRUE(pumpUntil([&] { server.poll(); client.service(); }, [&] { return client.disconnected; }));
            EXPECT_EQ(client.disconnectData, kBadMessage) << c.what;
        }
    }
}

// One datagram to 127.0.0.1:port from a fresh socket (a stranger's address).
void sendDatagram(std::uint16_t port, const std::vector<std::uint8_t>& bytes) {
    const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in to = testing_support::loopbackAddress(port);
    ::sendto(handle, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    ::close(handle);
}

TEST(Transport, CountsDatagramsFromNoPeer) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return server.count(Event::kConnect) == 1; }));
    client.transport.send(client.peer, {{"op", "hello"}}, kLobbyChannel);
    client.transport.flush();
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return server.count(Event::kMessage) == 1; }));
    EXPECT_EQ(server.transport.foreign(), 0u) << "a peer's own traffic is not foreign";

    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool foreign;
    } cases[] = {
        {"one byte", {0x00}, true},
        {"the connected peer's slot, from another address", {0x00, 0x00, 0x01, 0x02, 0x03, 0x04}, true},
        {"an unused peer slot", {0x00, 0x05, 0x01, 0x02, 0x03, 0x04}, true},
        {"a slot beyond the host's", {0x0F, 0x00, 0x01, 0x02}, true},
        {"a connection request's slot", {0x0F, 0xFF, 0x01, 0x02}, false},
    };
    for (const auto& c : cases) {
        const std::uint64_t before = server.transport.foreign();
        sendDatagram(server.transport.port(), c.bytes);
        // The client's next message shows the datagram sent before it was read.
        client.transport.send(client.peer, {{"op", "after"}}, kLobbyChannel);
        client.transport.flush();
        const std::size_t messages = server.count(Event::kMessage);
        ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); },
                              [&] { return server.count(Event::kMessage) > messages; }))
            << c.what;
        EXPECT_EQ(server.transport.foreign() - before, c.foreign ? 1u : 0u) << c.what;
    }
}

// A burst these tests queue in one go needs a receive buffer the system may
// not grant (a stock `net.core.rmem_max` holds about 500 small datagrams);
// where it dropped some, the test says so instead of failing on a premise.
#define SKIP_UNLESS_THE_SOCKET_HELD_IT(transport)                                                          \
    if ((transport).overflowed().value_or(0) > 0)                                                          \
    GTEST_SKIP() << "the system's receive buffer did not hold the burst; raise net.core.rmem_max"

// ENet reads 256 datagrams per service call; a poll that stopped there would
// leave a peer's message behind a flood until the socket buffer overflowed.
TEST(Transport, OnePollReadsPastAFloodToThePeersMessage) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return server.count(Event::kConnect) == 1; }));
    constexpr std::uint64_t kFlood = 300;  // more than a service call reads, less than a stock buffer holds
    for (std::uint64_t i = 0; i < kFlood; ++i) sendDatagram(server.transport.port(), {0x00, 0x05, 0x01, 0x02, 0x03, 0x04});
    SKIP_UNLESS_THE_SOCKET_HELD_IT(server.transport);
    client.transport.send(client.peer, {{"op", "behind the flood"}}, kLobbyChannel);
    client.transport.flush();

    server.poll();
    EXPECT_EQ(server.transport.foreign(), kFlood) << "the whole flood is read in one poll";
    ASSERT_EQ(server.count(Event::kMessage), 1u);
    EXPECT_EQ(server.events.back().message.at("op"), "behind the flood");
}

// ENet's receive buffer holds 4096 bytes; it fails a service call for any
// longer datagram. Anyone can send one, so the poll must read on past it.
constexpr std::size_t kENetBuffer = 4096;

TEST(Transport, OnePollReadsPastDatagramsLargerThanENetsBuffer) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return server.count(Event::kConnect) == 1; }));
    const std::size_t sizes[] = {kENetBuffer + 1, 5000, 16384, 65507, kENetBuffer + 1};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        sendDatagram(server.transport.port(), std::vector<std::uint8_t>(sizes[i], static_cast<std::uint8_t>(i)));
        client.transport.send(client.peer, {{"op", "between"}, {"index", i}}, kLobbyChannel);
        client.transport.flush();
    }

    server.poll();
    EXPECT_EQ(server.transport.serviceErrors(), std::size(sizes));
    ASSERT_EQ(server.count(Event::kMessage), std::size(sizes)) << "every message behind a large datagram is read";
    for (std::size_t i = 0; i < std::size(sizes); ++i) EXPECT_EQ(server.events[1 + i].message.at("index"), i);
}

// Stray and oversized datagrams do not count against the poll's eight
// receive rounds of 256: those are the peers'. A poll reads a flood well
// beyond them for as long as it has time (a slow machine may leave some of
// it to the next poll), and the message behind it arrives.
TEST(Transport, StrayDatagramsDoNotUseUpThePeersRounds) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return server.count(Event::kConnect) == 1; }));
    constexpr std::uint64_t kRound = 256;
    constexpr std::uint64_t kStray = 8 * kRound + 2 * kRound;
    constexpr std::uint64_t kOversized = 16;
    for (std::uint64_t i = 0; i < kStray; ++i) {
        if (i % (kStray / kOversized) == 0) sendDatagram(server.transport.port(), std::vector<std::uint8_t>(kENetBuffer + 1));
        sendDatagram(server.transport.port(), {0x00, 0x05, 0x01, 0x02, 0x03, 0x04});
    }
    SKIP_UNLESS_THE_SOCKET_HELD_IT(server.transport);
    client.transport.send(client.peer, {{"op", "behind the flood"}}, kLobbyChannel);
    client.transport.flush();

    ASSERT_TRUE(pumpUntil([&] { server.poll(); }, [&] { return server.count(Event::kMessage) == 1; }));
    EXPECT_EQ(server.transport.foreign(), kStray);
    EXPECT_EQ(server.transport.serviceErrors(), kOversized);
    EXPECT_EQ(server.events.back().message.at("op"), "behind the flood");
}

// A peer's own datagrams still end a poll after eight receive rounds, so
// the peers' traffic cannot stretch a step without end; the rest waits for
// the next poll. Header-only datagrams in the peer's session carry no
// command, so they make no events that would end the poll first.
TEST(Transport, APollReadsAtMostEightRoundsOfThePeersDatagrams) {
    Server server;
    RawClient client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.service(); }, [&] { return client.connected; }));
    ENetPeer* peer = client.peer();
    const enet_uint16 header = ENET_HOST_TO_NET_16(
        peer->outgoingPeerID | static_cast<enet_uint16>(peer->outgoingSessionID << ENET_PROTOCOL_HEADER_SESSION_SHIFT));
    constexpr std::uint64_t kRound = 256;
    constexpr std::uint64_t kBound = 8 * kRound;
    for (std::uint64_t i = 0; i < kBound + 2 * kRound; ++i) {
        ENetBuffer buffer{};
        buffer.data = const_cast<enet_uint16*>(&header);
        buffer.dataLength = sizeof header;
        ASSERT_EQ(enet_socket_send(peer->host->socket, &peer->address, &buffer, 1), static_cast<int>(sizeof header));
    }
    client.sendBytes(cbor({{"op", "behind the peer's datagrams"}}));

    server.poll();
    EXPECT_EQ(server.count(Event::kMessage), 0u) << "the poll stopped within its bound";
    EXPECT_EQ(server.transport.foreign(), 0u);
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.service(); }, [&] { return server.count(Event::kMessage) == 1; }));
    EXPECT_EQ(server.events.back().message.at("op"), "behind the peer's datagrams");
}

// Bytes waiting in the socket and what it may hold, as the system counts them.
std::pair<std::uint32_t, std::uint32_t> socketFill(int socket) {
    std::array<std::uint32_t, SK_MEMINFO_VARS> memory{};
    socklen_t length = sizeof memory;
    if (::getsockopt(socket, SOL_SOCKET, SO_MEMINFO, memory.data(), &length) != 0) return {0, 1};
    return {memory[SK_MEMINFO_RMEM_ALLOC], memory[SK_MEMINFO_RCVBUF]};
}

// Between two polls (two server steps) a stray sender's burst of one-byte
// datagrams, five times what one poll once read, with a peer's input among
// them. Draining between the polls reads the burst as it comes, so the next
// poll delivers every input, and each drain ends at its time. The sender
// waits whenever the socket is half full: nothing is lost to a full socket
// on a slow machine, and a server that did not read between polls never
// gets the burst sent.
TEST(Transport, BetweenPollsABurstOfStrayDatagramsIsReadAndThePeersInputWaits) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return server.count(Event::kConnect) == 1; }));
    server.events.clear();
    constexpr int kInputs = 10;
    constexpr int kStrayPerInput = 1024;
    const std::uint16_t port = server.transport.port();
    const int serverSocket = server.transport.socket();
    std::atomic<bool> sent{false}, stalled{false};
    std::thread sender([&] {
        const int handle = ::socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in to = testing_support::loopbackAddress(port);
        const std::uint8_t stray = 0;
        for (int input = 0; input < kInputs && !stalled; ++input) {
            for (int i = 0; i < kStrayPerInput && !stalled; ++i) {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                for (auto fill = socketFill(serverSocket); fill.first > fill.second / 2; fill = socketFill(serverSocket)) {
                    if (std::chrono::steady_clock::now() > deadline) stalled = true;
                    if (stalled) break;
                    std::this_thread::yield();
                }
                ::sendto(handle, &stray, 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
            client.transport.send(client.peer, {{"op", "input"}, {"index", input}}, kInputChannel);
            client.transport.flush();
        }
        ::close(handle);
        sent = true;
    });
    const std::optional<std::uint64_t> overflowedBefore = server.transport.overflowed();
    std::chrono::steady_clock::duration latest{};
    while (!sent) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
        server.transport.drain(until);
        latest = std::max(latest, std::chrono::steady_clock::now() - until);
    }
    sender.join();
    ASSERT_FALSE(stalled) << "the socket filled while the server drained it";
    server.transport.drain(std::chrono::steady_clock::now() + std::chrono::seconds(5));
    EXPECT_EQ(server.count(Event::kMessage), 0u) << "draining hands out no events";

    server.poll();
    EXPECT_EQ(server.transport.foreign(), static_cast<std::uint64_t>(kInputs) * kStrayPerInput);
    ASSERT_EQ(server.count(Event::kMessage), static_cast<std::size_t>(kInputs)) << "every input arrives at the next poll";
    for (int input = 0; input < kInputs; ++input) EXPECT_EQ(server.events[input].message.at("index"), input);
    if (overflowedBefore) EXPECT_EQ(server.transport.overflowed(), overflowedBefore) << "nothing was lost to a full socket";
    // A drain returns once its time is up however much still comes; only a
    // descheduled thread makes it late, and never by seconds.
    EXPECT_LT(latest, std::chrono::seconds(2));
}

TEST(Transport, DisconnectEventsCarryTheirData) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); },
                          [&] { return server.count(Event::kConnect) == 1 && !client.events.empty(); }));
    enet_peer_disconnect_now(server.events[0].peer, kDropped);
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return client.events.size() == 2; }));
    EXPECT_EQ(client.events[1].kind, Event::kDisconnect);
    EXPECT_EQ(client.events[1].data, kDropped);
}

TEST(Transport, SendLimits) {
    Server server;
    Client client(server.transport.port());
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); },
                          [&] { return server.count(Event::kConnect) == 1 && !client.events.empty(); }));
    ENetPeer* remote = server.events[0].peer;

    // A peer still connecting gets nothing, and no error.
    Transport idle(false, "0.0.0.0", 0);
    ENetPeer* connecting = idle.connect("127.0.0.1:1");
    const auto queued = connecting->outgoingDataTotal;
    EXPECT_EQ(wireFailure([&] { idle.send(connecting, {{"op", "x"}}, 0); }), "accepted");
    EXPECT_EQ(connecting->outgoingDataTotal, queued);
    EXPECT_EQ(wireFailure([&] { server.transport.send(nullptr, {{"op", "x"}}, 0); }), "accepted");

    const json largest = messageOfSize(0x100000);
    ASSERT_EQ(cbor(largest).size(), 0x100000u);
    EXPECT_EQ(wireFailure([&] { server.transport.send(remote, messageOfSize(0x100001), 0); }),
              "Network state exceeds limit");
    server.transport.send(remote, largest, 0);
    server.transport.flush();
    ASSERT_TRUE(pumpUntil([&] { server.poll(); client.poll(); }, [&] { return client.events.size() == 2; },
                          std::chrono::seconds(20)));
    EXPECT_EQ(client.events[1].kind, Event::kMessage) << "a client takes a message of 1 MiB";

    // More than 4 MiB waiting: the peer is let go once its queue drains.
    for (int i = 0; i < 5; ++i) server.transport.send(remote, largest, 0);
    EXPECT_EQ(remote->state, ENET_PEER_STATE_DISCONNECT_LATER);
}

TEST(Transport, BadAddressesAreRefused) {
    EXPECT_EQ(wireFailure([] { Transport(true, "no such host.invalid", 0); }), "Invalid server address");
    Transport client(false, "0.0.0.0", 0);
    EXPECT_EQ(wireFailure([&] { client.connect("a b"); }), "Whitespace/control character in TCP endpoint");
    EXPECT_EQ(wireFailure([&] { client.connect("host.invalid"); }), "Cannot resolve lobby server");
    Transport taken(true, "127.0.0.1", 0);
    EXPECT_EQ(wireFailure([&] { Transport(true, "127.0.0.1", taken.port()); }), "Cannot open ENet socket");
}

}  // namespace
}  // namespace bastion::coop

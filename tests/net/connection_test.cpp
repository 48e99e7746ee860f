#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "net/internal/connection.h"
#include "net/internal/listener.h"
#include "support/loopback_address.h"
#include "support/refusal.h"

namespace vant::net {
namespace {

using bastion::testing_support::loopbackAddress;
using bastion::testing_support::refusal;
using namespace std::chrono_literals;

const std::string malformed = "Invalid TCP message: Malformed or excessive CBOR message";

// Repeats `step` until it reports done, for at most five seconds.
bool within(const std::function<bool()>& step) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (step()) return true;
    }
    return false;
}

Connection acceptFrom(Listener& listener) {
    std::optional<Connection> accepted;
    within([&] {
        accepted = listener.accept();
        return accepted.has_value();
    });
    if (!accepted) throw std::runtime_error("nothing to accept");
    return std::move(*accepted);
}

// Polls until `count` messages came or the connection closed.
std::vector<nlohmann::json> receive(Connection& connection, std::size_t count) {
    std::vector<nlohmann::json> all;
    within([&] {
        for (auto& message : connection.poll()) all.push_back(std::move(message));
        return all.size() >= count || !connection.connected();
    });
    return all;
}

struct Pair {
    Listener listener;
    Connection client;
    Connection server;

    explicit Pair(const Limits& serverLimits = {}, const Limits& clientLimits = {})
        : listener(Listener::bind("127.0.0.1", 0, serverLimits)),
          client(Connection::connect("127.0.0.1", listener.port(), 2000, clientLimits)),
          server(acceptFrom(listener)) {}
};

// A bare TCP client that writes whatever bytes a test wants.
struct RawClient {
    int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    Listener listener;
    Connection server;

    explicit RawClient(const Limits& limits = {}) : listener(Listener::bind("127.0.0.1", 0, limits)) {
        sockaddr_in to = loopbackAddress(listener.port());
        if (::connect(handle, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) throw std::runtime_error("connect");
        server = acceptFrom(listener);
    }
    ~RawClient() { ::close(handle); }
    void write(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::send(handle, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    void frame(const std::vector<std::uint8_t>& payload) const {
        const auto n = static_cast<std::uint32_t>(payload.size());
        std::vector<std::uint8_t> bytes{std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)};
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        write(bytes);
    }
};

TEST(Connection, JsonRoundTripsBothWays) {
    Pair pair;
    const nlohmann::json messages[] = {
        {{"op", "hello"}, {"n", 1}},
        nlohmann::json::array({1, -2, 3.5, true, nullptr, "\xC3\xA9t\xC3\xA9", nlohmann::json::object()}),
        {{"nested", {{"deep", {{"er", std::string(70000, 'x')}}}}}},
        "just text",
        -9223372036854775807LL - 1,
    };
    for (const auto& message : messages) EXPECT_TRUE(pair.client.send(message));
    const std::vector<nlohmann::json> expected(std::begin(messages), std::end(messages));
    EXPECT_EQ(receive(pair.server, std::size(messages)), expected);
    EXPECT_TRUE(pair.server.send({{"reply", 2}}));
    const std::vector<nlohmann::json> reply{{{"reply", 2}}};
    EXPECT_EQ(receive(pair.client, 1), reply);
    EXPECT_EQ(pair.server.peerHost(), "127.0.0.1");
    EXPECT_EQ(pair.client.peerHost(), "127.0.0.1");
    EXPECT_TRUE(pair.client.error().empty());
}

TEST(Connection, MalformedCborClosesWithItsText) {
    const struct {
        std::vector<std::uint8_t> payload;
        const char* what;
    } cases[] = {
        {{0x41, 0x00}, "byte string"},
        {{0xC1, 0x00}, "tag"},
        {{0x9F, 0x01, 0xFF}, "indefinite-length array"},
        {{0x7F, 0x61, 0x61, 0xFF}, "indefinite-length text"},
        {{0xA2, 0x61, 'a', 0x01, 0x61, 'a', 0x02}, "duplicate key"},
        {{0xA1, 0x01, 0x02}, "non-text key"},
        {{0xF9, 0x7E, 0x00}, "half NaN"},
        {{0xFA, 0x7F, 0x80, 0x00, 0x00}, "single infinity"},
        {{0xFB, 0x7F, 0xF8, 0, 0, 0, 0, 0, 0}, "double NaN"},
        {{0x62, 0xC0, 0x80}, "overlong UTF-8, two bytes"},
        {{0x63, 0xE0, 0x80, 0x80}, "overlong UTF-8, three bytes"},
        {{0x64, 0xF4, 0x90, 0x80, 0x80}, "beyond U+10FFFF"},
        {{0x63, 0xED, 0xA0, 0x80}, "surrogate"},
        {{0x62, 0x61, 0x80}, "lone continuation"},
        {{0x01, 0x01}, "trailing byte"},
        {{0x62, 0x61}, "ends inside the text"},
        {{0x82, 0x01}, "ends inside the array"},
        {{0xF7}, "undefined"},
        {{0xF0}, "simple value"},
        {{0x3B, 0x80, 0, 0, 0, 0, 0, 0, 0}, "negative beyond 64 bits"},
        {{0x1C}, "reserved argument"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient raw;
        raw.frame(c.payload);
        EXPECT_TRUE(receive(raw.server, 1).empty());
        EXPECT_FALSE(raw.server.connected());
        EXPECT_EQ(raw.server.error(), malformed);
    }
}

TEST(Connection, NestingAndItemLimits) {
    Limits limits;
    limits.nestingDepth = 3;
    limits.itemsPerMessage = 7;
    const struct {
        nlohmann::json message;
        bool passes;
    } cases[] = {
        {nlohmann::json::parse("[[[1]]]"), true},  // 1 sits at depth 3
        {nlohmann::json::parse("[[[[]]]]"), true},  // the empty array sits at depth 3
        {nlohmann::json::parse("[[[[1]]]]"), false},
        {nlohmann::json::parse(R"({"a":{"b":{"c":1}}})"), true},
        {nlohmann::json::parse(R"({"a":{"b":{"c":[]}}})"), true},
        {nlohmann::json::parse(R"({"a":{"b":{"c":[1]}}})"), false},
        {nlohmann::json::parse("[1,2,3,4,5,6]"), true},  // seven items
        {nlohmann::json::parse("[1,2,3,4,5,6,7]"), false},
        {nlohmann::json::parse(R"({"a":1,"b":2,"c":3})"), true},
        {nlohmann::json::parse(R"({"a":1,"b":2,"c":3,"d":4})"), false},  // keys count too
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.dump());
        Pair pair(limits);
        ASSERT_TRUE(pair.client.send(c.message));
        const auto got = receive(pair.server, 1);
        EXPECT_EQ(pair.server.connected(), c.passes);
        if (c.passes) {
            EXPECT_EQ(got, std::vector<nlohmann::json>{c.message});
        } else {
            EXPECT_EQ(pair.server.error(), malformed);
        }
    }
}

TEST(Connection, FrameSizeOutsideTheLimitCloses) {
    Limits limits;
    limits.frameBytes = 16;
    const std::vector<std::vector<std::uint8_t>> headers{{0, 0, 0, 0}, {0, 0, 0, 17}, {0xFF, 0xFF, 0xFF, 0xFF}};
    for (const auto& header : headers) {
        RawClient raw(limits);
        raw.write(header);
        receive(raw.server, 1);
        EXPECT_EQ(raw.server.error(), "Incoming frame size outside configured limit");
    }
    RawClient raw(limits);
    raw.frame(nlohmann::json::to_cbor(std::string(13, 'a')));  // 0x6D + 13 = 14 bytes
    raw.frame(nlohmann::json::to_cbor(std::string(15, 'a')));  // 16 bytes: at the limit
    EXPECT_EQ(receive(raw.server, 2).size(), 2u);
    EXPECT_TRUE(raw.server.connected());

    Pair pair({}, limits);
    EXPECT_FALSE(pair.client.send(std::string(16, 'a')));
    EXPECT_EQ(pair.client.error(), "Outgoing message exceeds frame size limit");
    EXPECT_FALSE(pair.client.send(1));
}

TEST(Connection, SplitHeadersAndPayloadsReassemble) {
    RawClient raw;
    const auto payload = nlohmann::json::to_cbor({{"split", "message"}});
    const auto n = static_cast<std::uint8_t>(payload.size());
    raw.write({0, 0});
    EXPECT_TRUE(raw.server.poll().empty());
    raw.write({0});
    EXPECT_TRUE(raw.server.poll().empty());
    raw.write({n, payload[0], payload[1]});
    EXPECT_TRUE(raw.server.poll().empty());
    raw.write(std::vector<std::uint8_t>(payload.begin() + 2, payload.end()));
    const std::vector<nlohmann::json> expected{{{"split", "message"}}};
    EXPECT_EQ(receive(raw.server, 1), expected);
    EXPECT_TRUE(raw.server.connected());
}

TEST(Connection, MessagesPerPollLimit) {
    Limits limits;
    limits.messagesPerPoll = 1;
    Pair pair(limits);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(pair.client.send(i));
    ASSERT_EQ(pair.client.queuedBytes(), 0u);
    for (int i = 0; i < 3; ++i) {
        std::vector<nlohmann::json> got;
        within([&] {
            got = pair.server.poll();
            return !got.empty();
        });
        EXPECT_EQ(got, std::vector<nlohmann::json>{i});
    }
}

TEST(Connection, QueueBytesCountTheHeader) {
    Limits limits;
    limits.queuedBytes = 1000;
    {
        Pair pair({}, limits);
        EXPECT_TRUE(pair.client.send(std::string(993, 'a')));  // 996-byte payload
    }
    Pair pair({}, limits);
    EXPECT_FALSE(pair.client.send(std::string(994, 'a')));
    EXPECT_EQ(pair.client.error(), "TCP peer exceeded outgoing queue limit");
}

// A client whose peer never reads, over fixed small socket buffers: once
// they are full the front frame stays partly sent and the rest waits.
struct Clogged {
    int listening = ::socket(AF_INET, SOCK_STREAM, 0);
    int peer = -1;
    Connection client;

    explicit Clogged(const Limits& limits) {
        const int small = 4096;
        ::setsockopt(listening, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address = loopbackAddress();
        ::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listening, 1);
        socklen_t length = sizeof address;
        ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
        const int own = ::socket(AF_INET, SOCK_STREAM, 0);
        ::setsockopt(own, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        if (::connect(own, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("connect");
        peer = ::accept(listening, nullptr, nullptr);
        ::fcntl(own, F_SETFL, O_NONBLOCK);
        client = Connection(own, limits);
        for (int i = 0; i < 64 && client.queuedBytes() == 0; ++i) {
            if (!client.send(std::string(256 << 10, 'c'), true)) throw std::runtime_error("clog");
        }
        if (client.queuedBytes() == 0) throw std::runtime_error("buffers never filled");
    }
    ~Clogged() {
        ::close(peer);
        ::close(listening);
    }
};

TEST(Connection, ReplaceableSendsDropOnlyUnstartedReplaceableFrames) {
    Limits limits;
    limits.queuedBytes = 64 << 20;
    Clogged pair(limits);
    const std::uint64_t partly = pair.client.queuedBytes();
    const auto frameSize = [](const nlohmann::json& message) { return nlohmann::json::to_cbor(message).size() + 4; };

    const nlohmann::json first = {{"state", 1}}, kept = {{"event", "x"}}, second = {{"state", 2}};
    ASSERT_TRUE(pair.client.send(first, true));
    ASSERT_TRUE(pair.client.send(kept, false));
    EXPECT_EQ(pair.client.queuedBytes(), partly + frameSize(first) + frameSize(kept));
    ASSERT_TRUE(pair.client.send(second, true));
    // The partly sent clog frame stays though it is replaceable.
    EXPECT_EQ(pair.client.queuedBytes(), partly + frameSize(kept) + frameSize(second));
}

TEST(Connection, QueuedFramesLimit) {
    Limits limits;
    limits.queuedFrames = 3;
    Clogged pair(limits);
    EXPECT_TRUE(pair.client.send(1));
    EXPECT_TRUE(pair.client.send(2));
    EXPECT_FALSE(pair.client.send(3));
    EXPECT_EQ(pair.client.error(), "TCP peer exceeded outgoing queue limit");
    EXPECT_EQ(pair.client.queuedBytes(), 0u);
}

TEST(Connection, PeerGoneAndMovesClose) {
    Pair pair;
    Connection replacement;
    pair.client = std::move(replacement);  // closes the live connection
    receive(pair.server, 1);
    EXPECT_FALSE(pair.server.connected());
    EXPECT_EQ(pair.server.error(), "TCP peer disconnected");
    EXPECT_FALSE(pair.server.send(1));
    EXPECT_TRUE(pair.server.poll().empty());
    EXPECT_EQ(pair.server.error(), "TCP peer disconnected");

    Connection moved = std::move(pair.server);
    EXPECT_EQ(pair.server.error(), "");
    EXPECT_EQ(pair.server.queuedBytes(), 0u);
    EXPECT_FALSE(pair.server.connected());
    EXPECT_FALSE(pair.server.send(1));
    EXPECT_EQ(moved.error(), "TCP peer disconnected");
    EXPECT_EQ(moved.peerHost(), "");
}

TEST(Connection, ConnectRefusals) {
    Limits bad;
    bad.nestingDepth = 129;
    const struct {
        std::function<void()> action;
        std::string text;
    } cases[] = {
        {[] { Connection::connect("127.0.0.1", 1, 0); }, "Invalid TCP connection endpoint/timeout"},
        {[] { Connection::connect("127.0.0.1", 0, 100); }, "Invalid TCP connection endpoint/timeout"},
        {[] { Connection::connect("", 1, 100); }, "Invalid TCP connection endpoint/timeout"},
        {[&] { Connection::connect("127.0.0.1", 1, 100, bad); }, "Invalid network resource limits"},
        {[&] { Listener::bind("127.0.0.1", 0, bad); }, "Invalid network resource limits"},
        {[&] { Connection(-1, bad); }, "Invalid network resource limits"},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.action), c.text);
    EXPECT_THROW(Connection::connect("127.0.0.1", 1, 0), std::invalid_argument);

    const std::string unresolved = refusal([] { Connection::connect("host.invalid", 80, 100); });
    EXPECT_EQ(unresolved.rfind("TCP address: ", 0), 0u) << unresolved;
    EXPECT_EQ(refusal([] { Listener::bind("192.0.2.1", 0); }).rfind("TCP listen (socket error ", 0), 0u);

    std::uint16_t closedPort = 0;
    {
        const Listener gone = Listener::bind("127.0.0.1", 0);
        closedPort = gone.port();
    }
    EXPECT_EQ(refusal([&] { Connection::connect("127.0.0.1", closedPort, 2000); }),
              "TCP connect (socket error " + std::to_string(ECONNREFUSED) + ")");
}

TEST(Connection, ConnectTimesOutWhenNothingAnswers) {
    // A listener whose backlog is full makes the kernel ignore further SYNs.
    const int full = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopbackAddress();
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(full, 0), 0);
    socklen_t length = sizeof address;
    ::getsockname(full, reinterpret_cast<sockaddr*>(&address), &length);
    const std::uint16_t port = ntohs(address.sin_port);
    std::vector<Connection> queued;
    std::string text;
    for (int attempt = 0; attempt < 4 && text.empty(); ++attempt) {
        try {
            queued.push_back(Connection::connect("127.0.0.1", port, 300));
        } catch (const std::runtime_error& error) {
            text = error.what();
        }
    }
    EXPECT_EQ(text, "TCP connection timed out");
    ::close(full);
}

TEST(Listener, UnboundAndClosedListenersAcceptNothing) {
    Listener none;
    EXPECT_EQ(none.port(), 0);
    EXPECT_FALSE(none.accept());
    Listener listener = Listener::bind("", 0);
    EXPECT_NE(listener.port(), 0);
    EXPECT_FALSE(listener.accept());
    listener.close();
    EXPECT_EQ(listener.port(), 0);
    EXPECT_FALSE(listener.accept());
}

}  // namespace
}  // namespace vant::net

#include <gtest/gtest.h>

#include <linux/sock_diag.h>
#include <sys/socket.h>

#include <array>
#include <map>
#include <string>
#include <thread>

#include "support/refusal.h"
#include "voice/raw_udp.h"
#include "voice/relay.h"

namespace vant::voice {
namespace {

using bastion::testing_support::refusal;
using namespace std::chrono_literals;
using testing::Bytes;
using testing::opusPayload;
using testing::tokenBytes;

constexpr std::uint64_t session = 1;

Bytes clientDatagram(const std::vector<std::byte>& token, std::uint32_t sequence, std::uint64_t ofSession,
                     std::uint8_t channel, std::span<const std::byte> opus = {}) {
    return std::move(Bytes().text("VNV1").raw(token).u32(sequence).u64(ofSession).u8(channel).raw(opus));
}

// A relay on a hand clock, four admitted players talking through raw sockets:
// 1, 2 and 3 in room 10 at x = 0, 59.9 and 60; 4 in room 20 beside player 1.
struct FourPlayers : ::testing::Test {
    testing::ManualClock clock;
    Relay relay{"127.0.0.1", 0, clock.source(), [](std::span<std::byte> out) {
                    static std::uint8_t next = 1;
                    for (std::byte& b : out) b = static_cast<std::byte>(next++);
                    return true;
                }};
    std::vector<Participant> participants{
        {1, {0.0f, 0.0f, 0.0f}, true, 10},
        {2, {59.9f, 40.0f, 0.0f}, true, 10},
        {3, {0.0f, -5.0f, 60.0f}, true, 10},
        {4, {1.0f, 0.0f, 1.0f}, true, 20},
    };
    std::map<std::uint32_t, testing::RawUdp> clients;
    std::map<std::uint32_t, std::vector<std::byte>> tokens;
    std::uint64_t sent = 0;

    void SetUp() override {
        for (std::uint32_t id = 1; id <= 4; ++id) admit(id);
        for (std::uint32_t id = 1; id <= 4; ++id) {
            send(id, clientDatagram(tokens[id], 0, session, 2));
            pollRelay();
            ASSERT_TRUE(clients[id].receive(1s)) << id;
        }
    }

    void admit(std::uint32_t id) {
        const auto credentials = relay.admit(id);
        tokens[id] = tokenBytes(credentials["token"].get<std::string>());
        clients[id];
    }

    void send(std::uint32_t from, std::span<const std::byte> bytes) {
        clients[from].sendTo(relay.port(), bytes);
        ++sent;
    }
    void voice(std::uint32_t from, std::uint32_t sequence, std::uint8_t channel) {
        send(from, clientDatagram(tokens[from], sequence, session, channel, opusPayload()));
    }

    // Polls until every datagram sent so far has been taken from the socket.
    void pollRelay(std::uint64_t expected = 0) {
        if (expected == 0) expected = sent;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (relay.report()["received"].get<std::uint64_t>() < expected &&
               std::chrono::steady_clock::now() < deadline) {
            relay.poll(participants, session);
        }
        ASSERT_EQ(relay.report()["received"].get<std::uint64_t>(), expected);
    }

    // Which players got a datagram, now that the relay has sent everything.
    std::vector<std::uint32_t> hearers() {
        std::vector<std::uint32_t> ids;
        for (auto& [id, client] : clients) {
            if (!client.drain().empty()) ids.push_back(id);
        }
        return ids;
    }

    std::uint64_t count(const char* key) { return relay.report()[key].get<std::uint64_t>(); }

    // Waits until what the relay's socket holds stops growing for a few
    // milliseconds: everything sent has arrived.
    void settled() {
        const auto queued = [&] {
            std::array<std::uint32_t, SK_MEMINFO_VARS> memory{};
            socklen_t length = sizeof memory;
            ::getsockopt(relay.socket(), SOL_SOCKET, SO_MEMINFO, memory.data(), &length);
            return memory[SK_MEMINFO_RMEM_ALLOC];
        };
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        std::uint32_t last = queued();
        for (int still = 0; still < 5 && std::chrono::steady_clock::now() < deadline;) {
            std::this_thread::sleep_for(1ms);
            const std::uint32_t now = queued();
            still = now == last ? still + 1 : 0;
            last = now;
        }
    }
};

TEST_F(FourPlayers, HelloIsAcknowledgedByteForByte) {
    send(2, clientDatagram(tokens[2], 0, session, 2));
    pollRelay();
    const auto ack = clients[2].receive(1s);
    ASSERT_TRUE(ack);
    const Bytes expected =
        std::move(Bytes().text("VNR1").raw(tokens[2]).u32(0).u32(0).u64(session).u8(2).f32(0).f32(0));
    EXPECT_EQ(ack->size(), 45u);
    EXPECT_EQ(*ack, expected.data);
}

TEST_F(FourPlayers, ProximityAndRadioReachTheirHearersOnly) {
    const struct {
        std::uint32_t from;
        std::uint8_t channel;
        std::vector<std::uint32_t> hearers;
    } cases[] = {
        {1, 0, {2}},        // 3 is exactly 60 away; 4 is in another room
        {1, 1, {2, 3}},
        {2, 0, {1}},
        {3, 0, {}},
        {3, 1, {1, 2}},
        {4, 0, {}},
        {4, 1, {}},
    };
    std::uint32_t sequence = 0;
    for (const auto& c : cases) {
        voice(c.from, ++sequence, c.channel);
        pollRelay();
        EXPECT_EQ(hearers(), c.hearers) << "from " << c.from << " on " << int(c.channel);
    }
}

// A participant list that names a player twice: the player's first entry
// decides, and nobody gets a datagram twice.
TEST_F(FourPlayers, FirstEntryOfAPlayerDecidesAndEachHearsOnce) {
    participants.push_back({2, {0.0f, 0.0f, 0.0f}, true, 10});
    participants.push_back({4, {0.0f, 0.0f, 0.0f}, true, 10});   // 4's first entry is in room 20
    participants.push_back({3, {0.0f, 0.0f, 0.0f}, false, 10});  // 3's first entry is active
    participants.push_back({1, {0.0f, 0.0f, 0.0f}, true, 20});   // the speaker's own second entry
    voice(1, 1, 1);
    pollRelay();
    const std::map<std::uint32_t, std::size_t> expected = {{1, 0}, {2, 1}, {3, 1}, {4, 0}};
    for (auto& [id, client] : clients) EXPECT_EQ(client.drain().size(), expected.at(id)) << id;
    EXPECT_EQ(count("forwarded"), 2u);
}

TEST_F(FourPlayers, ForwardCarriesTheSpeakerAndItsPlace) {
    const auto opus = opusPayload(40);
    send(2, clientDatagram(tokens[2], 77, session, 1, opus));
    pollRelay();
    const auto forwarded = clients[1].receive(1s);
    ASSERT_TRUE(forwarded);
    const Bytes expected = std::move(
        Bytes().text("VNR1").raw(tokens[1]).u32(2).u32(77).u64(session).u8(1).f32(59.9f).f32(0.0f).raw(opus));
    EXPECT_EQ(*forwarded, expected.data);
    EXPECT_EQ(count("forwarded"), 2u);
}

TEST_F(FourPlayers, ForgedAndMalformedDatagramsAreRejected) {
    const std::vector<std::byte> forgedToken(16, std::byte{0xEE});
    const Bytes cases[] = {
        Bytes().fill(32, 0x56),
        clientDatagram(tokens[1], 0, session, 2).text("x"),  // a hello with a payload byte
        std::move(Bytes().text("VNV2").raw(tokens[1]).u32(1).u64(session).u8(1).raw(opusPayload())),
        clientDatagram(forgedToken, 1, session, 1, opusPayload()),
        clientDatagram(tokens[1], 1, session + 1, 1, opusPayload()),
        clientDatagram(tokens[1], 1, session, 2, opusPayload()),
        clientDatagram(tokens[1], 1, session, 7, opusPayload()),
        clientDatagram(tokens[1], 0, session, 1, opusPayload()),
        clientDatagram(tokens[1], 1, session, 1, std::vector<std::byte>{std::byte{0x4C}, std::byte{1}}),
        clientDatagram(tokens[1], 1, session, 1, opusPayload(399)),
        clientDatagram(tokens[1], 1, session, 1),
    };
    const std::uint64_t before = count("rejected");
    for (const Bytes& datagram : cases) send(1, datagram);
    pollRelay();
    EXPECT_EQ(count("rejected") - before, std::size(cases));
    EXPECT_EQ(count("forwarded"), 0u);
    EXPECT_TRUE(hearers().empty());
}

// A datagram too long to be anyone's is dropped before it is judged, but
// counted all the same, or a flood of them would not show in the report.
TEST_F(FourPlayers, OversizedDatagramsAreCountedAsRejected) {
    const std::uint64_t received = count("received");
    send(1, clientDatagram(tokens[1], 1, session, 1, opusPayload(600)));
    send(1, Bytes().fill(444, 0x56));
    voice(1, 2, 1);  // behind them, so the relay has certainly seen all three
    pollRelay();
    EXPECT_EQ(count("received"), received + 3);
    EXPECT_EQ(count("rejected"), 2u);
    EXPECT_EQ(relay.report()["rejected_by_reason"]["oversized"], 2u);
}

// Stray datagrams do not use up a poll's budget: a speaker behind a flood is
// heard at the first poll instead of being crowded out of the socket.
TEST_F(FourPlayers, OnePollReadsPastAFloodToTheSpeaker) {
    const Bytes stray = std::move(Bytes().text("JUNK").u32(7));
    const Bytes oversized = clientDatagram(tokens[4], 1, session, 1, opusPayload(600));
    // More than the 128 a poll acts on, in less than a stock receive buffer.
    constexpr std::uint64_t kStray = 100;
    for (std::uint64_t i = 0; i < kStray; ++i) {
        send(4, stray.data);
        send(4, oversized.data);
    }
    voice(1, 1, 1);
    // Loopback hands datagrams over a moment after they are sent; a poll
    // only takes what has arrived.
    settled();
    if (relay.report().value("overflowed", 0u) > 0)
        GTEST_SKIP() << "the system's receive buffer did not hold the burst; raise net.core.rmem_max";
    const std::uint64_t rejected = count("rejected");
    relay.poll(participants, session);
    EXPECT_EQ(count("rejected") - rejected, 2 * kStray);
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{2, 3}));
}

// Between two polls the relay reads what comes and drops at once what needs
// no participants to be judged; a speaker's voice waits for the next poll,
// which forwards it. Every drop is counted by its reason.
TEST_F(FourPlayers, DrainingBetweenPollsDropsStraysAndKeepsTheSpeakers) {
    const std::vector<std::byte> forgedToken(16, std::byte{0xEE});
    const struct {
        Bytes datagram;
        const char* reason;
    } strays[] = {
        {Bytes().fill(1, 0), "malformed"},
        {Bytes().fill(600, 0), "oversized"},
        {clientDatagram(forgedToken, 1, session, 1, opusPayload()), "unknown_token"},
        {clientDatagram(tokens[4], 1, session + 1, 1, opusPayload()), "session"},
    };
    constexpr std::uint64_t kEach = 100;
    for (std::uint64_t i = 0; i < kEach; ++i)
        for (const auto& stray : strays) send(4, stray.datagram);
    voice(1, 1, 1);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (count("received") < sent && std::chrono::steady_clock::now() < deadline)
        relay.drain(std::chrono::steady_clock::now() + 10ms);
    ASSERT_EQ(count("received"), sent);
    EXPECT_TRUE(hearers().empty()) << "nothing is forwarded between polls";
    const nlohmann::json reasons = relay.report()["rejected_by_reason"];
    for (const auto& stray : strays) EXPECT_EQ(reasons[stray.reason], kEach) << stray.reason;
    EXPECT_EQ(count("rejected"), kEach * std::size(strays));

    relay.poll(participants, session);
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{2, 3}));
    EXPECT_EQ(count("received"), count("rejected") + 4 + 1) << "four hellos and the voice";
}

TEST_F(FourPlayers, RateLimitAllowsABurstOfTwelveThenRefills) {
    clock.advance(1s);
    for (std::uint32_t sequence = 1; sequence <= 13; ++sequence) voice(2, sequence, 1);
    pollRelay();
    EXPECT_EQ(count("rejected"), 1u);
    EXPECT_EQ(clients[1].drain().size(), 12u);
    clock.advance(1s);
    for (std::uint32_t sequence = 14; sequence <= 26; ++sequence) voice(2, sequence, 1);
    pollRelay();
    EXPECT_EQ(count("rejected"), 2u);
    EXPECT_EQ(clients[1].drain().size(), 12u);
}

TEST_F(FourPlayers, ReplayWindow) {
    const struct {
        std::uint32_t sequence;
        bool forwarded;
    } steps[] = {
        {10, true}, {5, true}, {5, false}, {10, false}, {80, true}, {10, false}, {17, true}, {16, false},
        {1000, true}, {999, true}, {937, true}, {936, false},
    };
    for (const auto& step : steps) {
        clock.advance(100ms);
        voice(1, step.sequence, 1);
        pollRelay();
        EXPECT_EQ(!clients[2].drain().empty(), step.forwarded) << step.sequence;
    }
}

TEST_F(FourPlayers, CountersAddUp) {
    voice(1, 1, 1);
    voice(1, 1, 1);
    send(1, Bytes().fill(40, 0));
    send(3, clientDatagram(tokens[3], 0, session, 2));
    pollRelay();
    // Four hellos in SetUp and one here, one voice accepted, two rejected.
    EXPECT_EQ(count("received"), 8u);
    EXPECT_EQ(count("rejected"), 2u);
    EXPECT_EQ(count("received"), count("rejected") + 5 + 1);
    EXPECT_EQ(count("forwarded"), 2u);
    EXPECT_EQ(relay.report()["port"], relay.port());
}

TEST_F(FourPlayers, ReadmittingInvalidatesTheOldToken) {
    const auto old = tokens[1];
    admit(1);
    EXPECT_NE(old, tokens[1]);
    send(1, clientDatagram(old, 0, session, 2));
    voice(2, 1, 1);
    pollRelay();
    EXPECT_EQ(count("rejected"), 1u);
    // Not registered under the new token yet: 3 hears, 1 does not.
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{3}));
    send(1, clientDatagram(tokens[1], 0, session, 2));
    voice(2, 2, 1);
    pollRelay();
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{1, 3}));
}

TEST_F(FourPlayers, RemovedPlayersNeitherSpeakNorHear) {
    relay.remove(3);
    relay.remove(99);
    voice(3, 1, 1);
    voice(1, 1, 1);
    pollRelay();
    EXPECT_EQ(count("rejected"), 1u);
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{2}));
}

TEST_F(FourPlayers, OnlyActiveParticipantsOfTheStepTakePart) {
    participants[1].active = false;
    voice(1, 1, 1);
    voice(2, 1, 1);
    pollRelay();
    EXPECT_EQ(count("rejected"), 1u);
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{3}));
    participants.erase(participants.begin() + 2);  // 3 left the session
    voice(1, 2, 1);
    voice(3, 1, 1);
    pollRelay();
    EXPECT_EQ(count("rejected"), 2u);
    EXPECT_TRUE(hearers().empty());
}

TEST_F(FourPlayers, SilentListenersStopHearingAfterFiveSeconds) {
    clock.advance(5s);
    voice(1, 1, 1);
    pollRelay();
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{2, 3}));
    clock.advance(1ms);
    voice(1, 2, 1);
    pollRelay();
    // The speaker itself was just heard; the others went quiet.
    EXPECT_TRUE(hearers().empty());
    send(2, clientDatagram(tokens[2], 0, session, 2));
    voice(1, 3, 1);
    pollRelay();
    EXPECT_EQ(hearers(), (std::vector<std::uint32_t>{2}));
}

TEST(Relay, HelloRegistersOnlyForThePolledSession) {
    testing::ManualClock clock;
    Relay relay("", 0, clock.source(), [](std::span<std::byte> out) {
        std::fill(out.begin(), out.end(), std::byte{7});
        return true;
    });
    const auto token = tokenBytes(relay.admit(5)["token"].get<std::string>());
    const std::vector<Participant> inactive{{5, {}, false, 1}};
    testing::RawUdp client;
    client.sendTo(relay.port(), clientDatagram(token, 0, 2, 2));
    client.sendTo(relay.port(), clientDatagram(token, 0, 1, 2));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (relay.report()["received"] != 2 && std::chrono::steady_clock::now() < deadline) relay.poll(inactive, 1);
    EXPECT_EQ(relay.report()["rejected"], 1);
    const auto ack = client.receive(1s);
    ASSERT_TRUE(ack);
    EXPECT_EQ(std::to_integer<int>((*ack)[36]), 2);
    EXPECT_FALSE(client.receive(0ms));
}

TEST(Relay, CredentialsNeedRandomBytes) {
    bool working = true;
    Relay relay("127.0.0.1", 0, voice::steadyNow, [&](std::span<std::byte> out) {
        std::fill(out.begin(), out.end(), std::byte{0xAB});
        return working;
    });
    const auto credentials = relay.admit(1);
    std::string token;
    for (int i = 0; i < 16; ++i) token += "ab";
    EXPECT_EQ(credentials, (nlohmann::json{{"version", 1}, {"port", relay.port()}, {"token", token},
                                           {"rate", 48000}, {"samples", 960}, {"bitrate", 24000}}));
    EXPECT_TRUE(credentials["port"].is_number_unsigned());
    working = false;
    EXPECT_EQ(refusal([&] { relay.admit(1); }), "Cannot obtain voice session credentials");
    EXPECT_EQ(refusal([&] { relay.admit(2); }), "Cannot obtain voice session credentials");
}

TEST(Relay, RealRandomTokensDiffer) {
    Relay relay("", 0);
    EXPECT_NE(relay.port(), 0);
    EXPECT_NE(relay.admit(1)["token"], relay.admit(2)["token"]);
}

TEST(Relay, BadAddressesAreRefused) {
    EXPECT_EQ(refusal([] { Relay("host.invalid", 0); }).rfind("Voice address: ", 0), 0u);
    EXPECT_EQ(refusal([] { Relay("192.0.2.1", 0); }), "Cannot open native UDP voice socket");
}

}  // namespace
}  // namespace vant::voice

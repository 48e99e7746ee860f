#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/refusal.h"
#include "voice/raw_udp.h"
#include "voice/transport.h"

namespace vant::voice {
namespace {

using bastion::testing_support::refusal;
using namespace std::chrono_literals;
using testing::Bytes;
using testing::opusPayload;
using testing::tokenBytes;

const std::string tokenHex = "00112233445566778899aabbccddeeff";

nlohmann::json credentials(std::uint16_t port) {
    return {{"version", 1}, {"port", port}, {"token", tokenHex}, {"rate", 48000}, {"samples", 960}, {"bitrate", 24000}};
}

Bytes hello(std::uint64_t session) {
    return std::move(Bytes().text("VNV1").raw(tokenBytes(tokenHex)).u32(0).u64(session).u8(2));
}

Bytes ack(std::uint64_t session, const std::string& token = tokenHex) {
    return std::move(Bytes().text("VNR1").raw(tokenBytes(token)).u32(0).u32(0).u64(session).u8(2).f32(0).f32(0));
}

Bytes relayed(std::uint32_t speaker, std::uint32_t sequence, std::uint64_t session, std::uint8_t channel, float x,
              float z, std::span<const std::byte> opus) {
    return std::move(Bytes().text("VNR1").raw(tokenBytes(tokenHex)).u32(speaker).u32(sequence).u64(session)
                         .u8(channel).f32(x).f32(z).raw(opus));
}

// A transport connected to a raw socket playing the relay, on a hand clock.
struct Connected : ::testing::Test {
    testing::ManualClock clock;
    testing::RawUdp relay;
    Transport transport{clock.source()};

    void SetUp() override { transport.connect("127.0.0.1", credentials(relay.port())); }

    // Polls until the relay's datagram has been taken in.
    std::vector<Packet> pollAfterSending(std::uint64_t session, std::uint64_t counted) {
        std::vector<Packet> packets;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            auto more = transport.poll(session);
            packets.insert(packets.end(), more.begin(), more.end());
            const auto report = transport.report();
            if (report["received"].get<std::uint64_t>() + report["rejected"].get<std::uint64_t>() >= counted) break;
        }
        return packets;
    }

    // Acknowledges the hello; `helloDue` when this poll sends one.
    void becomeReady(std::uint64_t session, bool helloDue = true) {
        transport.poll(session);
        if (helloDue) {
            ASSERT_TRUE(relay.receive());
        }
        relay.reply(ack(session));
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!transport.ready() && std::chrono::steady_clock::now() < deadline) transport.poll(session);
        ASSERT_TRUE(transport.ready());
    }
};

TEST(TransportCredentials, RefusalsAndTheirTexts) {
    testing::RawUdp relay;
    const auto with = [&](const char* key, nlohmann::json value) {
        auto c = credentials(relay.port());
        c[key] = std::move(value);
        return c;
    };
    auto missing = credentials(relay.port());
    missing.erase("bitrate");
    const struct {
        nlohmann::json credentials;
        const char* text;
    } cases[] = {
        {with("version", 1.0), "accepted"},
        {with("port", relay.port() * 1.0), "Unsupported voice configuration"},
        {with("port", 0), "Unsupported voice configuration"},
        {with("port", 65536), "Unsupported voice configuration"},
        {with("port", -1), "Unsupported voice configuration"},
        {with("port", "1"), "Unsupported voice configuration"},
        {with("version", 2), "Unsupported voice configuration"},
        {with("rate", 44100), "Unsupported voice configuration"},
        {with("samples", 480), "Unsupported voice configuration"},
        {with("bitrate", 32000), "Unsupported voice configuration"},
        {with("token", "00112233445566778899AABBCCDDEEFF"), "Invalid voice token"},
        {with("token", "0011223344556677889900112233445g"), "Invalid voice token"},
        {with("token", tokenHex.substr(1)), "Invalid voice credentials"},
        {with("token", tokenHex + "0"), "Invalid voice credentials"},
        {with("token", 7), "json"},
        {missing, "json"},
        {nlohmann::json::array(), "json"},
    };
    for (const auto& c : cases) {
        Transport transport;
        EXPECT_EQ(refusal([&] { transport.connect("127.0.0.1", c.credentials); }), c.text) << c.credentials.dump();
        if (std::string(c.text) != "accepted") {
            EXPECT_TRUE(transport.poll(1).empty());
            EXPECT_FALSE(transport.send(Channel::radio, 1, opusPayload()));
        }
    }
}

TEST(TransportCredentials, UnresolvableHostGivesTheResolverText) {
    Transport transport;
    const std::string text = refusal([&] { transport.connect("host.invalid", credentials(29497)); });
    EXPECT_EQ(text.rfind("Voice address: ", 0), 0u) << text;
    EXPECT_FALSE(transport.ready());
}

TEST_F(Connected, FirstPollSendsTheHelloAtOnce) {
    EXPECT_FALSE(transport.ready());
    EXPECT_FALSE(transport.send(Channel::radio, 7, opusPayload()));
    transport.poll(0x0102030405060708);
    const auto datagram = relay.receive();
    ASSERT_TRUE(datagram);
    EXPECT_EQ(datagram->size(), 33u);
    EXPECT_EQ(*datagram, hello(0x0102030405060708).data);
}

TEST_F(Connected, HellosGoOutOncePerSecondAndAtOnceForANewSession) {
    transport.poll(1);
    clock.advance(500ms);
    transport.poll(1);
    EXPECT_EQ(relay.drain().size(), 1u);
    clock.advance(500ms);
    transport.poll(1);
    EXPECT_EQ(relay.drain().size(), 1u);
    clock.advance(1000ms);
    transport.poll(1);
    EXPECT_EQ(relay.drain().size(), 1u);
    becomeReady(1, false);
    clock.advance(100ms);
    transport.poll(2);
    EXPECT_FALSE(transport.ready());
    const auto datagrams = relay.drain();
    ASSERT_EQ(datagrams.size(), 1u);
    EXPECT_EQ(datagrams[0], hello(2).data);
}

TEST_F(Connected, AcknowledgedForThreeSeconds) {
    becomeReady(9);
    clock.advance(2999ms);
    EXPECT_TRUE(transport.ready());
    clock.advance(1ms);
    EXPECT_FALSE(transport.ready());
    EXPECT_FALSE(transport.send(Channel::radio, 9, opusPayload()));
}

TEST_F(Connected, VoiceDatagramsCountFromOne) {
    becomeReady(9);
    const auto opus = opusPayload(30);
    for (std::uint32_t sequence = 1; sequence <= 3; ++sequence) {
        ASSERT_TRUE(transport.send(sequence == 2 ? Channel::proximity : Channel::radio, 9, opus));
        const auto datagram = relay.receive();
        ASSERT_TRUE(datagram);
        const Bytes expected = std::move(Bytes().text("VNV1").raw(tokenBytes(tokenHex)).u32(sequence).u64(9)
                                             .u8(sequence == 2 ? 0 : 1).raw(opus));
        EXPECT_EQ(*datagram, expected.data);
    }
    EXPECT_EQ(transport.report()["sent"], 3);

    const struct {
        std::vector<std::byte> opus;
        int channel;
    } refused[] = {
        {opusPayload(), 2},
        {{}, 1},
        {opusPayload(399), 1},
        {std::vector<std::byte>{std::byte{0x4C}, std::byte{1}}, 1},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(transport.send(static_cast<Channel>(r.channel), 9, r.opus));
    }
    EXPECT_TRUE(relay.drain().empty());

    // A new connection starts the count again.
    transport.close();
    EXPECT_EQ(transport.report(), (nlohmann::json{{"ready", false}, {"sent", 0}, {"received", 0}, {"rejected", 0}}));
    transport.connect("127.0.0.1", credentials(relay.port()));
    relay.drain();
    becomeReady(9);
    ASSERT_TRUE(transport.send(Channel::radio, 9, opus));
    const auto first = relay.receive();
    ASSERT_TRUE(first);
    EXPECT_EQ(std::to_integer<int>((*first)[23]), 1);
}

TEST_F(Connected, ForgedAcknowledgementsAreRejected) {
    transport.poll(5);
    ASSERT_TRUE(relay.receive());
    Bytes longAck = ack(5);
    longAck.u8(0x48);
    const Bytes forged[] = {
        ack(5, "ffeeddccbbaa99887766554433221100"),
        ack(6),
        longAck,
        std::move(Bytes().text("VNR1").raw(tokenBytes(tokenHex)).u32(3).u32(0).u64(5).u8(2).f32(0).f32(0)),
        std::move(Bytes().text("VNR1").raw(tokenBytes(tokenHex)).u32(0).u32(1).u64(5).u8(2).f32(0).f32(0)),
        std::move(Bytes().text("VNR2").raw(tokenBytes(tokenHex)).u32(0).u32(0).u64(5).u8(2).f32(0).f32(0)),
        std::move(Bytes().text("VNR1").raw(tokenBytes(tokenHex)).u32(0).u32(0).u64(5).u8(2).f32(0)),
    };
    for (const Bytes& datagram : forged) relay.reply(datagram);
    pollAfterSending(5, std::size(forged));
    EXPECT_FALSE(transport.ready());
    EXPECT_EQ(transport.report()["rejected"], std::size(forged));
    EXPECT_EQ(transport.report()["received"], 0);
}

TEST_F(Connected, RelayedVoiceIsCheckedBeforePlayback) {
    becomeReady(4);
    const auto opus = opusPayload(25);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::byte> stereo{std::byte{0x4C}, std::byte{1}};
    const struct {
        Bytes datagram;
        bool accepted;
        const char* what;
    } cases[] = {
        {relayed(3, 7, 4, 1, 10.5f, -2.25f, opus), true, "radio"},
        {relayed(3, 8, 4, 0, 0.0f, 0.0f, opus), true, "proximity"},
        {relayed(3, 7, 4, 1, 10.5f, -2.25f, opus), true, "a duplicate is the playback's to drop"},
        {relayed(3, 9, 4, 2, 0.0f, 0.0f, opus), false, "channel 2 with voice"},
        {relayed(3, 9, 4, 3, 0.0f, 0.0f, opus), false, "channel 3"},
        {relayed(0, 9, 4, 1, 0.0f, 0.0f, opus), false, "speaker 0"},
        {relayed(3, 0, 4, 1, 0.0f, 0.0f, opus), false, "sequence 0"},
        {relayed(3, 9, 4, 1, nan, 0.0f, opus), false, "x NaN"},
        {relayed(3, 9, 4, 1, 0.0f, inf, opus), false, "z infinite"},
        {relayed(3, 9, 5, 1, 0.0f, 0.0f, opus), false, "other session"},
        {relayed(3, 9, 4, 1, 0.0f, 0.0f, stereo), false, "not our Opus"},
        {relayed(3, 9, 4, 1, 0.0f, 0.0f, opusPayload(398)), true, "largest packet"},
    };
    std::size_t sent = 0;
    for (const auto& c : cases) relay.reply(c.datagram), ++sent;
    const auto packets = pollAfterSending(4, sent);
    std::size_t expected = 0;
    for (const auto& c : cases) expected += c.accepted ? 1 : 0;
    ASSERT_EQ(packets.size(), expected);
    EXPECT_EQ(transport.report()["rejected"], sent - expected);
    EXPECT_EQ(packets[0].speaker, 3u);
    EXPECT_EQ(packets[0].sequence, 7u);
    EXPECT_EQ(packets[0].session, 4u);
    EXPECT_EQ(packets[0].channel, Channel::radio);
    EXPECT_EQ(packets[0].position.x, 10.5f);
    EXPECT_EQ(packets[0].position.y, 12.0f);
    EXPECT_EQ(packets[0].position.z, -2.25f);
    EXPECT_EQ(packets[0].opus, opus);
    EXPECT_EQ(packets[1].channel, Channel::proximity);
}

TEST_F(Connected, OversizedDatagramsAreDroppedUncounted) {
    becomeReady(4);
    relay.reply(relayed(3, 1, 4, 1, 0, 0, opusPayload(600)));
    relay.reply(Bytes().fill(444, 0x41));
    relay.reply(Bytes().fill(44, 0x41));
    pollAfterSending(4, 1);
    EXPECT_EQ(transport.report()["rejected"], 1);
    EXPECT_EQ(transport.report()["received"], 0);
}

TEST(TransportAddress, ANameReachesTheIpv4Relay) {
    testing::RawUdp relay;
    Transport transport;
    transport.connect("localhost", credentials(relay.port()));
    transport.poll(1);
    EXPECT_TRUE(relay.receive());
}

}  // namespace
}  // namespace vant::voice

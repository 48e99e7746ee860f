#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "voice/playback.h"
#include "voice/speech_codec.h"
#include "voice/tone.h"

namespace vant::voice {
namespace {

using Block = std::array<float, Playback::blockFloats>;

// Real Opus packets of a 440 Hz tone, one per 20 ms frame.
const std::vector<std::vector<std::byte>>& tonePackets() {
    static const auto packets = [] {
        SpeechCodec codec;
        std::vector<std::vector<std::byte>> out;
        for (std::size_t frame = 0; frame < 40; ++frame) {
            out.push_back(codec.encode(testing::tone(440.0f, 0.5f, frameSamples, frame * frameSamples)));
        }
        return out;
    }();
    return packets;
}

Packet packet(std::uint32_t speaker, std::uint32_t sequence, Channel channel = Channel::radio,
              bastion::Vec3 position = {}) {
    Packet p;
    p.speaker = speaker;
    p.sequence = sequence;
    p.session = 1;
    p.channel = channel;
    p.position = {position.x, 12.0f, position.z};
    p.opus = tonePackets()[(sequence - 1) % tonePackets().size()];
    return p;
}

Block mix(Playback& playback, double now, float gain = 1.0f, bastion::Vec3 listener = {}, float heading = 0.0f) {
    Block out;
    out.fill(7.0f);  // every float must be written
    playback.mix(out.data(), listener, heading, now, gain);
    for (const float x : out) EXPECT_TRUE(x >= -1.0f && x <= 1.0f) << x;
    return out;
}

bool silent(const Block& block) {
    for (const float x : block) {
        if (x != 0.0f) return false;
    }
    return true;
}

std::uint64_t count(const Playback& playback, const char* key) { return playback.report()[key].get<std::uint64_t>(); }

TEST(Playback, GapIsConcealedBetweenDecodedPackets) {
    Playback playback;
    for (const std::uint32_t sequence : {1u, 2u, 4u}) playback.receive(packet(7, sequence), 0.0);
    EXPECT_EQ(count(playback, "received"), 3u);
    for (int block = 0; block < 4; ++block) mix(playback, 0.06 + block * 0.02);
    EXPECT_EQ(count(playback, "decoded"), 3u);
    EXPECT_EQ(count(playback, "concealed"), 1u);
    EXPECT_EQ(count(playback, "radio_frames"), 4u);
    EXPECT_EQ(count(playback, "discarded"), 0u);
}

TEST(Playback, FirstPacketPlaysSixtyMillisecondsLater) {
    Playback playback;
    playback.receive(packet(3, 5), 1.0);
    mix(playback, 1.059);
    EXPECT_EQ(count(playback, "decoded"), 0u);
    mix(playback, 1.06);
    EXPECT_EQ(count(playback, "decoded"), 1u);
    // Sequence 5 played first: 6 is next, and a late 4 is refused.
    playback.receive(packet(3, 4), 1.07);
    EXPECT_EQ(count(playback, "discarded"), 1u);
}

TEST(Playback, FourMissesConcealThreeThenSkipAhead) {
    Playback playback;
    playback.receive(packet(1, 1), 0.0);
    playback.receive(packet(1, 6), 0.0);
    const double t0 = 0.06;
    for (int block = 0; block < 5; ++block) mix(playback, t0 + block * 0.001);
    // 1 decoded, 2..4 concealed, then a silent block that jumps to 6.
    EXPECT_EQ(count(playback, "decoded"), 1u);
    EXPECT_EQ(count(playback, "concealed"), 3u);
    EXPECT_EQ(count(playback, "radio_frames"), 4u);
    mix(playback, t0 + 0.01);
    EXPECT_EQ(count(playback, "decoded"), 2u);
}

TEST(Playback, StreamEndsAfterSilenceAndOldSequencesCannotRestartIt) {
    Playback playback;
    playback.receive(packet(9, 10), 0.0);
    mix(playback, 0.06);
    mix(playback, 0.17);  // more than 0.16 s since the packet
    EXPECT_EQ(count(playback, "streams"), 0u);
    playback.receive(packet(9, 10), 0.2);
    playback.receive(packet(9, 3), 0.2);
    EXPECT_EQ(count(playback, "streams"), 0u);
    EXPECT_EQ(count(playback, "discarded"), 2u);
    playback.receive(packet(9, 11), 0.2);
    EXPECT_EQ(count(playback, "streams"), 1u);
}

TEST(Playback, CapsOnSpeakersAndBufferedPackets) {
    Playback playback;
    for (std::uint32_t speaker = 1; speaker <= 33; ++speaker) playback.receive(packet(speaker, 1), 0.0);
    EXPECT_EQ(count(playback, "streams"), 32u);
    EXPECT_EQ(count(playback, "discarded"), 1u);
    mix(playback, 0.06);
    EXPECT_EQ(count(playback, "decoded"), 32u);

    Playback buffered;
    for (std::uint32_t sequence = 1; sequence <= 17; ++sequence) buffered.receive(packet(1, sequence), 0.0);
    EXPECT_EQ(count(buffered, "received"), 16u);
    EXPECT_EQ(count(buffered, "discarded"), 1u);
}

TEST(Playback, RefusesMalformedStaleAndDuplicatePackets) {
    Playback playback;
    playback.receive(packet(1, 40), 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        Packet packet;
        double now;
    } cases[] = {
        {"speaker 0", packet(0, 41), 0.0},
        {"sequence 0", packet(1, 0 + 0), 0.0},
        {"channel 2", [] { auto p = packet(1, 41); p.channel = static_cast<Channel>(2); return p; }(), 0.0},
        {"empty payload", [] { auto p = packet(1, 41); p.opus.clear(); return p; }(), 0.0},
        {"stereo payload", [] { auto p = packet(1, 41); p.opus[0] = std::byte{0x4C}; return p; }(), 0.0},
        {"time NaN", packet(1, 41), nan},
        {"x infinite", packet(1, 41, Channel::radio, {inf, 0, 0}), 0.0},
        {"duplicate", packet(1, 40), 0.0},
        {"32 behind the newest", packet(1, 8), 0.0},
        {"same sequence on the other channel", packet(1, 40, Channel::proximity), 0.0},
    };
    std::uint64_t expected = 0;
    for (auto& c : cases) {
        playback.receive(std::move(c.packet), c.now);
        EXPECT_EQ(count(playback, "discarded"), ++expected) << c.name;
    }
    EXPECT_EQ(count(playback, "received"), 1u);
    playback.receive(packet(1, 9), 0.0);  // 31 behind: still in the window
    EXPECT_EQ(count(playback, "received"), 2u);
}

TEST(Playback, ProximityPansByDirectionAndFadesWithDistance) {
    // Identical packets decode identically, so the blocks differ only by weights.
    const auto firstBlock = [](bastion::Vec3 at) {
        Playback playback;
        playback.receive(packet(2, 1, Channel::proximity, at), 0.0);
        return mix(playback, 0.06);
    };
    const Block right = firstBlock({8.0f, 0.0f, 0.0f});
    const Block centre = firstBlock({0.0005f, 0.0f, 0.0f});
    const Block far = firstBlock({0.0f, 0.0f, 60.0f});
    EXPECT_TRUE(silent(far));
    EXPECT_FALSE(silent(centre));
    const float rightWeight = 1.0f - 64.0f / 3600.0f;
    for (int k = 0; k < frameSamples; ++k) {
        EXPECT_EQ(right[2 * k], 0.0f);
        EXPECT_EQ(centre[2 * k], centre[2 * k + 1]);
        EXPECT_NEAR(right[2 * k + 1], centre[2 * k] / 0.70710677f * rightWeight, 1e-6f);
    }
}

TEST(Playback, RestartOnChannelSwitchSoundsARadioStartCue) {
    Playback playback;
    playback.receive(packet(4, 1, Channel::proximity, {100.0f, 0.0f, 0.0f}), 0.0);
    EXPECT_TRUE(silent(mix(playback, 0.0)));  // out of earshot, no cue
    playback.receive(packet(4, 1, Channel::radio), 0.01);
    EXPECT_EQ(count(playback, "discarded"), 1u);
    playback.receive(packet(4, 2, Channel::radio), 0.01);
    EXPECT_EQ(count(playback, "streams"), 1u);
    EXPECT_FALSE(silent(mix(playback, 0.02)));  // the start cue, before the stream plays
    EXPECT_EQ(count(playback, "decoded"), 0u);
}

TEST(Playback, LocalRadioCuesAndTheirLimit) {
    Playback playback;
    playback.setLocalRadio(true);
    playback.setLocalRadio(true);
    EXPECT_EQ(count(playback, "local_radio_engages"), 1u);
    EXPECT_TRUE(playback.report()["local_radio_engaged"].get<bool>());
    const Block first = mix(playback, 0.0);
    EXPECT_FALSE(silent(first));
    EXPECT_EQ(first[0], 0.0f);  // the cue rises from nothing
    for (int k = 0; k < frameSamples; ++k) EXPECT_EQ(first[2 * k], first[2 * k + 1]);
    // The 0.12 s cue lasts six blocks.
    for (int block = 1; block < 6; ++block) EXPECT_FALSE(silent(mix(playback, 0.0)));
    EXPECT_TRUE(silent(mix(playback, 0.0)));

    // Eight cues sound together; a ninth is dropped, so nine requests sound like eight.
    const auto loudness = [](int requests) {
        Playback p;
        for (int i = 0; i < requests; ++i) p.setLocalRadio(i % 2 == 0);
        const Block b = mix(p, 0.0, 0.01f);
        return b[2 * 500];
    };
    EXPECT_EQ(loudness(9), loudness(8));
    EXPECT_NE(loudness(8), loudness(7));
}

TEST(Playback, GainIsClampedAndNaNSilences) {
    const auto cueBlock = [](float gain) {
        Playback playback;
        playback.setLocalRadio(true);
        return mix(playback, 0.0, gain);
    };
    EXPECT_TRUE(silent(cueBlock(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(silent(cueBlock(-1.0f)));
    EXPECT_EQ(cueBlock(3.0f), cueBlock(1.0f));
}

TEST(Playback, RetainAndClearForgetSpeakers) {
    Playback playback;
    playback.receive(packet(1, 5), 0.0);
    playback.receive(packet(2, 5), 0.0);
    const std::array<Participant, 2> participants{Participant{1, {}, true, 1}, Participant{2, {}, false, 1}};
    playback.retain(participants);
    EXPECT_EQ(count(playback, "streams"), 1u);
    // Speaker 2 is still a participant: its sequence memory refuses an old packet.
    playback.receive(packet(2, 5), 0.0);
    EXPECT_EQ(count(playback, "discarded"), 1u);
    playback.retain({});
    playback.receive(packet(2, 5), 0.0);
    EXPECT_EQ(count(playback, "streams"), 1u);

    playback.setLocalRadio(true);
    playback.clear();
    EXPECT_EQ(count(playback, "streams"), 0u);
    EXPECT_FALSE(playback.report()["local_radio_engaged"].get<bool>());
    EXPECT_TRUE(silent(mix(playback, 0.0)));
    EXPECT_EQ(count(playback, "received"), 3u);  // counters stay
}

}  // namespace
}  // namespace vant::voice

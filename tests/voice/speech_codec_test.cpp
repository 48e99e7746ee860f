#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "support/refusal.h"
#include "voice/internal/opus_packet.h"
#include "voice/speech_codec.h"
#include "voice/tone.h"

namespace vant::voice {
namespace {

using bastion::testing_support::refusal;

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (const int v : values) out.push_back(static_cast<std::byte>(v));
    return out;
}

TEST(SpeechCodec, ToneSurvivesFiftyFrames) {
    SpeechCodec codec;
    std::vector<float> decoded;
    for (std::size_t frame = 0; frame < 50; ++frame) {
        const auto pcm = testing::tone(440.0f, 0.5f, frameSamples, frame * frameSamples);
        const auto packet = codec.encode(pcm);
        ASSERT_TRUE(validOpus(packet)) << frame;
        EXPECT_GE(packet.size(), 2u);
        EXPECT_LE(packet.size(), maxOpusBytes);
        const auto out = codec.decode(packet);
        decoded.insert(decoded.end(), out.begin(), out.end());
    }
    // The coder's start-up delay is over after the first frames.
    const std::span<const float> settled(decoded.data() + 10 * frameSamples, 40 * frameSamples);
    EXPECT_NEAR(testing::peakFrequency(settled), 440.0, 10.0);
    EXPECT_GT(testing::rms(settled), 0.2);
    EXPECT_GT(testing::power(settled, 440.0), 100.0 * testing::power(settled, 1000.0));
}

TEST(SpeechCodec, RefusalsLeaveTheCodecUsable) {
    SpeechCodec codec;
    const std::vector<float> short_(frameSamples - 1), long_(frameSamples + 1);
    const struct {
        std::function<void()> action;
        const char* text;
    } cases[] = {
        {[&] { codec.encode(short_); }, "Voice capture must contain 20 ms mono"},
        {[&] { codec.encode(long_); }, "Voice capture must contain 20 ms mono"},
        {[&] { codec.encode({}); }, "Voice capture must contain 20 ms mono"},
        {[&] { codec.decode(bytes({0x00, 0x01})); }, "Invalid 20 ms voice packet"},  // 10 ms SILK
        {[&] { codec.decode(bytes({0x4C, 0x01})); }, "Invalid 20 ms voice packet"},  // stereo
        {[&] { codec.decode(std::vector<std::byte>(399, std::byte{0x48})); }, "Invalid 20 ms voice packet"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(refusal(c.action), c.text);
    }
    const auto packet = codec.encode(testing::tone(440.0f, 0.5f, frameSamples));
    EXPECT_TRUE(validOpus(packet));
    EXPECT_EQ(codec.decode(packet).size(), static_cast<std::size_t>(frameSamples));
}

TEST(SpeechCodec, EmptyPacketConcealsEvenOnAFreshDecoder) {
    SpeechCodec codec;
    const auto frame = codec.decode({});
    EXPECT_EQ(frame.size(), static_cast<std::size_t>(frameSamples));
    for (const float x : frame) ASSERT_TRUE(std::isfinite(x));
}

TEST(SpeechCodec, ResetAndMoveStartFreshStreams) {
    SpeechCodec codec;
    codec.encode(testing::tone(440.0f, 0.5f, frameSamples));
    codec.reset();
    EXPECT_TRUE(validOpus(codec.encode(testing::tone(440.0f, 0.5f, frameSamples))));
    SpeechCodec moved = std::move(codec);
    EXPECT_TRUE(validOpus(moved.encode(testing::tone(440.0f, 0.5f, frameSamples))));
    // A moved-from codec is still a codec.
    EXPECT_TRUE(validOpus(codec.encode(testing::tone(440.0f, 0.5f, frameSamples))));
}

TEST(ValidOpus, TableOfContentsRules) {
    const struct {
        std::vector<std::byte> packet;
        bool valid;
        const char* what;
    } cases[] = {
        {{}, false, "empty"},
        {std::vector<std::byte>(399, std::byte{0x48}), false, "399 bytes"},
        {std::vector<std::byte>(398, std::byte{0x48}), true, "398 bytes"},
        {bytes({0x08}), true, "SILK NB 20 ms"},
        {bytes({0x28}), true, "SILK MB 20 ms"},
        {bytes({0x48}), true, "SILK WB 20 ms"},
        {bytes({0x68}), true, "hybrid SWB 20 ms"},
        {bytes({0x78}), true, "hybrid FB 20 ms"},
        {bytes({0x98}), true, "CELT NB 20 ms"},
        {bytes({0xB8}), true, "CELT WB 20 ms"},
        {bytes({0xD8}), true, "CELT SWB 20 ms"},
        {bytes({0xF8, 0xFF, 0x00}), true, "CELT FB 20 ms"},
        {bytes({0x00}), false, "SILK 10 ms"},
        {bytes({0x10}), false, "SILK 40 ms"},
        {bytes({0x18}), false, "SILK 60 ms"},
        {bytes({0x80}), false, "CELT 2.5 ms"},
        {bytes({0x90}), false, "CELT 10 ms"},
        {bytes({0x70}), false, "hybrid FB 10 ms"},
        {bytes({0x60}), false, "hybrid SWB 10 ms"},
        {bytes({0x4C}), false, "stereo"},
        {bytes({0x49}), false, "two equal frames"},
        {bytes({0x4A}), false, "two frames"},
        {bytes({0x4B}), false, "arbitrary frames"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(validOpus(c.packet), c.valid) << c.what;
    }
}

}  // namespace
}  // namespace vant::voice

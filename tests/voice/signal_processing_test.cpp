#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "voice/activity_gate.h"
#include "voice/channel.h"
#include "voice/internal/radio_filter.h"
#include "voice/tone.h"

namespace vant::voice {
namespace {

const std::vector<float> silence(frameSamples, 0.0f);

// A tone frame that fades in and out, so no filter tail spills into the next.
std::vector<float> speechFrame() {
    auto frame = testing::tone(440.0f, 0.3f, frameSamples);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] *= static_cast<float>(0.5 - 0.5 * std::cos(2.0 * 3.14159265358979 * i / (frame.size() - 1)));
    }
    return frame;
}

TEST(ActivityGate, HoldsOpenElevenFramesAfterTheLastLoudOne) {
    ActivityGate gate;
    EXPECT_TRUE(gate.process(speechFrame()));
    EXPECT_EQ(gate.hangover, 12);
    const float noise = gate.noise;
    for (int frame = 1; frame <= 11; ++frame) {
        EXPECT_TRUE(gate.process(silence)) << frame;
        EXPECT_EQ(gate.hangover, 12 - frame);
        EXPECT_EQ(gate.noise, noise);
    }
    EXPECT_FALSE(gate.process(silence));
    EXPECT_EQ(gate.hangover, 0);
    // Closed again: silence now teaches the noise level.
    EXPECT_FALSE(gate.process(silence));
    EXPECT_LT(gate.noise, noise);
}

TEST(ActivityGate, ClosesAtALowerLevelThanItOpens) {
    // Between 0.6 and 1.0 of the floor threshold after the filter: passes only
    // while the hangover runs.
    ActivityGate closed;
    ActivityGate open;
    open.process(testing::tone(440.0f, 0.3f, frameSamples));
    const auto quiet = testing::tone(440.0f, 0.008f, frameSamples);
    EXPECT_FALSE(closed.process(quiet));
    EXPECT_TRUE(open.process(quiet));
    EXPECT_EQ(open.hangover, 12);
}

TEST(ActivityGate, SilentFirstFrameLowersTheNoiseLevel) {
    ActivityGate gate;
    EXPECT_FALSE(gate.process(silence));
    EXPECT_FLOAT_EQ(gate.noise, 0.0006f * 0.96f);
    EXPECT_EQ(gate.hangover, 0);
}

TEST(ActivityGate, NonFiniteSamplesCountAsSilence) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> frame(frameSamples, nan);
    for (std::size_t i = 0; i < frame.size(); i += 3) frame[i] = (i % 2 == 0) ? inf : -inf;
    ActivityGate gate;
    EXPECT_FALSE(gate.process(frame));
    EXPECT_FLOAT_EQ(gate.noise, 0.0006f * 0.96f);
    EXPECT_TRUE(std::isfinite(gate.highPass));
    EXPECT_TRUE(std::isfinite(gate.smoothed));
    // Still hears speech afterwards.
    EXPECT_TRUE(gate.process(testing::tone(440.0f, 0.3f, frameSamples)));
}

TEST(ActivityGate, EmptyFrameIsSilence) {
    ActivityGate gate;
    EXPECT_FALSE(gate.process({}));
}

std::vector<float> filtered(const std::vector<float>& input) {
    RadioFilter filter;
    std::vector<float> output;
    output.reserve(input.size());
    for (const float x : input) output.push_back(filter.sample(x));
    return output;
}

double settledGain(float hertz, float amplitude) {
    const auto input = testing::tone(hertz, amplitude, 48000);
    const auto output = filtered(input);
    const std::span<const float> tail(output.data() + 24000, 24000);
    const std::span<const float> source(input.data() + 24000, 24000);
    return testing::rms(tail) / testing::rms(source);
}

TEST(RadioFilter, PassesSpeechWithDriveAndRejectsHum) {
    // Small signals see tanh's slope: 1.8 / tanh(1.8) x +4 dB.
    const double speech = settledGain(1000.0f, 0.001f);
    EXPECT_NEAR(speech, 1.8 / 0.946806 * 1.5848932, 0.05);
    const double hum = settledGain(50.0f, 0.001f);
    EXPECT_LT(hum, 0.03 * speech);
    EXPECT_LT(settledGain(12000.0f, 0.001f), 0.1 * speech);
}

TEST(RadioFilter, DirectCurrentDecays) {
    const auto output = filtered(std::vector<float>(48000, 0.5f));
    EXPECT_GT(std::fabs(output[20]), 0.1f);
    for (std::size_t i = 24000; i < output.size(); ++i) ASSERT_LT(std::fabs(output[i]), 1e-4f) << i;
}

TEST(RadioFilter, FullScaleStepsStayBounded) {
    // Saturation keeps full scale at +4 dB; the low-pass may ring a little.
    std::vector<float> steps;
    for (int block = 0; block < 20; ++block) {
        steps.insert(steps.end(), 480, block % 2 == 0 ? 1.0f : -1.0f);
    }
    float peak = 0.0f;
    for (const float y : filtered(steps)) {
        ASSERT_TRUE(std::isfinite(y));
        peak = std::max(peak, std::fabs(y));
    }
    EXPECT_GT(peak, 1.5f);
    EXPECT_LT(peak, 1.5848932f * 1.1f);
}

}  // namespace
}  // namespace vant::voice

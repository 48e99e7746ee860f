#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "voice/activity_gate.h"
#include "voice/internal/radio_filter.h"
#include "voice/speech_codec.h"

namespace vant::voice {
namespace {

// One 20 ms frame through everything a talking client and a listening client
// do to it. The counter "of_frame" is the share of the frame's 20 ms spent.
void VoiceFrameChain(benchmark::State& state) {
    std::vector<float> pcm(frameSamples);
    for (int i = 0; i < frameSamples; ++i) {
        pcm[i] = 0.3f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 440.0 * i / sampleRate));
    }
    ActivityGate gate;
    RadioFilter filter;
    SpeechCodec sender, receiver;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gate.process(pcm));
        const auto packet = sender.encode(pcm);
        auto frame = receiver.decode(packet);
        for (float& x : frame) x = filter.sample(x);
        benchmark::DoNotOptimize(frame.data());
    }
    state.counters["of_frame"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 0.020, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(VoiceFrameChain)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vant::voice

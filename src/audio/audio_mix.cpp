#include <algorithm>
#include <cmath>

#include "audio/audio.h"

namespace bastion {
namespace {

constexpr float kMusicShare = 0.6f;
constexpr double kAlarmLength = 1.5;  // seconds of alarm time
constexpr double kFrameSeconds = 1.0 / Audio::kDeviceRate;
constexpr float kCeiling = 0.9f;  // the limiter's bound
constexpr float kRecovery = 0.0002f;  // of the distance to 1, per frame

}  // namespace

void Audio::mix(std::span<float> out) {
    std::fill(out.begin(), out.end(), 0.0f);
    if (musicOn && music) {
        music->mix(out, kDeviceRate);
        const float gain = musicVolume * kMusicShare;
        for (float& sample : out) sample *= gain;
    }
    if (out.size() < 2) return;
    const std::size_t frames = out.size() / 2;
    for (Voice& voice : voices) {
        const std::vector<float>& samples = *voice.samples;
        for (std::size_t k = 0; k < frames && voice.position < samples.size(); ++k) {
            const float s = samples[voice.position] * soundVolume;
            out[2 * k] += voice.gainL * s;
            out[2 * k + 1] += voice.gainR * s;
            ++voice.position;
        }
    }
    std::erase_if(voices, [](const Voice& voice) { return voice.position >= voice.samples->size(); });
    for (std::size_t k = 0; k < frames; ++k) mixFrameTail(out[2 * k], out[2 * k + 1]);
}

// The alarm, the voice ring, the limiter and the counters of one frame.
void Audio::mixFrameTail(float& left, float& right) {
    if (alarmOn && alarmTime < kAlarmLength) {
        // 660 Hz first, then 880 Hz, changing every 0.2 s.
        const bool high = static_cast<long>(alarmTime * 5.0) % 2 == 1;
        const float frequency = high ? 880.0f : 660.0f;
        alarmPhase += frequency * kTwoPi / static_cast<float>(kDeviceRate);
        const float tone = static_cast<float>(std::sin(alarmPhase) * 0.09 * soundVolume);
        left += tone;
        right += tone;
        alarmTime += kFrameSeconds;
    }
    // The ring holds interleaved stereo: the next float goes left, the one
    // after it right.
    if (ringCount_ > 0) {
        left += ring_[ringHead_];
        ringHead_ = (ringHead_ + 1) % kRingFloats;
        --ringCount_;
        if (ringCount_ > 0) {
            right += ring_[ringHead_];
            ringHead_ = (ringHead_ + 1) % kRingFloats;
            --ringCount_;
        }
    }
    // The gain drops at once to what keeps the frame at the bound and
    // recovers slowly.
    const float peak = std::max(std::fabs(left), std::fabs(right));
    const float target = peak > kCeiling ? kCeiling / peak : 1.0f;
    limiterGain = std::min(limiterGain + (1.0f - limiterGain) * kRecovery, target);
    left *= limiterGain;
    right *= limiterGain;
    if (limiterGain < 0.999f) ++statistics_.limited;
    statistics_.peak = std::max(statistics_.peak, limiterGain * peak);
    if (peak > 1e-7f) ++statistics_.nonSilent;
    ++statistics_.frames;
}

}  // namespace bastion

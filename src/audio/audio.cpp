#include "audio/audio.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>

#include <SDL.h>

#include "audio/internal/device_lock.h"
#include "audio/internal/effect_banks.h"

namespace bastion {
namespace {

constexpr int kBufferFrames = 512;

void reportUnavailable() { std::cerr << "Audio unavailable: " << SDL_GetError() << '\n'; }

}  // namespace

Audio::Audio(const std::filesystem::path& root) {
    try {
        music = std::make_unique<Music>(root);
    } catch (const std::exception& error) {
        std::cerr << "Music unavailable: " << error.what() << '\n';
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reportUnavailable();
        return;
    }
    subsystemStarted_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = kDeviceRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = kBufferFrames;
    wanted.callback = &Audio::callback;
    wanted.userdata = this;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        reportUnavailable();
        return;
    }
    banks = loadEffectBanks(root, std::cerr);
    // The audio thread appends nothing: the main thread's append after
    // dropping the oldest voice never grows the list past this.
    voices.reserve(kMaxVoices);
    SDL_PauseAudioDevice(device, 0);
}

Audio::~Audio() {
    // Closing the device stops the callbacks before anything they read goes.
    if (device != 0) SDL_CloseAudioDevice(device);
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Audio::setVolumes(float sound, float music) {
    if (!std::isfinite(sound) || !std::isfinite(music)) return;
    const DeviceLock lock(device);
    soundVolume = std::clamp(sound, 0.0f, 1.0f);
    musicVolume = std::clamp(music, 0.0f, 1.0f);
}

u64 Audio::voiceBytes() const {
    if (device == 0) return 0;
    const DeviceLock lock(device);
    return ringCount_ * 4;
}

void Audio::queueVoice(std::span<const float> samples) {
    if (device == 0 || samples.empty()) return;
    const DeviceLock lock(device);
    for (const float sample : samples) {
        if (ringCount_ == kRingFloats) {
            ringHead_ = (ringHead_ + 1) % kRingFloats;
            --ringCount_;
        }
        ring_[(ringHead_ + ringCount_) % kRingFloats] = sample;
        ++ringCount_;
    }
}

void Audio::clearVoice() {
    if (device == 0) return;
    const DeviceLock lock(device);
    ringHead_ = 0;
    ringCount_ = 0;
}

Audio::Statistics Audio::statistics() const {
    if (device == 0) return {};
    const DeviceLock lock(device);
    return statistics_;
}

void Audio::callback(void* self, std::uint8_t* stream, int len) {
    const auto floats = static_cast<std::size_t>(std::max(len, 0)) / sizeof(float);
    static_cast<Audio*>(self)->mix({reinterpret_cast<float*>(stream), floats});
}

}  // namespace bastion

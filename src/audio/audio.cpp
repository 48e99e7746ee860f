#include "audio/audio.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include <SDL.h>

#include "world/world.h"

namespace bastion {
namespace {

constexpr int kDeviceRate = 48000;
constexpr int kBufferFrames = 512;

// Holds the device lock for a scope; does nothing without a device.
class DeviceLock {
public:
    explicit DeviceLock(std::uint32_t device) : device_(device) {
        if (device_ != 0) SDL_LockAudioDevice(device_);
    }
    ~DeviceLock() {
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    std::uint32_t device_;
};

void reportUnavailable() { std::cerr << "Audio unavailable: " << SDL_GetError() << '\n'; }

}  // namespace

Audio::Audio(const std::filesystem::path& root) {
    static_cast<void>(root);  // effect banks and music are read from here
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
    SDL_PauseAudioDevice(device, 0);
}

Audio::~Audio() {
    if (device != 0) SDL_CloseAudioDevice(device);
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Audio::setVolumes(float sound, float music) {
    if (!std::isfinite(sound) || !std::isfinite(music)) return;
    const DeviceLock lock(device);
    soundVolume = std::clamp(sound, 0.0f, 1.0f);
    musicVolume = std::clamp(music, 0.0f, 1.0f);
}

void Audio::update(World& world, bool playing, bool menus) {
    static_cast<void>(playing);
    static_cast<void>(menus);
    const DeviceLock lock(device);
    world.sounds.clear();
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

void Audio::callback(void* self, std::uint8_t* stream, int len) {
    const auto floats = static_cast<std::size_t>(std::max(len, 0)) / sizeof(float);
    static_cast<Audio*>(self)->mix({reinterpret_cast<float*>(stream), floats});
}

void Audio::mix(std::span<float> out) {
    std::fill(out.begin(), out.end(), 0.0f);
    if (out.size() < 2) return;
    // The ring holds interleaved stereo: the next float goes left, the one
    // after it right.
    for (std::size_t frame = 0; frame + 1 < out.size(); frame += 2) {
        for (std::size_t channel = 0; channel < 2 && ringCount_ > 0; ++channel) {
            out[frame + channel] += ring_[ringHead_];
            ringHead_ = (ringHead_ + 1) % kRingFloats;
            --ringCount_;
        }
    }
}

}  // namespace bastion

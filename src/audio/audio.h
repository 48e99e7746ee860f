#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

#include "world/math.h"

namespace bastion {

class World;

// The game's one sound owner: the SDL output device (48 kHz, float, stereo)
// and the voice-chat ring that the mixing callback drains. When the device
// cannot open the object stays silent and the game goes on without sound.
// Every main-thread method takes the device lock while it touches what the
// callback reads.
class Audio {
public:
    static constexpr std::size_t kRingFloats = 24000;  // 0.25 s of interleaved stereo

    explicit Audio(const std::filesystem::path& root);
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Ignored when either value is NaN or infinite; otherwise each is clamped
    // to 0..1 and stored, also without a device.
    void setVolumes(float sound, float music);

    // Once per frame: consumes the World's sound events.
    void update(World& world, bool playing, bool menus);

    // The voice-chat ring: bytes of floats waiting, appending (the oldest float
    // gives way to each new one when full) and emptying. Without a device
    // these do nothing and report nothing waiting.
    u64 voiceBytes() const;
    void queueVoice(std::span<const float> samples);
    void clearVoice();

    // SDL's callback: `stream` holds len / 4 floats.
    static void callback(void* self, std::uint8_t* stream, int len);

    // One buffer of interleaved stereo floats, on the audio thread.
    void mix(std::span<float> out);

    std::uint32_t device = 0;  // 0: no device, the object is silent
    float soundVolume = 1.0f;
    float musicVolume = 1.0f;

private:
    bool subsystemStarted_ = false;
    std::array<float, kRingFloats> ring_{};
    u64 ringHead_ = 0;
    u64 ringCount_ = 0;
};

}  // namespace bastion

#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "audio/music.h"
#include "world/math.h"

namespace bastion {

class World;

// The game's one sound owner: the SDL output device (48 kHz, float, stereo)
// and what its callback mixes: the music, up to 24 positional effect voices,
// the alarm tone, the voice-chat ring and a soft limiter. When the device
// cannot open the object stays silent and the game goes on without sound.
// Every main-thread method takes the device lock while it touches what the
// callback reads; tests that read the fields pause the device first.
class Audio {
public:
    static constexpr std::size_t kRingFloats = 24000;  // 0.25 s of interleaved stereo
    static constexpr std::size_t kMaxVoices = 24;
    static constexpr int kEffects = 32;
    static constexpr int kDeviceRate = 48000;

    // One playing effect.
    struct Voice {
        const std::vector<float>* samples = nullptr;  // a bank entry
        u64 position = 0;  // the next sample to play
        float gainL = 0.0f;
        float gainR = 0.0f;
    };

    struct Statistics {
        u64 frames = 0;  // stereo frames mixed
        u64 nonSilent = 0;  // frames whose peak before the limiter exceeded 1e-7
        u64 limited = 0;  // frames mixed with a limiter gain below 0.999
        float peak = 0.0f;  // largest frame peak after the limiter
    };

    // `root` is the retail folder. Never fails: problems go to standard error
    // and leave a quieter object.
    explicit Audio(const std::filesystem::path& root);
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Ignored when either value is NaN or infinite; otherwise each is clamped
    // to 0..1 and stored, also without a device.
    void setVolumes(float sound, float music);

    // Once per frame: chooses the music, runs the alarm, turns the World's
    // sound events into effect voices and empties its sound list. `playing`:
    // the playing screen is shown with focus; `menus`: another screen is.
    void update(World& world, bool playing, bool menus);

    // The voice-chat ring: bytes of floats waiting, appending (the oldest float
    // gives way to each new one when full) and emptying. Without a device
    // these do nothing and report nothing waiting.
    u64 voiceBytes() const;
    void queueVoice(std::span<const float> samples);
    void clearVoice();

    // A copy of the mixer's counters; all zero without a device.
    Statistics statistics() const;

    // SDL's callback: `stream` holds len / 4 floats.
    static void callback(void* self, std::uint8_t* stream, int len);

    // One buffer of interleaved stereo floats, on the audio thread.
    void mix(std::span<float> out);

    std::uint32_t device = 0;  // 0: no device, the object is silent
    std::unique_ptr<Music> music;  // none when the music data is unusable
    int track = kSilence;  // the music last started: a mission track, kSilence or kMenuMusic
    float lastClock = -1.0f;  // the World's mission clock at the last update
    std::vector<Voice> voices;  // oldest first
    // Mono 48 kHz effects; bank 0 for the first campaign, bank 1 for the
    // second and the second campaign's weapons.
    std::array<std::array<std::vector<float>, kEffects>, 2> banks;
    bool musicOn = false;
    bool alarmOn = false;
    double alarmTime = 0.0;  // seconds; the tone sounds below 1.5
    double alarmPhase = 0.0;  // radians
    float limiterGain = 1.0f;
    float soundVolume = 1.0f;
    float musicVolume = 1.0f;

    static constexpr int kSilence = -2;
    static constexpr int kMenuMusic = -3;

private:
    void mixFrameTail(float& left, float& right);

    bool subsystemStarted_ = false;
    std::array<float, kRingFloats> ring_{};
    u64 ringHead_ = 0;
    u64 ringCount_ = 0;
    Statistics statistics_;
};

}  // namespace bastion

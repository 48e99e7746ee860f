#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "world/math.h"

namespace bastion {

// The music player: seven songs decoded from the cartridge (six mission
// songs and the menu song), each a list of instruments and a score, played
// by an eight-voice synthesiser of two-operator wavetable FM voices and 8-
// and 16-bit sample voices in integer fixed point, resampled to the device
// rate. Everything is loaded by the constructor; playing reads no file and
// allocates nothing. Not thread-safe: the owner keeps `mix` apart from
// `select` and `start`.
class Music {
public:
    static constexpr int kSongs = 7;
    static constexpr int kMenuSong = 6;
    static constexpr int kMissionTracks = 16;
    static constexpr int kVoices = 8;
    static constexpr int kWords = 20;

    struct Instrument {
        u32 kind = 0;  // 4: two-operator FM; anything else is sampled
        std::array<u32, kWords> words{};  // word 0 is the voice type: 4 FM, 12 16-bit sample, 32 8-bit sample
        std::vector<std::uint8_t> sample;  // the raw sample file; empty for FM
        std::array<std::int32_t, 128> carrier{};
        std::array<std::int32_t, 128> modulator{};
        std::array<std::int32_t, 10> envelope{};
    };

    struct Song {
        std::vector<Instrument> instruments;  // indexed by the score's instrument numbers
        std::vector<u32> score;  // (time in ticks, event word) pairs
    };

    struct Voice {
        bool active = false;
        const Instrument* instrument = nullptr;
        std::array<u32, kWords> words{};  // the instrument's words, changed while the voice plays
        u32 pitch = 0;  // 14 bits
        u32 velocity = 0;  // 7-bit velocity times 64
    };

    struct Frame {
        float left = 0.0f;
        float right = 0.0f;
    };

    // Loads the music description "audio/music.json" below `root` (the
    // retail folder), the wave ROM from the "system" folder beside it, the
    // instrument samples and the seven scores. Throws std::runtime_error (or
    // the JSON library's exception) whose text says what is wrong.
    explicit Music(const std::filesystem::path& root);
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // Plays song 0..6 from its start; any other number plays nothing.
    void select(int song);
    // Plays the song of mission track 0..15 from its start; any other value
    // plays nothing.
    void start(int mission);
    // Adds the music to `out`, interleaved stereo at `deviceRate` Hz; a
    // trailing odd float is left alone.
    void mix(std::span<float> out, unsigned deviceRate);

    std::array<Song, kSongs> songs;
    std::array<u32, kMissionTracks> missionTracks{};  // song 0..5 of each mission index
    std::array<Voice, kVoices> voices{};
    std::int32_t currentSong = -1;  // -1: none
    u64 eventPosition = 0;  // index of the next event's time word
    double clock = 0.0;  // song time in ticks
    double phase = 0.0;  // resampling position between `previous` and `current`
    double sampleRate = 0.0;  // the synthesiser's native rate, Hz
    double tickRate = 0.0;  // ticks per second
    Frame previous;
    Frame current;

private:
    void reset();
    void events();
    Frame sample();
};

}  // namespace bastion

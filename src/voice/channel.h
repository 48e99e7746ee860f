#pragma once

#include <cstdint>

namespace vant::voice {

// Who hears a transmission: players near the speaker, or the whole group over
// the radio. The wire also carries 2 for keep-alives, never a Channel.
enum class Channel : std::uint8_t {
    proximity = 0,
    radio = 1,
};

// Samples per second and per 20 ms frame of every voice stream.
inline constexpr int sampleRate = 48000;
inline constexpr int frameSamples = 960;

}  // namespace vant::voice

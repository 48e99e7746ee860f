#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// The event words of a music score and the score file itself: (time in
// ticks, event word) pairs of big-endian 32-bit words.
namespace bastion::contentgen {

inline constexpr std::uint32_t kScoreEnd = 0x7FFFFFFF;  // a time that ends the score
inline constexpr std::uint32_t kEndlessLoop = 0x80;

// Voice 0..7, instrument 0..31, 14-bit pitch, 7-bit velocity.
inline std::uint32_t noteOn(std::uint32_t voice, std::uint32_t instrument, std::uint32_t pitch, std::uint32_t velocity) {
    return 0x80000000u | (voice & 7) << 26 | (instrument & 31) << 21 | (pitch & 0x3FFF) << 7 | (velocity & 0x7F);
}

inline std::uint32_t noteOff(std::uint32_t voice) { return (voice & 7) << 26; }

// Repeats from `offset` events after the loop event's successor; count 1..127
// times, 0x80..0xFF for ever.
inline std::uint32_t loopEvent(std::uint32_t count, std::int32_t offset) {
    return 0x60000000u | (static_cast<std::uint32_t>(offset) & 0x1FFFFF) << 8 | (count & 0xFF);
}

// Parameter 7 volume, 9 pitch, 10 pan, on a voice or (instrument flag) on an
// instrument of the song.
inline std::uint32_t parameterEvent(bool instrument, std::uint32_t target, std::uint32_t parameter,
                                    std::uint32_t value) {
    const std::uint32_t addressed = instrument ? (1u << 20 | (target & 31) << 21) : (target & 7) << 26;
    return 0x20000000u | addressed | (parameter & 31) << 15 | (value & 0x7FFF);
}

struct ScoreEvent {
    std::uint32_t time = 0;
    std::uint32_t word = 0;
};

void writeScore(const std::filesystem::path& path, const std::vector<ScoreEvent>& events);

}  // namespace bastion::contentgen

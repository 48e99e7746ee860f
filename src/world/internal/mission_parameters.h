#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "world/math.h"

namespace bastion {

// Behaviour bits of a unit's parameter record that the loader reads.
inline constexpr std::uint32_t kBehaviourRoute = 1u << 0;       // decoded route, armed gun model
inline constexpr std::uint32_t kBehaviourCarriesShip = 1u << 1;  // ship with an attached spawn
inline constexpr std::uint32_t kBehaviourHeavyTank = 1u << 6;

inline constexpr int kParameterWords = 16;
inline constexpr std::uint32_t kMaxRoutePoints = 64;

// A spawn's "parameters" bytes read as a big-endian record. A field with any
// byte past the end of the record reads as 0.
struct ParameterRecord {
    std::size_t length = 0;
    std::uint32_t behaviour = 0;  // bytes 0..3; with 2 or 3 bytes only 0..1, in the upper half
    std::uint32_t attackWord = 0;  // bytes 0..1
    std::uint32_t flagBit = 0;     // low 5 bits of byte 5
    int words[kParameterWords] = {};  // word k at bytes 4 + 2k, 5 + 2k

    // True when the record holds at least `bytes` bytes.
    bool holds(std::size_t bytes) const { return length >= bytes; }
};
ParameterRecord decodeParameters(std::span<const std::uint8_t> bytes);

// The route record at byte `offset`: a 16-bit point count, then that many
// (x, z) pairs of signed 32-bit hundredths, placed at `height`. Throws
// "Invalid AI route record" for more than 64 points or a record running past
// the parameters (so even an empty route needs its two count bytes).
std::vector<Vec3> decodeRoute(std::span<const std::uint8_t> bytes, std::size_t offset, float height);

// A generator spawn record's parameters.
struct GeneratorRecord {
    std::uint32_t flags = 0;  // bytes 0..3, the behaviour rule
    int remaining = 0;        // word 0
    float interval = 0.0f;    // bytes 6..7 / 256
    int members = 8;          // word 2: 0 or absent gives 8, else at most 16
    int parentSpawn = 0;      // word 3
    float burstPause = 0.0f;  // word 4 / 256
    int burstSize = 0;        // word 5
};
GeneratorRecord decodeGeneratorRecord(const ParameterRecord& parameters);

}  // namespace bastion

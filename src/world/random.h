#pragma once

#include "world/math.h"

namespace bastion {

// "SBXR" read big-endian: replaces a zero seed so the state is never 0.
inline constexpr u32 kDefaultSeed = 0x53425852u;

inline u32 seedRandom(u32 seed) { return seed == 0 ? kDefaultSeed : seed; }

// One xorshift32 draw (shifts 13, 17, 5): advances the state, returns it.
inline u32 xorshift32(u32& state) {
    u32 x = state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state = x;
    return x;
}

// Steps a counter by the golden-ratio increment and scrambles it with the
// 32-bit MurmurHash3 finaliser: a well-spread sequence of seeds.
inline u32 nextSeed(u32 counter) {
    u32 h = counter + 0x9E3779B9u;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

// Uniform in [0, 1), computed in double precision from one draw.
inline double uniform(u32& state) { return static_cast<double>(xorshift32(state)) * (1.0 / 4294967296.0); }

// Uniform in [lo, lo + span).
inline double uniform(u32& state, double lo, double span) { return lo + span * uniform(state); }

}  // namespace bastion

#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace bastion::contentgen {

// The eight single-cycle waves of the demo wave ROM, in ROM order.
enum class SynthWave : std::uint32_t { kSine, kSquare, kSaw, kTriangle, kNoise, kHalfSine, kOrgan, kPulse };

// A wave's address as instruments name it.
std::uint32_t waveAddress(SynthWave wave);

// 128 values of one wave, peak about 0.9 of full scale.
std::vector<std::int32_t> waveValues(SynthWave wave);

// The 4096-byte ROM image: eight waves of 128 big-endian 32-bit words, the
// wave value in each word's low half.
std::vector<std::uint8_t> waveRom();

// Writes the ROM as "synth-wavetable.bin" into the "system" folder beside
// the retail folder `retail`.
void writeSystemFolder(const std::filesystem::path& retail);

}  // namespace bastion::contentgen

#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace bastion::contentgen {

// A mono 16-bit PCM WAV image of `samples` (-1..1, clipped) at `rate` Hz.
std::vector<std::uint8_t> monoWav(const std::vector<double>& samples, std::uint32_t rate);

// A mono 32-bit float WAV image (format 3), the samples as they are.
std::vector<std::uint8_t> floatWav(const std::vector<float>& samples, std::uint32_t rate);

}  // namespace bastion::contentgen

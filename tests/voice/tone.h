#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace vant::voice::testing {

// `count` samples of a sine at `hertz` and 48000 Hz, starting at sample `first`.
std::vector<float> tone(float hertz, float amplitude, std::size_t count, std::size_t first = 0);

// Power of `hertz` in the samples (Goertzel).
double power(std::span<const float> samples, double hertz);

// The frequency, in `step` Hz steps from `low` to `high`, with the most power.
double peakFrequency(std::span<const float> samples, double low = 100, double high = 4000, double step = 10);

double rms(std::span<const float> samples);

}  // namespace vant::voice::testing

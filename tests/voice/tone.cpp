#include "voice/tone.h"

#include <cmath>
#include <numbers>

namespace vant::voice::testing {

std::vector<float> tone(float hertz, float amplitude, std::size_t count, std::size_t first) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(first + i) / 48000.0;
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hertz * t));
    }
    return samples;
}

double power(std::span<const float> samples, double hertz) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hertz / 48000.0);
    double s1 = 0.0, s2 = 0.0;
    for (const float x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

double peakFrequency(std::span<const float> samples, double low, double high, double step) {
    double best = low, bestPower = -1.0;
    for (double f = low; f <= high; f += step) {
        const double p = power(samples, f);
        if (p > bestPower) {
            bestPower = p;
            best = f;
        }
    }
    return best;
}

double rms(std::span<const float> samples) {
    double sum = 0.0;
    for (const float x : samples) sum += static_cast<double>(x) * x;
    return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

}  // namespace vant::voice::testing

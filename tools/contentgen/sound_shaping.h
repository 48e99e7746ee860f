#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Small helpers of the generator's synthesised sounds.
namespace bastion::contentgen {

// Deterministic white noise in -1..1 (a 32-bit xorshift).
class WhiteNoise {
public:
    explicit WhiteNoise(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}

    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_ % 20001) / 10000.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

// Scales `sound` so that its largest magnitude is `peak`; silence stays.
inline void normalise(std::vector<double>& sound, double peak) {
    double largest = 0.0;
    for (const double s : sound) largest = std::max(largest, std::fabs(s));
    if (largest > 0.0)
        for (double& s : sound) s *= peak / largest;
}

}  // namespace bastion::contentgen

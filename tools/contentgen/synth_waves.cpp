#include "contentgen/synth_waves.h"

#include <algorithm>
#include <cmath>

#include "contentgen/binary_file.h"
#include "contentgen/sound_shaping.h"

namespace bastion::contentgen {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPeak = 29490.0;  // 0.9 of full scale
constexpr int kWaveCount = 8;
constexpr int kLength = 128;

// Band-limited to a few harmonics so that the wavetable does not alias
// badly at the pitches the songs use.
double harmonics(double x, int count, bool odd, bool alternate) {
    double sum = 0.0;
    for (int n = 1; n <= count; ++n) {
        if (odd && n % 2 == 0) continue;
        const double sign = alternate && (n / 2) % 2 == 1 ? -1.0 : 1.0;
        sum += sign * std::sin(n * x) / (alternate ? n * n : n);
    }
    return sum;
}

double shape(SynthWave wave, int k, WhiteNoise& noise) {
    const double x = 2.0 * kPi * k / kLength;
    switch (wave) {
        case SynthWave::kSine: return std::sin(x);
        case SynthWave::kSquare: return harmonics(x, 9, true, false) / 1.18;
        case SynthWave::kSaw: return harmonics(x, 8, false, false) / 1.75;
        case SynthWave::kTriangle: return harmonics(x, 7, true, true) / 1.22;
        case SynthWave::kNoise: return noise.next();
        case SynthWave::kHalfSine: return std::max(0.0, std::sin(x)) * 2.0 - 0.64;
        case SynthWave::kOrgan: return (std::sin(x) + 0.5 * std::sin(2 * x) + 0.25 * std::sin(3 * x)) / 1.45;
        case SynthWave::kPulse: return (harmonics(x, 8, false, false) - harmonics(x + kPi / 2, 8, false, false)) / 2.6;
    }
    return 0.0;
}

}  // namespace

std::uint32_t waveAddress(SynthWave wave) { return 0xF1D000u + 0x200u * static_cast<std::uint32_t>(wave); }

std::vector<std::int32_t> waveValues(SynthWave wave) {
    std::vector<std::int32_t> values;
    WhiteNoise noise(0x2545F491u);
    for (int k = 0; k < kLength; ++k) {
        const double v = std::clamp(shape(wave, k, noise), -1.0, 1.0);
        values.push_back(static_cast<std::int32_t>(std::lround(v * kPeak)));
    }
    return values;
}

std::vector<std::uint8_t> waveRom() {
    std::vector<std::uint8_t> rom;
    for (int w = 0; w < kWaveCount; ++w) {
        for (const std::int32_t value : waveValues(static_cast<SynthWave>(w))) {
            appendBigEndian16(rom, 0);
            appendBigEndian16(rom, static_cast<std::uint16_t>(value));
        }
    }
    return rom;
}

void writeSystemFolder(const std::filesystem::path& retail) {
    std::filesystem::path normal = std::filesystem::absolute(retail).lexically_normal();
    if (normal.filename().empty()) normal = normal.parent_path();
    writeBinaryFile(normal.parent_path() / "system/synth-wavetable.bin", waveRom());
}

}  // namespace bastion::contentgen

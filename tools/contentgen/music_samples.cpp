#include "contentgen/music_samples.h"

#include <algorithm>
#include <cmath>

#include "contentgen/binary_file.h"
#include "contentgen/sound_shaping.h"

namespace bastion::contentgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<double> silence(double seconds) { return std::vector<double>(static_cast<std::size_t>(seconds * kMusicRate)); }

}  // namespace

std::vector<double> kickDrum() {
    std::vector<double> out = silence(0.35);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double frequency = 45.0 + 105.0 * std::exp(-t * 28.0);
        phase += 2.0 * kPi * frequency / kMusicRate;
        out[i] = std::sin(phase) * std::exp(-t * 9.0) * std::min(1.0, t * 600.0);
    }
    normalise(out, 0.95);
    return out;
}

std::vector<double> snareDrum() {
    std::vector<double> out = silence(0.22);
    WhiteNoise noise(0x9E3779B9u);
    double previous = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double n = noise.next();
        const double bright = n - 0.6 * previous;  // tilts the noise towards the top
        previous = n;
        out[i] = 0.75 * bright * std::exp(-t * 22.0) + 0.5 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 30.0);
    }
    normalise(out, 0.9);
    return out;
}

std::vector<double> hiHat() {
    std::vector<double> out = silence(0.07);
    WhiteNoise noise(0x9E3779B9u);
    double previous = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double n = noise.next();
        out[i] = (n - previous) * std::exp(-t * 70.0);
        previous = n;
    }
    normalise(out, 0.8);
    return out;
}

std::vector<double> padChord(bool minor) {
    std::vector<double> out = silence(2.0);
    const double ratios[] = {0.5, 1.0, minor ? 1.189207 : 1.259921, 1.498307};
    const double weights[] = {0.7, 1.0, 0.8, 0.8};
    for (int note = 0; note < 4; ++note) {
        for (const double detune : {0.997, 1.003}) {
            const double frequency = kPadRootHz * ratios[note] * detune;
            // A soft saw: the first harmonics only, so transposing up stays clean.
            for (int n = 1; n <= 6; ++n) {
                const double step = 2.0 * kPi * frequency * n / kMusicRate;
                const double amplitude = weights[note] / n;
                for (std::size_t i = 0; i < out.size(); ++i) out[i] += amplitude * std::sin(step * static_cast<double>(i));
            }
        }
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double attack = std::min(1.0, t / 0.25);
        const double fade = t < 0.6 ? 1.0 : std::exp(-(t - 0.6) * 2.6);
        out[i] *= attack * fade * (1.0 - t / 2.0);  // reaches zero at the end
    }
    normalise(out, 0.9);
    return out;
}

std::vector<std::uint8_t> encode8(const std::vector<double>& samples) {
    std::vector<std::uint8_t> out;
    out.reserve(samples.size());
    for (const double s : samples) {
        const double magnitude = std::sqrt(std::min(1.0, std::fabs(s)) * 32768.0 / 2.0);
        const auto code = static_cast<std::uint8_t>(std::min(127L, std::lround(magnitude)));
        out.push_back(static_cast<std::uint8_t>(s < 0.0 && code != 0 ? code | 0x80 : code));
    }
    return out;
}

std::vector<std::uint8_t> encode16(const std::vector<double>& samples) {
    std::vector<std::uint8_t> out;
    out.reserve(samples.size() * 2);
    for (const double s : samples) {
        const long value = std::clamp(std::lround(s * 32767.0), -32768L, 32767L);
        appendBigEndian16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    return out;
}

}  // namespace bastion::contentgen

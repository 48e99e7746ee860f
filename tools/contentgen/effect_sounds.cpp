#include "contentgen/effect_sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "contentgen/binary_file.h"
#include "contentgen/sound_shaping.h"
#include "contentgen/wav_file.h"

namespace bastion::contentgen {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kRate = 22050;  // the game converts to its own rate

using Sound = std::vector<double>;

// `seconds` of sound whose sample at time t is f(t).
Sound render(double seconds, const std::function<double(double)>& f) {
    Sound out(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = f(static_cast<double>(i) / kRate);
    return out;
}

// Noise through a one-pole low-pass whose cutoff follows `cutoff(t)` (Hz).
Sound filteredNoise(double seconds, std::uint32_t seed, const std::function<double(double)>& cutoff,
                    const std::function<double(double)>& envelope) {
    WhiteNoise noise(seed);
    double state = 0.0;
    return render(seconds, [&](double t) {
        const double a = 1.0 - std::exp(-2.0 * kPi * cutoff(t) / kRate);
        state += a * (noise.next() - state);
        return state * envelope(t);
    });
}

Sound mixed(Sound a, const Sound& b, double weight) {
    a.resize(std::max(a.size(), b.size()));
    for (std::size_t i = 0; i < b.size(); ++i) a[i] += weight * b[i];
    return a;
}

Sound thump(double seconds, double from, double to, double decay) {
    double phase = 0.0;
    return render(seconds, [&, from, to, decay](double t) {
        phase += 2.0 * kPi * (to + (from - to) * std::exp(-t * 30.0)) / kRate;
        return std::sin(phase) * std::exp(-t * decay);
    });
}

// A gunshot: a bright crack over a short low thump; `weight` scales both.
Sound shot(std::uint32_t seed, double crackHz, double length, double body) {
    Sound crack = filteredNoise(length, seed, [crackHz](double t) { return crackHz * std::exp(-t * 8.0); },
                                [length](double t) { return std::exp(-t * 6.0 / length); });
    Sound out = mixed(crack, thump(length, 180.0, 60.0, 5.0 / length), body);
    normalise(out, 0.9);
    return out;
}

Sound whoosh(std::uint32_t seed, double seconds, double rise) {
    Sound out = filteredNoise(
        seconds, seed, [=](double t) { return 400.0 + rise * t / seconds; },
        [=](double t) { return std::min(1.0, t * 20.0) * std::exp(-t * 2.5 / seconds); });
    normalise(out, 0.85);
    return out;
}

Sound zap(double from, double to, double seconds) {
    double phase = 0.0;
    Sound out = render(seconds, [&](double t) {
        phase += 2.0 * kPi * (to + (from - to) * std::exp(-t * 12.0)) / kRate;
        return (std::sin(phase) + 0.4 * std::sin(2.0 * phase) + 0.2 * std::sin(3.0 * phase)) * std::exp(-t * 5.0);
    });
    normalise(out, 0.8);
    return out;
}

// A steady buzz; the game repeats it for as long as a cutter stroke sounds.
Sound buzz(double hz) {
    WhiteNoise noise(0x5EEDu);
    const double period = std::round(kRate / hz) / kRate;
    return render(period * 10.0, [&](double t) {
        const double saw = 2.0 * std::fmod(t * hz, 1.0) - 1.0;
        return 0.6 * saw + 0.15 * noise.next();
    });
}

Sound click() {
    Sound out = render(0.03, [](double t) { return std::sin(2.0 * kPi * 2400.0 * t) * std::exp(-t * 260.0); });
    normalise(out, 0.6);
    return out;
}

Sound clang(double base) {
    Sound out = render(0.5, [base](double t) {
        return (std::sin(2.0 * kPi * base * t) + 0.7 * std::sin(2.0 * kPi * base * 2.76 * t) +
                0.45 * std::sin(2.0 * kPi * base * 5.4 * t)) *
               std::exp(-t * 9.0);
    });
    out = mixed(out, filteredNoise(0.05, 77, [](double) { return 5000.0; }, [](double t) { return 1.0 - t * 20.0; }), 0.5);
    normalise(out, 0.85);
    return out;
}

Sound hurt(double hz) {
    Sound out = render(0.35, [hz](double t) {
        const double square = std::tanh(4.0 * std::sin(2.0 * kPi * hz * t));
        return square * std::exp(-t * 8.0);
    });
    normalise(out, 0.7);
    return out;
}

Sound explosion(std::uint32_t seed, double seconds, double bright) {
    Sound rumble = filteredNoise(
        seconds, seed, [=](double t) { return 120.0 + bright * std::exp(-t * 6.0); },
        [=](double t) { return std::min(1.0, t * 200.0) * std::exp(-t * 3.5 / seconds); });
    Sound out = mixed(rumble, thump(seconds, 90.0, 35.0, 4.0 / seconds), 0.8);
    normalise(out, 0.95);
    return out;
}

void write(const std::filesystem::path& folder, int number, const Sound& sound) {
    char name[32];
    std::snprintf(name, sizeof name, "effect-%02d.wav", number);
    writeBinaryFile(folder / name, monoWav(sound, kRate));
}

}  // namespace

void writeEffects(const std::filesystem::path& retail) {
    // First campaign: weapons 0..8 by their effect numbers, then hits,
    // explosions and the pilot's hurt sound.
    const std::filesystem::path first = retail / "audio";
    write(first, 0, shot(11, 6000.0, 0.22, 0.6));  // rifle
    write(first, 1, whoosh(12, 0.9, 2600.0));  // rocket
    write(first, 3, shot(13, 8000.0, 0.08, 0.3));  // gatling
    write(first, 4, mixed(thump(0.35, 140.0, 50.0, 9.0), click(), 0.4));  // grenade launch
    write(first, 5, zap(2400.0, 180.0, 0.6));  // rail
    write(first, 6, buzz(110.0));  // cutter
    write(first, 7, whoosh(17, 1.6, 900.0));  // cruise missile
    write(first, 10, clang(420.0));  // strike hit, footfall
    write(first, 12, click());  // an empty mount
    write(first, 14, hurt(85.0));
    write(first, 20, explosion(20, 1.2, 1800.0));
    write(first, 22, explosion(22, 2.2, 1100.0));

    // Second campaign: its own versions, and the weapons it adds (9..12).
    const std::filesystem::path second = retail / "sb2/audio";
    write(second, 0, shot(31, 5200.0, 0.25, 0.8));
    write(second, 1, whoosh(32, 0.8, 3200.0));
    write(second, 3, shot(33, 9000.0, 0.07, 0.25));
    write(second, 4, mixed(thump(0.3, 160.0, 55.0, 10.0), click(), 0.3));
    write(second, 5, zap(3000.0, 240.0, 0.5));
    write(second, 6, buzz(130.0));
    write(second, 9, mixed(thump(0.25, 200.0, 60.0, 12.0), click(), 0.5));  // automatic grenades
    write(second, 11, mixed(zap(1500.0, 900.0, 0.3), whoosh(41, 0.9, 2000.0), 0.8));  // homing
    write(second, 12, shot(42, 7000.0, 0.1, 0.5));  // heavy machine gun
    write(second, 13, shot(43, 4200.0, 0.35, 1.0));  // shotgun
    write(second, 15, clang(380.0));
    write(second, 17, click());
    write(second, 19, hurt(95.0));
    write(second, 25, explosion(45, 1.3, 2000.0));
    write(second, 27, explosion(47, 2.4, 1200.0));
}

}  // namespace bastion::contentgen

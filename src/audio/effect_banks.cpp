#include "audio/internal/effect_banks.h"

#include <cstdio>
#include <cstring>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string>

#include <SDL.h>

#include "platform/regular_file.h"

namespace bastion {
namespace {

// A minute of 16-bit stereo at 96 kHz is far more than any effect needs.
constexpr std::uintmax_t kEffectFileLimit = 32u << 20;
constexpr int kCutterEffect = 6;
constexpr std::size_t kCutterSamples = 8640;  // 0.18 s at 48 kHz
constexpr int kUnusedSecondBankEffect = 7;

std::vector<float> floatsOf(const Uint8* bytes, std::size_t length) {
    std::vector<float> samples(length / sizeof(float));
    if (!samples.empty()) std::memcpy(samples.data(), bytes, samples.size() * sizeof(float));
    return samples;
}

std::vector<float> convert(const SDL_AudioSpec& spec, Uint8* buffer, Uint32 length) {
    SDL_AudioCVT cvt;
    const int built = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS, 1, 48000);
    if (built < 0) return {};
    if (built == 0) return floatsOf(buffer, length);
    std::vector<Uint8> work(static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(work.data(), buffer, length);
    cvt.buf = work.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) != 0) return {};
    return floatsOf(work.data(), static_cast<std::size_t>(cvt.len_cvt));
}

void fitCutter(std::vector<float>& samples) {
    if (samples.empty()) return;
    std::vector<float> fitted(kCutterSamples);
    for (std::size_t k = 0; k < fitted.size(); ++k) fitted[k] = samples[k % samples.size()];
    samples = std::move(fitted);
}

}  // namespace

std::filesystem::path effectFile(const std::filesystem::path& folder, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "effect-%02d.wav", number);
    return folder / name;
}

std::vector<float> loadEffect(const std::filesystem::path& path, std::ostream& err) {
    const auto refuse = [&] {
        err << "Cannot load effect: " << std::quoted(path.string()) << '\n';
        return std::vector<float>{};
    };
    platform::FileRefusal refusal{};
    // Read through the bounded helper: a pipe or a huge file in the effect's
    // place must neither hang nor exhaust the game.
    const std::optional<std::string> bytes = platform::readRegularFile(path, kEffectFileLimit, &refusal);
    if (!bytes) return refusal == platform::FileRefusal::missing ? std::vector<float>{} : refuse();
    SDL_RWops* stream = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    if (stream == nullptr) return refuse();
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(stream, 1, &spec, &buffer, &length) == nullptr) return refuse();
    std::vector<float> samples = convert(spec, buffer, length);
    SDL_FreeWAV(buffer);
    return samples;
}

std::array<EffectBank, 2> loadEffectBanks(const std::filesystem::path& root, std::ostream& err) {
    std::array<EffectBank, 2> banks;
    const std::filesystem::path folders[2] = {root / "audio", root / "sb2" / "audio"};
    for (int bank = 0; bank < 2; ++bank) {
        for (int effect = 0; effect < kEffectsPerBank; ++effect) {
            if (bank == 1 && effect == kUnusedSecondBankEffect) continue;
            banks[bank][effect] = loadEffect(effectFile(folders[bank], effect), err);
        }
        fitCutter(banks[bank][kCutterEffect]);
    }
    return banks;
}

}  // namespace bastion

#pragma once

#include <array>
#include <filesystem>
#include <iosfwd>
#include <vector>

// Internal to the audio library: the two banks of effect sounds.
namespace bastion {

inline constexpr int kEffectsPerBank = 32;
using EffectBank = std::array<std::vector<float>, kEffectsPerBank>;

// The file of effect `number` in `folder`: "effect-06.wav" and the like.
std::filesystem::path effectFile(const std::filesystem::path& folder, int number);

// One effect file as mono 48 kHz floats. A missing file is empty without a
// word; an unreadable one is empty with "Cannot load effect: " and the quoted
// path on `err`; one SDL cannot convert is empty. Needs SDL's audio
// subsystem.
std::vector<float> loadEffect(const std::filesystem::path& path, std::ostream& err);

// Bank 0 from root/"audio", bank 1 from root/"sb2"/"audio" (without effect 7).
// The cutter's effect 6 always lasts 0.18 s, its sound repeated or cut.
std::array<EffectBank, 2> loadEffectBanks(const std::filesystem::path& root, std::ostream& err);

}  // namespace bastion

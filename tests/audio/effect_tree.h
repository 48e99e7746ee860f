#pragma once

#include <filesystem>
#include <vector>

#include "support/temp_folder.h"

namespace bastion::testing_support {

// A retail folder of effect fixtures: 48 kHz mono float WAV files that SDL
// takes as they are, each effect a constant level of its own so that a mixed
// frame tells which effect played at which gain.
class EffectTree {
public:
    EffectTree();

    const std::filesystem::path& retail() const { return retail_; }
    std::filesystem::path bankFolder(int bank) const;

    // Effect `number` of `bank`: `frames` samples at `level`.
    void writeConstant(int bank, int number, float level, std::size_t frames) const;
    void writeSamples(int bank, int number, const std::vector<float>& samples) const;

    // The level a fixture uses for bank b, effect e: distinct for every pair.
    static float level(int bank, int number) { return 0.001f * static_cast<float>(1 + number + 32 * bank); }

private:
    TempFolder folder_;
    std::filesystem::path retail_;
};

}  // namespace bastion::testing_support

#include "effect_tree.h"

#include "contentgen/binary_file.h"
#include "contentgen/wav_file.h"

namespace bastion::testing_support {

EffectTree::EffectTree() : folder_("effect-tree"), retail_(folder_.path() / "retail") {}

std::filesystem::path EffectTree::bankFolder(int bank) const {
    return bank == 0 ? retail_ / "audio" : retail_ / "sb2/audio";
}

void EffectTree::writeConstant(int bank, int number, float level, std::size_t frames) const {
    writeSamples(bank, number, std::vector<float>(frames, level));
}

void EffectTree::writeSamples(int bank, int number, const std::vector<float>& samples) const {
    const std::string name = (number < 10 ? "effect-0" : "effect-") + std::to_string(number) + ".wav";
    contentgen::writeBinaryFile(bankFolder(bank) / name, contentgen::floatWav(samples, 48000));
}

}  // namespace bastion::testing_support

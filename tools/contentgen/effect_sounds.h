#pragma once

#include <filesystem>

namespace bastion::contentgen {

// Writes the demo's effect sounds, short synthesised WAV files, into the
// retail folder's two effect banks ("audio" and "sb2/audio"): every effect
// a sound event of either campaign can play.
void writeEffects(const std::filesystem::path& retail);

}  // namespace bastion::contentgen

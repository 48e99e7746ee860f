#pragma once

#include <filesystem>

#include "contentgen/synth_waves.h"

namespace bastion::contentgen {

// Writes the whole demo content tree under `root`, in the layout of a retail
// asset folder: the import manifest with its stand-in cartridge image, both
// campaigns' front-end exports, the SB1 and SB2 mission documents with their
// model files, the shared SB2 copy of the SB1 missions, the models folder,
// the art folders, the music and the effect sounds. The music's wave ROM
// goes into the system folder beside the retail folder: writeSystemFolder
// writes it.
void writeContentTree(const std::filesystem::path& root);

}  // namespace bastion::contentgen

#pragma once

#include <filesystem>

namespace bastion::contentgen {

// "manifest.json": schema 1, the digest the game is built to accept, module
// and status.
void writeImportManifest(const std::filesystem::path& retail);

// "cartridge.bin": a stand-in image of the supported size with the module
// marker in place. The game never hashes it; the manifest vouches for it.
void writeCartridgeImage(const std::filesystem::path& retail);

}  // namespace bastion::contentgen

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bastion::contentgen {

// One raw RGBA art image: `pixels` holds width x height x 4 bytes, rows from
// the top.
struct ArtImage {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The menu panel's background: a dark, nearly opaque plate with a light
// frame, in the panel's 320 x 274 layout.
ArtImage briefingPanel();

// The SB1 art folder ("art": "manifest.json" with the HUD font, the menu
// panels, the mission thumbnails, the horizons and the effect images) and the SB2 art folder
// ("sb2/art": its thumbnails and horizons).
void writeArt(const std::filesystem::path& retail);

}  // namespace bastion::contentgen

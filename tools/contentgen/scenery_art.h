#pragma once

#include <vector>

#include "contentgen/art_images.h"

namespace bastion::contentgen {

// The horizon panoramas: "horizon-01".."horizon-06" for SB1, or
// "sb2-horizon-01".."sb2-horizon-20" for SB2. Each is a strip of distant
// ridges, opaque below its skyline and transparent above it.
std::vector<ArtImage> horizonImages(int campaign);

// The menu art besides the briefing panel: the mission selection and weapon
// loadout panels, and one thumbnail per mission ("mission-thumbnail-NN",
// with "sb2-" before it for SB2).
std::vector<ArtImage> menuPanels();
std::vector<ArtImage> missionThumbnails(int campaign);

// Whether pixel (x, y) of a menu panel image lies on its coloured frame: the
// outermost two pixels, so that the lowest text rows of the menus (down to
// 271 of the panel's 274 units) stay on the plate inside it.
bool onPanelFrame(int x, int y, int width, int height);

}  // namespace bastion::contentgen

#pragma once

#include <vector>

#include "contentgen/art_images.h"

namespace bastion::contentgen {

// The images of the world's weapon effects: the shot glows "shot-rifle",
// "shot-gatling" and "shot-rail", and the ten-frame "explosion-atlas" and
// "smoke-atlas", their frames stacked from the top.
std::vector<ArtImage> effectArt();

}  // namespace bastion::contentgen

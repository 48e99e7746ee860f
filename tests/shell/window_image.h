#pragma once

#include <string>

#include "ppm_image.h"

namespace bastion {

// What an X window shows now, read back from its X server. Unlike the
// program's own screenshot, which is taken on the frame that ends a run, this
// one is taken whenever the test has brought the game where it wants it.
// Empty (zero size) when the display or the window cannot be read.
PpmImage windowImage(const std::string& display, const std::string& window);

// Writes `image` as a binary PPM, for a person to look at.
void savePpm(const PpmImage& image, const std::filesystem::path& path);

}  // namespace bastion

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/desktop_view.h"

namespace bastion {

// A screenshot as the program writes it: binary PPM, top row first.
struct PpmImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    // The pixel at a window position counted from the bottom row, as
    // OpenGL counts them.
    testing_support::Rgb at(testing_support::ViewPixel pixel) const;

    // How many pixels of rows y0..y1 (from the bottom) and columns x0..x1
    // satisfy `test`.
    int count(int y0, int y1, int x0, int x1, const std::function<bool(const testing_support::Rgb&)>& test) const;
};

// Reads a "P6" file with a 255 maximum; throws std::runtime_error on anything
// else or on a size that does not match its header.
PpmImage readPpm(const std::filesystem::path& path);

}  // namespace bastion

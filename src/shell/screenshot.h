#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <span>

namespace bastion {

// A binary PPM (P6, maxval 255) of `width` x `height` RGB pixels given bottom
// row first, as OpenGL reads them; the file holds the top row first.
void writePpm(std::ostream& out, int width, int height, std::span<const std::uint8_t> bottomUpRgb);

// Writes the PPM to `path`, replacing any old file. Any failure to open,
// write or close throws std::runtime_error("Cannot write screenshot") and
// leaves no partial file behind.
void writePpmFile(const std::filesystem::path& path, int width, int height,
                  std::span<const std::uint8_t> bottomUpRgb);

// Reads the bound framebuffer's `width` x `height` pixels and writes them
// to `path` as above.
void saveScreenshot(const std::filesystem::path& path, int width, int height);

}  // namespace bastion

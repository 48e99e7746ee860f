#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace bastion::contentgen {

// The texture atlas of the world meshes' painted panels: the four tiles of
// "texture_uv" side by side (door, hazard stripes, windows, screen), in a
// day and a night version. Rows run from v = 0 (the top of a panel).
inline constexpr int kAtlasWidth = 256;
inline constexpr int kAtlasHeight = 64;

std::vector<std::uint8_t> atlasPixels(int campaign, bool night);

// "atlas-day.rgba" and "atlas-night.rgba" of a campaign into a gameplay folder.
void writeAtlases(const std::filesystem::path& folder, int campaign);

}  // namespace bastion::contentgen

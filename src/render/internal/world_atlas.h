#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace bastion {

// Internal to the renderer: where the world meshes' texture atlases lie and
// how they are read. Each atlas is a day and a night image of raw RGBA
// pixels, "atlas-day.rgba" and "atlas-night.rgba", sized by the "atlas_size"
// of the "missions.json" beside them.

struct AtlasSize {
    int width = 256;
    int height = 158;
};

// Which gameplay atlas a World shows: 2 for a mission prototype, else its
// campaign (0 or 1).
int atlasKey(int campaign, bool prototype);

// The gameplay atlas folder of a campaign in the retail folder: the SB2 one
// for SB2, else SB1's; SB1 missions and prototypes take the shared SB2 copy
// whenever its "missions.json" exists.
std::filesystem::path gameplayAtlasFolder(const std::filesystem::path& retail, int campaign, bool prototype);

// The pickup atlas folder: the shared SB2 copy when its "missions.json"
// exists, else SB1's, whatever the mission.
std::filesystem::path pickupAtlasFolder(const std::filesystem::path& retail);

// The "atlas_size" of the folder's "missions.json", 256 x 158 when the
// document is not an object or has none. Throws "Invalid atlas dimensions"
// unless both are whole numbers in 1..4096; a missing or unparsable document,
// or a size that is not an array of two numbers, fails with the JSON
// library's error.
AtlasSize atlasSize(const std::filesystem::path& folder);

// The pixels of a gameplay atlas image: the file must be exactly
// width x height x 4 bytes, else "Decode gameplay atlas first".
std::vector<std::uint8_t> readGameplayAtlas(const std::filesystem::path& file, AtlasSize size);

// The pixels of a pickup atlas image: its first width x height x 4 bytes;
// a missing or shorter file gives "Missing pickup atlas".
std::vector<std::uint8_t> readPickupAtlas(const std::filesystem::path& file, AtlasSize size);

}  // namespace bastion

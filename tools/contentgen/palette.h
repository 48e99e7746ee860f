#pragma once

#include <array>
#include <cstdint>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// Hue rows of the demo colour table; columns 0..15 run from dark to full.
enum Hue : int {
    kGrey, kOlive, kSand, kRust, kSteel, kForest, kConcrete, kSignalRed,
    kAmber, kTeal, kUmber, kChalk, kSoot, kOrange, kViolet, kLamp,
};

// A flat material word: colour-table row and column, plus a base shade.
constexpr std::int32_t material(int hue, int column = 12, int baseShade = 0) {
    return hue << 12 | column << 8 | baseShade;
}

// The table entry of a material word, channels 0..255.
std::array<int, 3> paletteColour(std::int32_t materialWord);

// "cry_table": "red", "green", "blue", each 16 rows of 16 entries.
nlohmann::json colourTable();

inline constexpr int kTextureCount = 4;
// "texture_uv": per texture number the (u, v) of the four corners of a quad.
nlohmann::json textureCoordinates();

}  // namespace bastion::contentgen

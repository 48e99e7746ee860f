#pragma once

#include <cstdint>
#include <vector>

namespace bastion::contentgen {

// The HUD glyph atlas: the characters 32..127 in 16 columns by 6 rows of
// square cells, the space first in the top row. Each glyph is our own 5 x 7
// bitmap, white and opaque on a fully transparent cell; lower-case letters
// repeat the capitals (the game upper-cases its text).
inline constexpr int kFontCell = 8;
inline constexpr int kFontWidth = 16 * kFontCell;
inline constexpr int kFontHeight = 6 * kFontCell;

// The glyph rows of one character, top row first: bit 4 is the leftmost of
// its five columns. All zeros for characters without a glyph.
struct Glyph {
    std::uint8_t rows[7];
};
Glyph hudGlyph(unsigned char character);

// The atlas as raw RGBA bytes, rows from the top.
std::vector<std::uint8_t> hudFontPixels();

}  // namespace bastion::contentgen

#include "contentgen/world_atlas.h"

#include <array>

#include "contentgen/binary_file.h"

namespace bastion::contentgen {
namespace {

constexpr int kTile = 64;

using Rgb = std::array<int, 3>;

// One texel of tile `tile` at (x, y) inside the tile, y from the top.
Rgb texel(int tile, int x, int y, int campaign, bool night) {
    const bool edge = x < 3 || x >= kTile - 3 || y < 3 || y >= kTile - 3;
    switch (tile) {
    case 0: {  // a steel door in its frame, with a lit sign over it
        if (edge) return {40, 42, 46};
        if (y < 12) return night ? Rgb{250, 210, 90} : Rgb{200, 60, 40};
        const bool seam = x == kTile / 2 || (y - 12) % 13 == 0;
        return seam ? Rgb{70, 74, 80} : campaign == 0 ? Rgb{120, 128, 136} : Rgb{136, 118, 104};
    }
    case 1: {  // hazard stripes
        const bool stripe = ((x + y) / 8) % 2 == 0;
        return stripe ? Rgb{230, 180, 30} : Rgb{30, 30, 32};
    }
    case 2: {  // a grid of windows, lit at night
        const bool frame = x % 16 < 3 || y % 16 < 3;
        if (frame) return {96, 96, 92};
        const bool lit = night && ((x / 16) * 3 + (y / 16) * 5 + campaign) % 4 != 0;
        return lit ? Rgb{255, 226, 130} : Rgb{40, 64, 92};
    }
    default: {  // a screen of scan lines
        if (edge) return {24, 28, 30};
        const bool line = y % 6 < 2;
        return line ? Rgb{60, 230, 200} : Rgb{16, 80, 76};
    }
    }
}

// Lamps, lit windows and screens keep their brightness at night; the paint
// around them darkens.
bool glows(int tile, int x, int y, const Rgb& c) {
    if (tile == 3) return true;
    if (tile == 0) return y >= 3 && y < 12 && x >= 3 && x < kTile - 3;
    return tile == 2 && c == Rgb{255, 226, 130};
}

}  // namespace

std::vector<std::uint8_t> atlasPixels(int campaign, bool night) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kAtlasWidth) * kAtlasHeight * 4);
    for (int y = 0; y < kAtlasHeight; ++y) {
        for (int x = 0; x < kAtlasWidth; ++x) {
            Rgb c = texel(x / kTile, x % kTile, y, campaign, night);
            if (night && !glows(x / kTile, x % kTile, y, c))
                for (int& channel : c) channel = channel * 2 / 5;
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kAtlasWidth + x) * 4];
            for (int k = 0; k < 3; ++k) p[k] = static_cast<std::uint8_t>(c[static_cast<std::size_t>(k)]);
            p[3] = 255;
        }
    }
    return pixels;
}

void writeAtlases(const std::filesystem::path& folder, int campaign) {
    writeBinaryFile(folder / "atlas-day.rgba", atlasPixels(campaign, false));
    writeBinaryFile(folder / "atlas-night.rgba", atlasPixels(campaign, true));
}

}  // namespace bastion::contentgen

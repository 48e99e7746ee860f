#include "contentgen/palette.h"

namespace bastion::contentgen {
namespace {

constexpr int kHues[16][3] = {
    {200, 200, 200}, {120, 130, 70}, {200, 180, 120}, {170, 80, 50},  {90, 110, 150},  {60, 110, 60},
    {160, 160, 150}, {200, 50, 40},  {220, 190, 40},  {50, 150, 150}, {120, 80, 50},   {240, 240, 235},
    {50, 50, 55},    {230, 130, 40}, {120, 80, 160},  {255, 240, 180},
};

int entry(int row, int column, int channel) { return kHues[row][channel] * (column + 1) / 16; }

}  // namespace

std::array<int, 3> paletteColour(std::int32_t materialWord) {
    const int row = (materialWord >> 12) & 15;
    const int column = (materialWord >> 8) & 15;
    return {entry(row, column, 0), entry(row, column, 1), entry(row, column, 2)};
}

nlohmann::json colourTable() {
    nlohmann::json table = nlohmann::json::object();
    const char* names[3] = {"red", "green", "blue"};
    for (int channel = 0; channel < 3; ++channel) {
        nlohmann::json rows = nlohmann::json::array();
        for (int row = 0; row < 16; ++row) {
            nlohmann::json columns = nlohmann::json::array();
            for (int column = 0; column < 16; ++column) columns.push_back(entry(row, column, channel));
            rows.push_back(columns);
        }
        table[names[channel]] = rows;
    }
    return table;
}

nlohmann::json textureCoordinates() {
    // Four tiles side by side in one atlas row.
    nlohmann::json textures = nlohmann::json::array();
    for (int t = 0; t < kTextureCount; ++t) {
        const double left = 0.25 * t;
        const double right = left + 0.25;
        textures.push_back({{left, 1.0}, {right, 1.0}, {right, 0.0}, {left, 0.0}});
    }
    return textures;
}

}  // namespace bastion::contentgen

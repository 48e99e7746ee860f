#include <sstream>

#include "render/renderer.h"

namespace bastion {
namespace {

// The glyph atlas holds the characters 32..127 in 16 columns by 6 rows, the
// top row of the image starting at the space.
constexpr int kAtlasColumns = 16;
constexpr int kAtlasRows = 6;

}  // namespace

void Renderer::text(const std::string& s, const Matrix& M, float size, Vec3 colour) {
    const float cell = 4.0f * size;
    // The art program stays bound from the first drawn glyph to the last.
    bool begun = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int c = static_cast<unsigned char>(s[i]);
        if (c >= 'a' && c <= 'z') c = c - 'a' + 'A';
        // Spaces, control characters and bytes above 127 leave an empty cell.
        if (c < 33 || c > 127) continue;
        const Matrix glyph{cell, 0, 0, 0, 0, cell, 0, 0, 0, 0, 1, 0, cell * static_cast<float>(i), -3.0f * size, 0, 1};
        const std::array<float, 4> uv{
            static_cast<float>(c % kAtlasColumns) / kAtlasColumns,
            static_cast<float>((c - 32) / kAtlasColumns + 1) / kAtlasRows,
            1.0f / kAtlasColumns,
            -1.0f / kAtlasRows,
        };
        if (!begun) beginArt("hud-font");
        begun = true;
        artQuad(vant::multiply(M, glyph), uv, colour);
    }
    if (begun) endArt();
}

std::vector<std::string> missionLines(const std::string& text, std::uint64_t width) {
    std::vector<std::string> lines;
    std::istringstream words(text);
    std::string line;
    std::string word;
    while (words >> word) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace bastion

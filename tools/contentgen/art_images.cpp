#include "contentgen/art_images.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "contentgen/effect_art.h"
#include "contentgen/hud_font.h"
#include "contentgen/json_file.h"
#include "contentgen/scenery_art.h"

namespace bastion::contentgen {
namespace {

void writeImageFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& pixels) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    stream.close();
    if (!stream) throw std::runtime_error("Cannot write content file: " + path.string());
}

// Writes the images and their manifest into one art folder.
void writeArtFolder(const std::filesystem::path& folder, const std::vector<ArtImage>& images) {
    nlohmann::json assets = nlohmann::json::array();
    for (const ArtImage& image : images) {
        const std::string file = image.name + ".rgba";
        writeImageFile(folder / file, image.pixels);
        assets.push_back({{"name", image.name}, {"rgba", file}, {"width", image.width}, {"height", image.height}});
    }
    writeJsonFile(folder / "manifest.json", {{"assets", assets}});
}

}  // namespace

ArtImage briefingPanel() {
    ArtImage panel{"mission-briefing-panel", 320, 274, {}};
    panel.pixels.resize(static_cast<std::size_t>(panel.width) * panel.height * 4);
    for (int y = 0; y < panel.height; ++y) {
        for (int x = 0; x < panel.width; ++x) {
            const int edge = std::min(std::min(x, panel.width - 1 - x), std::min(y, panel.height - 1 - y));
            std::uint8_t* pixel = &panel.pixels[(static_cast<std::size_t>(y) * panel.width + x) * 4];
            const bool frame = onPanelFrame(x, y, panel.width, panel.height);
            const bool band = y >= 14 && y < 16 && edge >= 8;  // a rule under the heading
            if (frame || band) {
                pixel[0] = 96, pixel[1] = 168, pixel[2] = 148, pixel[3] = 255;
            } else {
                pixel[0] = 16, pixel[1] = 30, pixel[2] = 34, pixel[3] = 232;
            }
        }
    }
    return panel;
}

void writeArt(const std::filesystem::path& retail) {
    std::vector<ArtImage> sb1{{"hud-font", kFontWidth, kFontHeight, hudFontPixels()}, briefingPanel()};
    for (std::vector<ArtImage> more : {menuPanels(), missionThumbnails(0), horizonImages(0), effectArt()})
        std::move(more.begin(), more.end(), std::back_inserter(sb1));
    writeArtFolder(retail / "art", sb1);
    std::vector<ArtImage> sb2 = missionThumbnails(1);
    for (ArtImage& image : horizonImages(1)) sb2.push_back(std::move(image));
    writeArtFolder(retail / "sb2/art", sb2);
}

}  // namespace bastion::contentgen

#include "contentgen/scenery_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace bastion::contentgen {
namespace {

constexpr int kHorizonWidth = 256;
constexpr int kHorizonHeight = 48;
constexpr int kThumbnailWidth = 68;
constexpr int kThumbnailHeight = 58;

ArtImage blank(std::string name, int width, int height) {
    return {std::move(name), width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
}

void paint(ArtImage& image, int x, int y, std::array<int, 4> rgba) {
    std::uint8_t* pixel = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    for (int c = 0; c < 4; ++c) pixel[c] = static_cast<std::uint8_t>(std::clamp(rgba[c], 0, 255));
}

std::string numbered(const char* prefix, int campaign, int number) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%s%02d", campaign != 0 ? "sb2-" : "", prefix, number);
    return name;
}

// Two ranges of ridges: far ones pale, near ones darker, each skyline a sum
// of sines whose phases follow the image's number. The ends meet so that
// neighbouring panels join.
ArtImage horizon(int campaign, int number) {
    ArtImage image = blank(numbered("horizon-", campaign, number), kHorizonWidth, kHorizonHeight);
    const float seed = static_cast<float>(number * 7 + campaign * 31);
    const float tau = 6.2831853f;
    for (int x = 0; x < kHorizonWidth; ++x) {
        const float u = static_cast<float>(x) / kHorizonWidth * tau;
        const float far = 16.0f + 7.0f * std::sin(2.0f * u + seed) + 4.0f * std::sin(5.0f * u + 1.7f * seed);
        const float near = 30.0f + 6.0f * std::sin(3.0f * u + 0.5f * seed) + 3.0f * std::sin(9.0f * u + seed);
        for (int y = 0; y < kHorizonHeight; ++y) {
            const float depth = static_cast<float>(y);
            if (depth >= near) {
                paint(image, x, y, {46 + number, 62, 50, 255});
            } else if (depth >= far) {
                paint(image, x, y, {92 + 2 * number, 108, 112, 255});
            }
        }
    }
    return image;
}

// A dark plate with a coloured frame in the panel's 320 x 274 layout.
ArtImage panel(std::string name, std::array<int, 3> frame) {
    ArtImage image = blank(std::move(name), 320, 274);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (onPanelFrame(x, y, image.width, image.height)) {
                paint(image, x, y, {frame[0], frame[1], frame[2], 255});
            } else {
                paint(image, x, y, {14, 26, 32, 232});
            }
        }
    }
    return image;
}

// A small map sketch: ground, a road and a target ring whose place follows
// the mission.
ArtImage thumbnail(int campaign, int number) {
    ArtImage image = blank(numbered("mission-thumbnail-", campaign, number), kThumbnailWidth, kThumbnailHeight);
    const int cx = 12 + (number * 17) % 44;
    const int cy = 10 + (number * 11) % 38;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            const bool ring = d2 >= 25 && d2 <= 42;
            const bool road = std::abs(x - (y + number * 3) % kThumbnailWidth) < 2;
            if (ring) {
                paint(image, x, y, {235, 180, 40, 255});
            } else if (road) {
                paint(image, x, y, {120, 112, 96, 255});
            } else {
                paint(image, x, y, {48 + 40 * campaign, 84, 56 + number * 3, 255});
            }
        }
    }
    return image;
}

}  // namespace

std::vector<ArtImage> horizonImages(int campaign) {
    std::vector<ArtImage> images;
    const int count = campaign == 0 ? 6 : 20;
    for (int number = 1; number <= count; ++number) images.push_back(horizon(campaign, number));
    return images;
}

std::vector<ArtImage> menuPanels() {
    return {panel("mission-selection-panel", {96, 148, 168}), panel("weapon-loadout-panel", {168, 140, 80})};
}

bool onPanelFrame(int x, int y, int width, int height) {
    return std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y)) < 2;
}

std::vector<ArtImage> missionThumbnails(int campaign) {
    std::vector<ArtImage> images;
    const int count = campaign == 0 ? 16 : 20;
    for (int number = 1; number <= count; ++number) images.push_back(thumbnail(campaign, number));
    return images;
}

}  // namespace bastion::contentgen

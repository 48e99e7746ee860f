#include "contentgen/effect_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

namespace bastion::contentgen {
namespace {

constexpr int kFrames = 10;
constexpr int kFrameSide = 64;
constexpr int kShotSide = 16;

using Rgba = std::array<float, 4>;

// An image whose texel at (u, v) in 0..1, from the top, comes from `shade`.
ArtImage image(std::string name, int width, int height, const std::function<Rgba(float, float)>& shade) {
    ArtImage result{std::move(name), width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba c = shade((static_cast<float>(x) + 0.5f) / static_cast<float>(width),
                                 (static_cast<float>(y) + 0.5f) / static_cast<float>(height));
            std::uint8_t* p = &result.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            for (int k = 0; k < 4; ++k)
                p[k] = static_cast<std::uint8_t>(std::clamp(c[static_cast<std::size_t>(k)], 0.0f, 1.0f) * 255.0f + 0.5f);
        }
    }
    return result;
}

// A round glow: a white-hot core fading to `rim` and to nothing at the edge.
ArtImage shotGlow(std::string name, Rgba rim) {
    return image(std::move(name), kShotSide, kShotSide, [rim](float u, float v) {
        const float r = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
        const float core = std::clamp(1.0f - r * 2.5f, 0.0f, 1.0f);
        return Rgba{rim[0] + (1.0f - rim[0]) * core, rim[1] + (1.0f - rim[1]) * core, rim[2] + (1.0f - rim[2]) * core,
                    std::clamp(1.0f - r, 0.0f, 1.0f) * 1.4f};
    });
}

// Ten frames of a ball that grows and thins out; `colour` gives its colour
// at a distance from the centre (0..1) in a frame (0..1 through the atlas).
ArtImage frameAtlas(std::string name, const std::function<Rgba(float, float)>& colour) {
    return image(std::move(name), kFrameSide, kFrameSide * kFrames, [&colour](float u, float v) {
        const float frames = v * kFrames;
        const float frame = std::floor(frames);
        const float age = frame / (kFrames - 1);
        const float radius = 0.3f + 0.2f * age;
        const float r = std::hypot(u - 0.5f, frames - frame - 0.5f) / radius;
        if (r >= 1.0f) return Rgba{0, 0, 0, 0};
        return colour(r, age);
    });
}

}  // namespace

std::vector<ArtImage> effectArt() {
    return {
        shotGlow("shot-rifle", {1.0f, 0.8f, 0.3f, 1.0f}),
        shotGlow("shot-gatling", {1.0f, 0.55f, 0.15f, 1.0f}),
        shotGlow("shot-rail", {0.4f, 0.8f, 1.0f, 1.0f}),
        frameAtlas("explosion-atlas",
                   [](float r, float age) {
                       // A yellow-white core going orange, then sooty, and
                       // fading towards the last frame.
                       const float heat = std::clamp(1.0f - r - age * 0.8f, 0.0f, 1.0f);
                       const float soot = age * 0.6f;
                       return Rgba{1.0f - soot * 0.5f, 0.35f + 0.6f * heat - soot * 0.2f, 0.1f + 0.7f * heat * heat,
                                   (1.0f - age * 0.85f) * (1.0f - r * r * 0.6f)};
                   }),
        frameAtlas("smoke-atlas",
                   [](float r, float age) {
                       const float grey = 0.35f + 0.15f * age;
                       return Rgba{grey, grey, grey * 1.05f, (0.75f - age * 0.6f) * (1.0f - r * r)};
                   }),
    };
}

}  // namespace bastion::contentgen

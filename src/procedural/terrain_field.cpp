#include "procedural/internal/terrain_field.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bastion::terrain {
namespace {

constexpr float kMovementLimit = 1000.0f;
constexpr float kMarginSpacing = 128.0f;
constexpr float kInteriorSpacing = 12.0f;
constexpr float kMergeDistance = 0.001f;

// Positions from `from` to `to` in equal steps of at most `spacing`, both
// ends included.
void appendEvenly(std::vector<float>& out, float from, float to, float spacing) {
    const float span = to - from;
    const int steps = std::max(1, static_cast<int>(std::ceil(span / spacing)));
    for (int k = 0; k <= steps; ++k) {
        out.push_back(from + static_cast<float>(k) * span / static_cast<float>(steps));
    }
}

float phase(u32 turns) { return static_cast<float>(turns % 360u) * std::numbers::pi_v<float> / 180.0f; }

}  // namespace

Biome biomeNamed(const std::string& name) {
    if (name == "grassland") return {{0.22f, 0.35f, 0.14f}, 150.0f, 120.0f};
    if (name == "desert") return {{0.55f, 0.42f, 0.21f}, 80.0f, 120.0f};
    if (name == "hills") return {{0.27f, 0.33f, 0.17f}, 150.0f, 180.0f};
    return {{0.16f, 0.20f, 0.17f}, 150.0f, 120.0f};
}

Noise::Noise(float amplitude_, const Biome& biome, u32 seed)
    : amplitude(amplitude_),
      wavelengthX(biome.wavelengthX),
      wavelengthZ(biome.wavelengthZ),
      phaseX(phase(seed)),
      phaseZ(phase(seed / 361u)) {}

float Noise::at(float x, float z) const {
    return amplitude *
           (0.5f + 0.25f * std::sin(x / wavelengthX + phaseX) + 0.25f * std::cos(z / wavelengthZ + phaseZ));
}

std::vector<float> sampleAxis(float low, float high, std::vector<float> edges) {
    std::vector<float> positions;
    positions.reserve(edges.size() + 256);
    appendEvenly(positions, -kMovementLimit, low, kMarginSpacing);
    appendEvenly(positions, low, high, kInteriorSpacing);
    appendEvenly(positions, high, kMovementLimit, kMarginSpacing);
    positions.insert(positions.end(), edges.begin(), edges.end());
    std::sort(positions.begin(), positions.end());
    std::vector<float> kept;
    kept.reserve(positions.size());
    for (const float p : positions) {
        if (kept.empty() || !(p - kept.back() <= kMergeDistance)) kept.push_back(p);
    }
    return kept;
}

float padWeight(const Rect& pad, float x, float z) {
    const float dx = std::max({pad.minX - x, 0.0f, x - pad.maxX});
    const float dz = std::max({pad.minZ - z, 0.0f, z - pad.maxZ});
    const float d = std::sqrt(dx * dx + dz * dz);
    return std::max(0.0f, 1.0f - d * 0.125f);
}

}  // namespace bastion::terrain

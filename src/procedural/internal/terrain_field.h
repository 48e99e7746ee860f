#pragma once

// Internal to the procedural library: the pieces of the terrain builder
// that turn a recipe's terrain into heights and sample lines.

#include <string>
#include <vector>

#include "world/math.h"

namespace bastion::terrain {

struct Rect {
    float minX = 0.0f;
    float minZ = 0.0f;
    float maxX = 0.0f;
    float maxZ = 0.0f;

    // Edges count as inside.
    bool contains(float x, float z) const { return minX <= x && x <= maxX && minZ <= z && z <= maxZ; }
};

struct Biome {
    Vec3 ground;
    float wavelengthX = 0.0f;
    float wavelengthZ = 0.0f;
};

// Unknown names fall back to "urban".
Biome biomeNamed(const std::string& name);

// The rolling ground: between 0 and the amplitude everywhere. The seed turns
// into one phase per axis, so seeds 360 apart share the x phase.
struct Noise {
    Noise(float amplitude, const Biome& biome, u32 seed);
    float at(float x, float z) const;

    float amplitude;
    float wavelengthX;
    float wavelengthZ;
    float phaseX;
    float phaseZ;
};

// Sample positions on one axis, ascending: 128 m apart at most in the margins
// out to the movement limit, 12 m inside the map [low, high], plus every
// feature edge; positions within 0.001 of the one before are merged.
std::vector<float> sampleAxis(float low, float high, std::vector<float> edges);

// Weight of a building pad's levelling at a point: 1 on the pad, falling
// linearly to 0 at 8 m from it.
float padWeight(const Rect& pad, float x, float z);

}  // namespace bastion::terrain

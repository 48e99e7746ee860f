#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "world/math.h"

namespace bastion {

// A run of vertices in the cockpit buffer.
struct VertexRange {
    std::int32_t first = 0;
    std::int32_t count = 0;
};

// One live ammunition readout, in cockpit space.
struct AmmoReadout {
    Vec3 position;
    float size = 0.006f;
};

// Floats per cockpit vertex: position, normal, colour, emission.
inline constexpr int kCockpitVertexFloats = 10;

// The checked cockpit mesh, ordered for drawing: the lower body group, the
// upper body group (which breaks away in ejection), then the five health
// lamps.
struct CockpitMesh {
    std::vector<float> vertices;  // kCockpitVertexFloats per vertex
    std::uint32_t fileVertices = 0;
    std::int32_t lowerVertices = 0;
    std::int32_t bodyVertices = 0;
    std::array<VertexRange, 5> lamps{};
};

// Where the instruments sit, in cockpit space; readouts indexed by mount.
struct CockpitLayout {
    std::array<AmmoReadout, 6> ammo{};
    Vec3 overview;
    Vec3 radar;
    Vec3 torso;
    Vec3 heading;
};

// Reads "cockpit.mesh" and "mesh-manifest.json" from `directory`, checks them
// strictly and splits the body. Throws std::runtime_error with the reason (or
// the JSON library's own exception for unreadable or ill-typed JSON).
CockpitMesh readCockpitMesh(const std::filesystem::path& directory);

// Reads and checks "layout.json" from `directory`.
CockpitLayout readCockpitLayout(const std::filesystem::path& directory);

}  // namespace bastion

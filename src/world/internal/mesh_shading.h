#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include <nlohmann/json.hpp>

#include "world/vertex.h"

namespace bastion {

// Pieces shared by the model mesh builder and the pickup mesh builder.

// Two's-complement wrap of a wider result, as 32-bit arithmetic gives.
inline std::int32_t wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The shade 0..255 of a light dot product `d`, with a directional scale and
// an ambient term both halved at night (`night` 1). Faces turned away get
// half the light. Arithmetic wraps as 32-bit integers do.
std::int32_t shadeOf(std::int32_t d, std::int32_t scale, std::int32_t ambient, int night);

// The colour of table cell (row, column) of "cry_table" (from bits 12..15 and
// 8..11 of `word`) at shade `s`: ((entry * s) >> 8) / 255 per channel.
Vec3 tableColour(const nlohmann::json& cryTable, std::uint32_t word, std::int32_t s);

// A face's normal [x, y, z, w] in file axes; w must be present, unused.
std::array<std::int32_t, 3> decodeFaceNormal(const nlohmann::json& normal);

// Pushes coplanar faces apart so they do not flicker: each further face on
// the same rounded plane moves `step` more along its normal, and a textured
// face on (or up to 0.12 behind) a flat face's plane moves `lift` in front of it.
class PlaneSeparation {
public:
    PlaneSeparation(float step, float lift) : step_(step), lift_(lift) {}

    // The offset along unit normal `normal` of a face of `group` whose plane
    // lies at `distance`; `pinned` faces count but stay where they are.
    float offset(Vec3 normal, float distance, std::span<const Vec3> corners, std::int32_t group, bool pinned);

private:
    struct FlatPlane {
        Vec3 normal;
        float distance;
    };
    float step_;
    float lift_;
    std::map<std::array<std::int32_t, 4>, int> counts_;
    std::vector<FlatPlane> flats_;
};

// Cuts a polygon into the fan (0, k - 1, k), k = 2 .. n - 1, appending whole
// triangles; `flipped(k)` asks for the triangle (0, k, k - 1) instead.
template <typename Flipped>
void appendFan(std::span<const WorldVertex> corners, std::vector<WorldVertex>& out, Flipped flipped) {
    for (std::size_t k = 2; k < corners.size(); ++k) {
        const bool flip = flipped(k);
        out.push_back(corners[0]);
        out.push_back(corners[flip ? k : k - 1]);
        out.push_back(corners[flip ? k - 1 : k]);
    }
}

}  // namespace bastion

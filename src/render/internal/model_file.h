#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "render/internal/arm_rig_read.h"
#include "world/math.h"

namespace bastion {

// How a decoded model file is brought into model space, decided by its name.
enum class ModelClass {
    HeldAligned,   // held in a hand: turned about the rig's source pivot
    ArmSegment,    // unit length along -Z, from z 0 at its top to -1 at its bottom
    Shoulder,      // centred on its box
    PlayerWalker,  // z mirrored; keeps degenerate triangles so faces map to fixed vertex runs
    Plain,
};

// Floats per model vertex: position, triangle normal, linear colour, and a
// last float that is always 0.
inline constexpr std::size_t kModelVertexFloats = 10;

// The first class whose rule the name meets. A held-aligned model also gets
// its yaw; "shotgun" and "heavy-machinegun" take the yaw of their mounted
// variants, and a missing one ends the load.
struct ModelPlacement {
    ModelClass kind = ModelClass::Plain;
    float yaw = 0.0f;
};
ModelPlacement classifyModel(const std::string& name, const HeldPlacement& held);

// One model file's triangles as model vertices, with the bounds of all its
// vertices (used or not) in model space.
struct ModelVertices {
    std::vector<float> floats;
    Vec3 min{1e9f, 1e9f, 1e9f};
    Vec3 max{-1e9f, -1e9f, -1e9f};
    std::int32_t count() const { return static_cast<std::int32_t>(floats.size() / kModelVertexFloats); }
};

// Checks and converts one parsed model file. Throws std::runtime_error with
// the file's fixed messages; the JSON library's exceptions pass through.
ModelVertices buildModelVertices(const nlohmann::json& document, ModelPlacement placement, Vec3 sourcePivot);

}  // namespace bastion

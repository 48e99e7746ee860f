#pragma once

#include "world/math.h"

namespace bastion {

// A vertex of the world meshes (lists of whole triangles).
struct WorldVertex {
    Vec3 position;
    Vec3 colour;
    float u = 0.0f;
    float v = 0.0f;
    float textured = 0.0f;  // above 0.5 samples the atlas
    float oneSided = 0.0f;  // above 0.5 culls back faces
};

// One indexed terrain triangle; `denominator` is the barycentric denominator
// of its projection on the ground plane.
struct GroundTriangle {
    Vec3 a;
    Vec3 b;
    Vec3 c;
    float denominator = 0.0f;
};

}  // namespace bastion

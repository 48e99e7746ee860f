#pragma once

#include <functional>

#include "world/world.h"

namespace bastion::testing_support {

// Appends one terrain triangle (not yet indexed).
inline void addTriangle(World& world, Vec3 a, Vec3 b, Vec3 c) {
    for (Vec3 p : {a, b, c}) {
        WorldVertex vertex;
        vertex.position = p;
        world.terrain.push_back(vertex);
    }
}

// Appends an axis-aligned quad [x0, x1] x [z0, z1] as two triangles whose
// corner heights come from `height`.
inline void addQuad(World& world, float x0, float z0, float x1, float z1,
                    const std::function<float(float, float)>& height) {
    const Vec3 p00{x0, height(x0, z0), z0}, p10{x1, height(x1, z0), z0};
    const Vec3 p01{x0, height(x0, z1), z1}, p11{x1, height(x1, z1), z1};
    addTriangle(world, p00, p10, p11);
    addTriangle(world, p00, p11, p01);
}

// A square height field of cells x cells quads of `spacing` units centred on
// the origin, indexed.
inline void buildHeightField(World& world, int cells, float spacing, const std::function<float(float, float)>& height) {
    const float start = -0.5f * spacing * static_cast<float>(cells);
    for (int i = 0; i < cells; ++i) {
        for (int j = 0; j < cells; ++j) {
            const float x = start + spacing * static_cast<float>(i), z = start + spacing * static_cast<float>(j);
            addQuad(world, x, z, x + spacing, z + spacing, height);
        }
    }
    world.indexTerrain();
}

}  // namespace bastion::testing_support

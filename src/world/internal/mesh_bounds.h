#pragma once

#include "world/target.h"

namespace bastion {

// Axis-aligned box of a mesh's vertices turned by `yaw` about the vertical
// axis. Starts from min 1e9 and max -1e9, so an empty mesh gives a box that
// holds no point.
struct MeshBox {
    Vec3 min{1e9f, 1e9f, 1e9f};
    Vec3 max{-1e9f, -1e9f, -1e9f};

    Vec3 centre() const { return (min + max) * 0.5f; }
    Vec3 half() const { return (max - min) * 0.5f; }
};
MeshBox turnedMeshBox(const Mesh& mesh, float yaw);

}  // namespace bastion

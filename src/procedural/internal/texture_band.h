#pragma once

#include "world/target.h"

namespace bastion {

// The shared atlas stacks the SB1 textures in the top 158/609 of its height
// and the SB2 textures below them.
inline constexpr float kSharedAtlasHeight = 609.0f;
inline constexpr float kSB1AtlasHeight = 158.0f;

// Points the textured vertices of `mesh` at the shared atlas band of `source`
// (0 SB1, 1 SB2). The mesh is replaced by a private copy first, so any other
// target, template or World holding the old list keeps it unchanged. An
// absent mesh stays absent.
void bandTextures(SharedMesh& mesh, int source);

// Both meshes of a target.
void bandTargetTextures(Target& target, int source);

}  // namespace bastion

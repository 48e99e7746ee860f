#pragma once

#include <vector>

#include "world/math.h"

namespace bastion {

struct ProceduralObjective {
    int kind = 0;  // 0 eliminate, 1 strike, 2 recon
    Vec3 centre;
    float radius = 8.0f;
    float holdSeconds = 4.0f;
    float holdTimer = 0.0f;
    std::vector<u64> targets;  // all must be destroyed
    bool done = false;
};

// Objectives and extraction of a generated mission.
struct ProceduralMission {
    std::vector<ProceduralObjective> objectives;
    Vec3 extraction;
    float extractionRadius = 8.0f;
    bool extractionRequired = false;
    bool extracting = false;
};

// One water body of a procedural terrain.
struct ProceduralWater {
    float bounds[4] = {0, 0, 0, 0};  // minX, minZ, maxX, maxZ
    float level = 0.0f;
    float depth = 0.0f;
};

}  // namespace bastion

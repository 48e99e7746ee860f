#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "world/math.h"
#include "world/pilot.h"

namespace bastion {

// What the rig file tells the model files that follow it: the yaw that turns
// each held model into the hand, and the point (in the model files' units)
// about which held models are placed.
struct HeldPlacement {
    std::map<std::string, float> alignmentYaw;
    Vec3 sourcePivot;
};

// Reads "rig.json" into `rig` and returns the held-model placement. Fields of
// `rig` are written as they are read, so a refused file may leave it partly
// overwritten. Throws std::runtime_error with the file's fixed messages; the
// JSON library's exceptions pass through for missing keys and wrong types.
HeldPlacement readArmRig(const nlohmann::json& document, ArmRig& rig);

}  // namespace bastion

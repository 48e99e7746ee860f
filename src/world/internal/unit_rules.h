#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "world/internal/mission_parameters.h"

namespace bastion {

inline constexpr int kNoRoute = -1;

// Per-unit-type loading rules of a campaign (0 SB1, 1 SB2) for unit types
// 0..22 (4, the generator record, has no rules of its own).

// Health before the model and difficulty rules; SB2 uses its own column for
// unit types 2 and 5..22.
float unitBaseHealth(int type, int campaign);

// Byte offset of the unit's route record in its parameters, or kNoRoute.
int unitRouteOffset(int type, int campaign);

// Movement speed in units per second; a ship's comes from its word 4.
float unitSpeed(int type, int campaign, const ParameterRecord& parameters);

// The model of a unit, with the variant rules applied; empty for a unit
// without a model (the SB2 supply crate). Reads "dynamic_models" and
// "variants" of the mission document.
std::string unitModelName(const nlohmann::json& document, int type, int campaign, const ParameterRecord& parameters);

}  // namespace bastion

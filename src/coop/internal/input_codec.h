#pragma once

#include <nlohmann/json.hpp>

#include "world/input.h"

namespace bastion::coop {

// The eight-member wire object of one frame of input, axes exactly as held.
nlohmann::json inputWire(const Input& input);

// Decodes and conditions a client's input: axes clamped or wrapped, untracked
// hands neutralised, the map-ping buttons false. Throws std::runtime_error
// "Invalid controller axis" or "Invalid hand tracking", or the JSON library's
// exception for a missing member, a wrong type or a short array.
Input inputRead(const nlohmann::json& wire);

}  // namespace bastion::coop

#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

#include "world/math.h"

namespace bastion {

// Checked conversions of decoded numbers. A value of the wrong JSON type is
// the JSON library's type error; a number that does not fit its destination
// throws "Invalid decoded number" instead of converting with undefined
// behaviour.

// The integer part as a 32-bit word. Anything in [-2^31, 2^32) fits, so the
// signed and unsigned spellings of one word give the same bits.
u32 decodeWord(const nlohmann::json& value);
inline std::int32_t decodeInt(const nlohmann::json& value) { return static_cast<std::int32_t>(decodeWord(value)); }

// A finite single-precision value.
float decodeFloat(const nlohmann::json& value);

// Mission positions [x, y, z] in hundredths, file z pointing the other way:
// (x / 100, y / 100, -z / 100). Non-finite results throw "Invalid decoded position".
Vec3 decodePosition(const nlohmann::json& value);

// Model vertices [x, y, z] in hundredths as single-precision products:
// (x * 0.01, y * 0.01, z * zScale) with zScale -0.01 for meshes and 0.01
// for debris fragment shapes.
Vec3 decodeModelPoint(const nlohmann::json& value, float zScale);

// 2048 units per turn, turning the other way: radians = value * (-pi / 1024).
float decodeYaw(const nlohmann::json& value);

// [r, g, b] in 0..255 to 0..1.
Vec3 decodeColour(const nlohmann::json& value);

}  // namespace bastion

#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

#include "world/saturating_float.h"

// Conversions of JSON numbers that the JSON library would leave undefined for
// values out of the target's range. Other JSON types raise the library's type
// error, as its own conversions do.
namespace bastion {

// `value` as the library converts it to a 64-bit integer (fractions truncated,
// booleans as 0 or 1), except that a float no such integer holds comes back as
// `outside`.
inline std::int64_t wholeNumber(const nlohmann::json& value, std::int64_t outside) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!(number >= -kLimit && number < kLimit)) return outside;
    }
    return value.get<std::int64_t>();
}

// `value` as a float; beyond the float range it is infinite.
inline float floatNumber(const nlohmann::json& value) { return saturatingFloat(value.get<double>()); }

}  // namespace bastion

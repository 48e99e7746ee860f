#pragma once

#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

// Conversions of JSON numbers that the JSON library would leave undefined for
// values out of the target's range: the one home of the number helpers that
// every reader of JSON files and messages uses, whatever its failure rules.
// Other JSON types raise the library's type error, as its own conversions do.
namespace bastion {

// `v` in single precision, saturating to infinity beyond the float range so
// that the narrowing is defined for every finite double.
inline float saturatingFloat(double v) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (v > largest) return std::numeric_limits<float>::infinity();
    if (v < -largest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

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

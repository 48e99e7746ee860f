#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

namespace bastion {

// `value` as the JSON library converts it to a 64-bit integer (fractions
// truncated, booleans as 0 or 1), except that a float no such integer holds
// comes back as `outside`: the library's own conversion of it is undefined.
// Other JSON types raise the library's type error.
inline std::int64_t wholeNumber(const nlohmann::json& value, std::int64_t outside) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!(number >= -kLimit && number < kLimit)) return outside;
    }
    return value.get<std::int64_t>();
}

}  // namespace bastion

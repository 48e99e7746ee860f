#pragma once

// Internal to the co-op library: checked conversions of received JSON values.

#include <cmath>
#include <limits>
#include <string>

#include <nlohmann/json.hpp>

#include "world/json_numbers.h"

namespace bastion::coop {

// A JSON number narrowed to float (beyond the float range it is infinite);
// any other type is the library's type error.
inline float wireFloat(const nlohmann::json& value) {
    if (!value.is_number())
        throw nlohmann::json::type_error::create(302, std::string("type must be number, but is ") + value.type_name(),
                                                 &value);
    return saturatingFloat(value.get<double>());
}

// A JSON number as an integer of type T, as the library converts it
// (fractions truncated), but refused when T cannot hold it, where the
// library's conversion would wrap or be undefined.
template <typename T>
T wireInteger(const nlohmann::json& value) {
    if (!value.is_number())
        throw nlohmann::json::type_error::create(302, std::string("type must be number, but is ") + value.type_name(),
                                                 &value);
    constexpr T low = std::numeric_limits<T>::min();
    constexpr T high = std::numeric_limits<T>::max();
    bool fits = false;
    if (value.is_number_unsigned()) {
        fits = value.get<std::uint64_t>() <= static_cast<std::uint64_t>(high);
    } else if (value.is_number_integer()) {
        const std::int64_t number = value.get<std::int64_t>();
        fits = number >= 0 ? static_cast<std::uint64_t>(number) <= static_cast<std::uint64_t>(high)
                           : (std::numeric_limits<T>::is_signed && number >= static_cast<std::int64_t>(low));
    } else {
        const double number = std::trunc(value.get<double>());
        fits = number >= static_cast<double>(low) && number <= static_cast<double>(high);
        // 2^64 - 1 and 2^63 - 1 round up to powers of two as doubles.
        if (fits && number == static_cast<double>(high) && static_cast<double>(high) > 9007199254740992.0) fits = false;
    }
    if (!fits) throw nlohmann::json::out_of_range::create(406, "number out of range", &value);
    return value.get<T>();
}

// An unsigned count held in a signed field: beyond INT_MAX is refused.
inline int wireCount(const nlohmann::json& value) {
    const auto number = wireInteger<unsigned>(value);
    if (number > static_cast<unsigned>(std::numeric_limits<int>::max()))
        throw nlohmann::json::out_of_range::create(406, "number out of range", &value);
    return static_cast<int>(number);
}

// A JSON boolean; anything else is the library's type error.
inline bool wireBool(const nlohmann::json& value) { return value.get<bool>(); }

}  // namespace bastion::coop

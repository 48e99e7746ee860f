#pragma once

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "world/json_numbers.h"

// Value tests shared by the layout and terrain checks of a procedural recipe.
// Every accessor here tolerates any JSON value: a missing key, a wrong type or
// a non-object parent gives "absent" instead of a JSON exception, so the
// checks built on them can only ever fail with their own messages.
namespace bastion::recipe {

using json = nlohmann::json;

// Refuses the recipe with `prefix` followed by `message` unless `condition`
// holds.
inline void check(bool condition, const char* prefix, const char* message) {
    if (!condition) {
        throw std::runtime_error(std::string(prefix) + message);
    }
}

// The member `key` of `object`, or nullptr when `object` is not an object or
// has no such member.
inline const json* field(const json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// A finite JSON number (integers of any sign included).
inline bool isNumber(const json* value) {
    return value != nullptr && value->is_number() && std::isfinite(value->get<double>());
}

inline bool numberIn(const json* value, double low, double high) {
    if (!isNumber(value)) {
        return false;
    }
    const double v = value->get<double>();
    return low <= v && v <= high;
}

// Written without fraction or exponent; 2.0 is not an integer.
inline bool integerIn(const json* value, double low, double high) {
    if (value == nullptr || !value->is_number_integer()) {
        return false;
    }
    const double v = value->get<double>();
    return low <= v && v <= high;
}

inline bool isString(const json* value, const char* text) {
    return value != nullptr && value->is_string() && value->get_ref<const std::string&>() == text;
}

// An array of exactly `count` finite numbers.
inline bool numbers(const json* value, std::size_t count) {
    if (value == nullptr || !value->is_array() || value->size() != count) {
        return false;
    }
    for (const auto& element : *value) {
        if (!isNumber(&element)) {
            return false;
        }
    }
    return true;
}

// [minX, minZ, maxX, maxZ] on the ground plane.
template <typename T>
struct Rect {
    T minX;
    T minZ;
    T maxX;
    T maxZ;
};

// Four numbers with a strictly positive extent on both axes.
inline bool isRect(const json* value) {
    return numbers(value, 4) && (*value)[2].get<double>() > (*value)[0].get<double>() &&
           (*value)[3].get<double>() > (*value)[1].get<double>();
}

// Only for values that passed isRect.
inline Rect<double> rectOf(const json& value) {
    return {value[0].get<double>(), value[1].get<double>(), value[2].get<double>(),
            value[3].get<double>()};
}

inline float toFloat(double v) { return saturatingFloat(v); }

inline Rect<float> toFloat(const Rect<double>& r) {
    return {toFloat(r.minX), toFloat(r.minZ), toFloat(r.maxX), toFloat(r.maxZ)};
}

// Strict on both axes: rectangles sharing only an edge or a corner do not
// overlap.
template <typename T>
bool overlaps(const Rect<T>& a, const Rect<T>& b) {
    return a.minX < b.maxX && b.minX < a.maxX && a.minZ < b.maxZ && b.minZ < a.maxZ;
}

// `inner` lies inside `outer`; touching edges count as inside.
template <typename T>
bool inside(const Rect<T>& inner, const Rect<T>& outer) {
    return inner.minX >= outer.minX && inner.minZ >= outer.minZ && inner.maxX <= outer.maxX &&
           inner.maxZ <= outer.maxZ;
}

}  // namespace bastion::recipe

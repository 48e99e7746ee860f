#include "world/decoded_value.h"

#include <cfloat>
#include <cmath>
#include <stdexcept>

namespace bastion {
namespace {

constexpr float kPi = 3.14159265358979323846f;

bool finiteFloat(float value) { return std::isfinite(value); }

// The double as a float, or a throw where the conversion would be undefined.
float narrow(double value, const char* message) {
    if (!(std::fabs(value) <= static_cast<double>(FLT_MAX))) throw std::runtime_error(message);
    return static_cast<float>(value);
}

Vec3 checkedPoint(Vec3 point) {
    if (!finiteFloat(point.x) || !finiteFloat(point.y) || !finiteFloat(point.z))
        throw std::runtime_error("Invalid decoded position");
    return point;
}

float coordinate(const nlohmann::json& value) { return narrow(value.get<double>(), "Invalid decoded position"); }

}  // namespace

u32 decodeWord(const nlohmann::json& value) {
    const double number = std::trunc(value.get<double>());
    if (!(number >= -2147483648.0 && number < 4294967296.0)) throw std::runtime_error("Invalid decoded number");
    if (number < 0) return static_cast<u32>(static_cast<std::int32_t>(number));
    return static_cast<u32>(number);
}

float decodeFloat(const nlohmann::json& value) { return narrow(value.get<double>(), "Invalid decoded number"); }

Vec3 decodePosition(const nlohmann::json& value) {
    const float x = coordinate(value.at(0));
    const float y = coordinate(value.at(1));
    const float z = coordinate(value.at(2));
    return checkedPoint({x / 100.0f, y / 100.0f, -z / 100.0f});
}

Vec3 decodeModelPoint(const nlohmann::json& value, float zScale) {
    const float x = coordinate(value.at(0));
    const float y = coordinate(value.at(1));
    const float z = coordinate(value.at(2));
    return checkedPoint({x * 0.01f, y * 0.01f, z * zScale});
}

float decodeYaw(const nlohmann::json& value) { return decodeFloat(value) * (-kPi / 1024.0f); }

Vec3 decodeColour(const nlohmann::json& value) {
    return {decodeFloat(value.at(0)) / 255.0f, decodeFloat(value.at(1)) / 255.0f, decodeFloat(value.at(2)) / 255.0f};
}

}  // namespace bastion

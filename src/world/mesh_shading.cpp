#include "world/internal/mesh_shading.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "world/decoded_value.h"

namespace bastion {
namespace {

std::int32_t roundedKey(float value) { return static_cast<std::int32_t>(std::lround(1000.0f * value)); }

}  // namespace

std::int32_t shadeOf(std::int32_t d, std::int32_t scale, std::int32_t ambient, int night) {
    std::int32_t m = std::abs(d >> 3);
    if (d < 0) m >>= 1;
    const std::int32_t lit = wrap32(static_cast<std::int64_t>(scale >> night) * m) >> 12;
    const std::int32_t value = wrap32(static_cast<std::int64_t>(lit) + (ambient >> night));
    return std::clamp(value, 0, 255);
}

Vec3 tableColour(const nlohmann::json& cryTable, std::uint32_t word, std::int32_t s) {
    const std::size_t row = (word >> 12) & 15u;
    const std::size_t column = (word >> 8) & 15u;
    const auto channel = [&](const char* name) {
        const std::int32_t entry = decodeInt(cryTable.at(name).at(row).at(column));
        return static_cast<float>(wrap32(static_cast<std::int64_t>(entry) * s) >> 8) / 255.0f;
    };
    const float red = channel("red");
    const float green = channel("green");
    const float blue = channel("blue");
    return {red, green, blue};
}

std::array<std::int32_t, 3> decodeFaceNormal(const nlohmann::json& normal) {
    decodeInt(normal.at(3));
    return {decodeInt(normal.at(0)), decodeInt(normal.at(1)), decodeInt(normal.at(2))};
}

float PlaneSeparation::offset(Vec3 normal, float distance, std::span<const Vec3> corners, std::int32_t group,
                              bool pinned) {
    const std::array<std::int32_t, 4> key{roundedKey(normal.x), roundedKey(normal.y), roundedKey(normal.z),
                                          roundedKey(distance)};
    float result = static_cast<float>(counts_[key]++) * step_;
    if (group == 2) {
        for (const FlatPlane& plane : flats_) {
            const float facing = dot(normal, plane.normal);
            if (!(facing >= 0.995f)) continue;
            float lowest = std::numeric_limits<float>::infinity();
            for (Vec3 corner : corners) lowest = std::min(lowest, dot(corner, plane.normal));
            if (std::fabs(plane.distance - lowest) <= 0.12f)
                result = std::max(result, (plane.distance - lowest + lift_) / facing);
        }
    }
    if (pinned) result = 0.0f;
    if (group == 0) flats_.push_back({normal, distance + result});
    return result;
}

}  // namespace bastion

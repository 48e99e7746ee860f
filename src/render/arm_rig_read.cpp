#include "render/internal/arm_rig_read.h"

#include <cmath>
#include <stdexcept>

#include "world/json_numbers.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr float kPi = 3.14159274f;

// The first three entries of an array; too few or a non-array raise the
// library's error.
Vec3 threeFloats(const json& value) {
    value.get_ref<const json::array_t&>();  // an array, or the library's type error
    return {floatNumber(value.at(0)), floatNumber(value.at(1)), floatNumber(value.at(2))};
}

bool armScaleValid(float value) { return std::isfinite(value) && value >= 0.1f && value <= 10.0f; }

}  // namespace

HeldPlacement readArmRig(const json& document, ArmRig& rig) {
    const json& held = document.at("held");
    if (document.at("schema").get<double>() != 1.0 || held.get_ref<const json::array_t&>().size() != 5)
        throw std::runtime_error("Invalid hand rig");

    rig.trackingScale = floatNumber(document.at("tracking_scale"));
    rig.upperLength = floatNumber(document.at("upper_length"));
    rig.foreLength = floatNumber(document.at("fore_length"));
    for (const float value : {rig.trackingScale, rig.upperLength, rig.foreLength})
        if (!armScaleValid(value)) throw std::runtime_error("Invalid arm scale");

    HeldPlacement placement;
    for (const json& entry : held) {
        const float yaw = floatNumber(entry.at("alignment_yaw"));
        if (!std::isfinite(yaw) || std::fabs(yaw) > kPi) throw std::runtime_error("Invalid held-model alignment");
        // The first entry that names a model keeps its yaw.
        placement.alignmentYaw.emplace(entry.at("model").get<std::string>(), yaw);
    }

    placement.sourcePivot = threeFloats(document.at("source_pivot"));
    for (const float c : {placement.sourcePivot.x, placement.sourcePivot.y, placement.sourcePivot.z})
        if (!std::isfinite(c) || std::fabs(c) > 4096.0f) throw std::runtime_error("Invalid hand pivot");

    for (std::size_t i = 0; i < 5; ++i) {
        const Vec3 muzzle = threeFloats(held[i].at("muzzle"));
        rig.muzzle[i] = muzzle;
        const float size = std::sqrt(muzzle.x * muzzle.x + muzzle.y * muzzle.y + muzzle.z * muzzle.z);
        if (!std::isfinite(size) || size > 10.0f) throw std::runtime_error("Invalid muzzle");
    }
    return placement;
}

}  // namespace bastion

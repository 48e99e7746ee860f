#include "coop/internal/input_codec.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "coop/internal/value_codec.h"
#include "coop/internal/wire_numbers.h"

namespace bastion::coop {
namespace {

using nlohmann::json;

constexpr float kAxisLimit = 100.0f;
constexpr float kPitchLimit = 1.5f;
constexpr float kHandReach = 4.0f;

template <std::size_t N>
json flags(const bool (&values)[N]) {
    json out = json::array();
    for (bool value : values) out.push_back(value);
    return out;
}

template <std::size_t N>
void readFlags(const json& wire, bool (&values)[N]) {
    for (std::size_t i = 0; i < N; ++i) values[i] = wireBool(wire.at(i));
}

bool usableRotation(const Quaternion& q) {
    const float norm = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    return std::isfinite(norm) && norm > 0.5f && norm < 1.5f;
}

bool withinReach(Vec3 position) {
    const float reach = length(position);
    return std::isfinite(reach) && reach <= kHandReach;
}

}  // namespace

json inputWire(const Input& input) {
    json axes = json::array();
    for (float axis : input.axes) axes.push_back(static_cast<double>(axis));
    return json{{"axes", std::move(axes)},
                {"focused", input.focused},
                {"head", input.head},
                {"fire", flags(input.fire)},
                {"punch", flags(input.punch)},
                {"valid", flags(input.valid)},
                {"hands", json::array({input.hands[0], input.hands[1]})},
                {"poses", json::array({input.poses[0], input.poses[1]})}};
}

Input inputRead(const json& wire) {
    Input input;
    const json& axes = wire.at("axes");
    if (!axes.is_array())
        throw json::type_error::create(302, std::string("type must be array, but is ") + axes.type_name(), &axes);
    float raw[5];
    for (std::size_t i = 0; i < 5; ++i) raw[i] = wireFloat(axes.at(i));
    for (float axis : raw) {
        if (!std::isfinite(axis) || std::fabs(axis) > kAxisLimit) throw std::runtime_error("Invalid controller axis");
    }
    for (int i = 0; i < 3; ++i) input.axes[i] = std::clamp(raw[i], -1.0f, 1.0f);
    input.axes[3] = wrap(raw[3]);
    input.axes[4] = std::clamp(raw[4], -kPitchLimit, kPitchLimit);

    input.focused = wireBool(wire.at("focused"));
    input.head = wireBool(wire.at("head"));
    readFlags(wire.at("fire"), input.fire);
    readFlags(wire.at("punch"), input.punch);
    readFlags(wire.at("valid"), input.valid);
    const json& hands = wire.at("hands");
    for (std::size_t i = 0; i < 2; ++i) hands.at(i).get_to(input.hands[i]);
    const json& poses = wire.at("poses");
    for (std::size_t i = 0; i < 2; ++i) poses.at(i).get_to(input.poses[i]);

    for (int hand = 0; hand < 2; ++hand) {
        HandPose& pose = input.poses[hand];
        if (pose.valid) {
            if (!withinReach(input.hands[hand]) || !withinReach(pose.position) || !usableRotation(pose.grip) ||
                !usableRotation(pose.aim))
                throw std::runtime_error("Invalid hand tracking");
        } else {
            pose = HandPose{};
            input.valid[hand] = false;
            input.hands[hand] = Vec3{};
        }
    }
    return input;
}

}  // namespace bastion::coop

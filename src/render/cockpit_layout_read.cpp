#include <cmath>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "render/cockpit_files.h"
#include "world/json_numbers.h"
#include "world/decoded_json.h"

namespace bastion {
namespace {

using nlohmann::json;

constexpr float kSizeBudget = 10.0f;
constexpr float kLargestReadout = 0.05f;

// The first three numbers of `value` as a cockpit-space point.
Vec3 instrumentPosition(const json& value) {
    const Vec3 position{floatNumber(value.at(0)), floatNumber(value.at(1)), floatNumber(value.at(2))};
    for (const float c : {position.x, position.y, position.z}) {
        if (!std::isfinite(c) || std::fabs(c) > kSizeBudget) throw std::runtime_error("Invalid instrument position");
    }
    return position;
}

}  // namespace

CockpitLayout readCockpitLayout(const std::filesystem::path& directory) {
    const json document = parseJsonFile(directory / "layout.json", kDecodedDocumentLimit);
    if (document.at("schema") != 1 || document.at("ammo_in_overview") != false ||
        !document.at("ammo").is_array() || document.at("ammo").size() != 6) {
        throw std::runtime_error("Invalid cockpit instrument layout");
    }
    const json& ammo = document.at("ammo");

    CockpitLayout layout;
    std::array<bool, 6> used{};
    for (const json& entry : ammo) {
        const std::int64_t mount = wholeNumber(entry.at("mount"), -1);
        if (mount < 0 || mount > 5 || used[static_cast<std::size_t>(mount)])
            throw std::runtime_error("Duplicate or invalid ammo mount");
        used[static_cast<std::size_t>(mount)] = true;
        AmmoReadout& readout = layout.ammo[static_cast<std::size_t>(mount)];
        readout.position = instrumentPosition(entry.at("position"));
        readout.size = floatNumber(entry.at("size"));
        // Rejects NaN, either zero and negatives alike.
        if (!(readout.size > 0.0f) || readout.size > kLargestReadout || !std::isfinite(readout.size))
            throw std::runtime_error("Invalid readout scale");
    }
    layout.overview = instrumentPosition(document.at("overview"));
    layout.radar = instrumentPosition(document.at("radar"));
    layout.torso = instrumentPosition(document.at("torso"));
    layout.heading = instrumentPosition(document.at("heading"));
    return layout;
}

}  // namespace bastion

#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

namespace bastion::contentgen {

// One vertex of the cockpit mesh in its file order: position, normal, linear
// colour and emission.
struct CockpitVertex {
    std::array<float, 3> position{};
    std::array<float, 3> normal{0, 0, 1};
    std::array<float, 3> colour{};
    float emission = 0.0f;
};

// The demo cockpit: a small original cabin around the eye point (cockpit
// space: origin at the eye, -Z ahead, +Y up). A dashboard with instrument
// bezels, the torso gauge on its post and side consoles form the lower
// body; a canopy frame above the eye forms the upper body, which breaks away
// in ejection. Five lamp lenses sit in a row on the dashboard face.
struct CockpitModel {
    std::vector<CockpitVertex> vertices;
    nlohmann::json manifest;  // "mesh-manifest.json"
    nlohmann::json layout;    // "layout.json"
};

CockpitModel demoCockpit();

// The centre of status lamp `lamp`'s lens front, in cockpit space.
std::array<float, 3> demoLampCentre(int lamp);

// The colour of the instrument screens' glass, behind the live displays.
inline constexpr std::array<float, 3> kScreenGlass{0.05f, 0.06f, 0.05f};

// The "cockpit.mesh" bytes: the "SBCP" header, version 1, the vertex count,
// then ten little-endian floats per vertex.
std::vector<std::uint8_t> cockpitMeshBytes(const std::vector<CockpitVertex>& vertices);

// Writes "cockpit.mesh", "mesh-manifest.json" and "layout.json" of `model`
// into `folder`.
void writeCockpit(const std::filesystem::path& folder, const CockpitModel& model);

}  // namespace bastion::contentgen

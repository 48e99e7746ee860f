#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <nlohmann/json.hpp>

#include "contentgen/parameter_bytes.h"

namespace bastion::contentgen {

// A point on the ground in world units: x, and z toward the viewer.
struct GroundPoint {
    double x = 0;
    double z = 0;
};

// File encodings shared by every mission writer.
nlohmann::json filePosition(GroundPoint p, double height = 0);
// World radians are turned into 2048 units per turn, counted the other way.
int fileYaw(double radians);

// Assembles one entry of a "missions" array.
class MissionSketch {
public:
    MissionSketch();

    nlohmann::json& json() { return mission_; }
    const nlohmann::json& json() const { return mission_; }

    void object(int type, GroundPoint at, int yaw, int tag, std::uint32_t action, int targetSlot = 0);
    void terrain(const std::vector<GroundPoint>& corners, const std::array<int, 3>& colour);
    // Returns the spawn index.
    int unit(int type, GroundPoint at, int yaw, const ParameterBytes& parameters, double range = 200);
    int generator(GroundPoint at, const ParameterBytes& parameters, double range = 150);
    std::size_t spawnCount() const { return mission_["spawns"].size(); }

private:
    nlohmann::json mission_;
};

}  // namespace bastion::contentgen

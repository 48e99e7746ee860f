#include "contentgen/mission_sketch.h"

#include <cmath>

namespace bastion::contentgen {

nlohmann::json filePosition(GroundPoint p, double height) {
    return {std::lround(p.x * 100), std::lround(height * 100), std::lround(-p.z * 100)};
}

int fileYaw(double radians) { return static_cast<int>(std::lround(radians * -1024.0 / 3.14159265358979323846)); }

MissionSketch::MissionSketch()
    : mission_({{"objects", nlohmann::json::array()},
                {"terrain", nlohmann::json::array()},
                {"spawns", nlohmann::json::array()}}) {}

void MissionSketch::object(int type, GroundPoint at, int yaw, int tag, std::uint32_t action, int targetSlot) {
    nlohmann::json object = {
        {"position", filePosition(at)}, {"type", type}, {"tag", tag}, {"action", action}, {"yaw", yaw}};
    if (targetSlot != 0) object["target_slot"] = targetSlot;
    mission_["objects"].push_back(object);
}

void MissionSketch::terrain(const std::vector<GroundPoint>& corners, const std::array<int, 3>& colour) {
    nlohmann::json vertices = nlohmann::json::array();
    for (GroundPoint corner : corners) vertices.push_back(filePosition(corner));
    mission_["terrain"].push_back({{"vertices", vertices}, {"color", colour}});
}

int MissionSketch::unit(int type, GroundPoint at, int yaw, const ParameterBytes& parameters, double range) {
    mission_["spawns"].push_back({{"type", type},
                                  {"position", filePosition(at)},
                                  {"yaw", yaw},
                                  {"trigger", 0},
                                  {"flags", 0},
                                  {"range", std::lround(range * 100)},
                                  {"parameters", parameters.toJson()},
                                  {"respawn", 0}});
    return static_cast<int>(spawnCount() - 1);
}

int MissionSketch::generator(GroundPoint at, const ParameterBytes& parameters, double range) {
    mission_["spawns"].push_back({{"type", 4},
                                  {"position", filePosition(at)},
                                  {"trigger", 0},
                                  {"range", std::lround(range * 100)},
                                  {"parameters", parameters.toJson()}});
    return static_cast<int>(spawnCount() - 1);
}

}  // namespace bastion::contentgen

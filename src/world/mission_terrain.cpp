#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {

void loadMissionTerrain(World& world, const nlohmann::json& mission) {
    for (const nlohmann::json& entry : mission.at("terrain").get_ref<const nlohmann::json::array_t&>()) {
        const TerrainPolygon polygon = decodeTerrainPolygon(entry);
        const std::vector<Vec3>& corners = polygon.corners;
        for (std::size_t i = 2; i < corners.size(); ++i) {
            for (const Vec3 corner : {corners[0], corners[i - 1], corners[i]}) {
                WorldVertex vertex;
                vertex.position = corner;
                vertex.colour = polygon.colour;
                world.terrain.push_back(vertex);
            }
        }
    }
    world.indexTerrain();
}

}  // namespace bastion

#include "shell/mission_setup.h"

#include <stdexcept>

#include "shell/frontend/frontend.h"
#include "shell/skirmish_mission.h"
#include "world/world.h"

namespace bastion {

// Procedural layouts and prototypes come with their builders; until then
// each of their starts fails with its own message instead of loading
// something else.
void loadSelectedMission(World& fresh, Frontend& frontend, const MissionSources& sources,
                         std::optional<nlohmann::json>& skirmishRecipe) {
    if (frontend.skirmish) {
        loadSkirmishMission(fresh, frontend, sources, skirmishRecipe);
        return;
    }
    if (!sources.proceduralLayout.empty()) {
        throw std::runtime_error("Procedural layouts are not available in this build");
    }
    if (sources.prototype) throw std::runtime_error("Mission prototypes are not available in this build");
    if (!sources.fixture) fresh.loadMission(sources.retail, frontend.missionCursor, frontend.campaignRow, true);
}

}  // namespace bastion

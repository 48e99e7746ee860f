#include "shell/mission_setup.h"

#include <stdexcept>
#include <string>

#include "shell/frontend/frontend.h"
#include "shell/skirmish_mission.h"
#include "world/world.h"

namespace bastion {

void loadSelectedMission(World& fresh, Frontend& frontend, const MissionSources& sources,
                         std::optional<nlohmann::json>& skirmishRecipe) {
    if (frontend.skirmish) {
        loadSkirmishMission(fresh, frontend, sources, skirmishRecipe);
    } else if (!sources.proceduralLayout.empty()) {
        fresh.loadProceduralPrototype(sources.retail, sources.proceduralLayout);
    } else if (sources.prototype) {
        fresh.loadMissionPrototype(sources.retail, sources.prototypeSeed);
    } else if (!sources.fixture) {
        fresh.loadMission(sources.retail, frontend.missionCursor, frontend.campaignRow, true);
    }
    // A generated mission's line names its seed, so it can be played again.
    if (sources.prototype)
        frontend.statusLine = "SEED " + std::to_string(sources.prototypeSeed) + " / " + fresh.objectiveText;
}

}  // namespace bastion

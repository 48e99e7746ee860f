#include "shell/mission_result.h"

#include <string>

#include "shell/frontend.h"
#include "world/world.h"

namespace bastion {

bool recordMissionResult(Frontend& frontend, const World& world, const Input& input, bool prototype,
                         bool debriefShown, const std::function<void()>& save) {
    if (prototype || world.pilot.status != kStatusWon || world.pilot.dead || debriefShown) return false;
    const bool recorded = frontend.recordResult(world);
    if (frontend.skirmish) {
        const ProceduralMission& mission = world.proceduralMission;
        frontend.resultLine = "SKIRMISH COMPLETE";
        frontend.secondResultLine = "CAMPAIGN PROGRESS UNCHANGED";
        frontend.statusLine = std::to_string(mission.objectives.size()) + " OBJECTIVES COMPLETE";
        if (mission.extractionRequired) frontend.statusLine += " / EXTRACTION COMPLETE";
    } else {
        if (!recorded) frontend.resultLine = frontend.sandbox ? "SANDBOX - PROGRESS NOT SAVED" : "MISSION ALREADY RECORDED";
        frontend.progression.selectedMission = frontend.progression.nextMission();
        frontend.progression.loadout = frontend.loadout;
        if (!frontend.sandbox) save();
    }
    frontend.showDebrief(world.missionIndex, input);
    return true;
}

}  // namespace bastion

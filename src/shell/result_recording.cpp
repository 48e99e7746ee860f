#include <string>

#include "shell/requests.h"

namespace bastion {
namespace {

// A skirmish changes no campaign progress; the menu tells what was done.
void describeSkirmishResult(Frontend& frontend, const ProceduralMission& mission) {
    frontend.resultLine = "SKIRMISH COMPLETE";
    frontend.secondResultLine = "CAMPAIGN PROGRESS UNCHANGED";
    frontend.statusLine = std::to_string(mission.objectives.size()) + " OBJECTIVES COMPLETE";
    if (mission.extractionRequired && mission.extracting) frontend.statusLine += " / EXTRACTION COMPLETE";
}

}  // namespace

void recordMissionResult(ShellSession& session, const Input& input) {
    Frontend& frontend = session.frontend;
    World& world = session.world;
    if (session.sources.prototype || session.debriefShown || world.pilot.status != kStatusWon || world.pilot.dead) {
        return;
    }
    const bool recorded = frontend.recordResult(world);
    if (frontend.skirmish) {
        describeSkirmishResult(frontend, world.proceduralMission);
    } else {
        if (!recorded) {
            frontend.resultLine = frontend.sandbox ? "SANDBOX - PROGRESS NOT SAVED" : "MISSION ALREADY RECORDED";
        }
        frontend.progression.selectedMission = frontend.progression.nextMission();
        frontend.progression.loadout = frontend.loadout;
        if (!frontend.sandbox) saveCampaign(session);
    }
    frontend.showDebrief(world.missionIndex, input);
    session.debriefShown = true;
    world.resetTracking();
    releaseMouse(session);
}

}  // namespace bastion

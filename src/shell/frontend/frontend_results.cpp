#include "shell/frontend/frontend.h"
#include "shell/frontend/internal/menu_press.h"
#include "world/world.h"

namespace bastion {

bool Frontend::missionAvailable(int mission) const {
    if (skirmish) return true;
    if (mission < 0 || mission >= progression.rules.missionCount()) return false;
    return sandbox || progression.missionAvailable(mission);
}

void Frontend::acceptResult() {
    if (skirmish) {
        screen = kSkirmishSetup;
        cursorRow = 9;
    } else {
        if (sandbox) {
            const int n = progression.rules.missionCount();
            missionCursor = n > 0 ? (missionCursor + 1) % n : 0;
        } else {
            missionCursor = progression.nextMission();
        }
        screen = coopActive && !host ? kLobbyWaiting : kMissionSelection;
    }
    missionSelected = false;
    latchMenuButtons(*this);
}

bool Frontend::recordResult(const World& world) {
    const Pilot& pilot = world.pilot;
    if (skirmish || sandbox || world.prototype) return false;
    if (pilot.status != kStatusWon || pilot.dead || !(pilot.health > 0.0f)) return false;

    const u32 before = progression.rules.available(progression.completed);
    const int mission = world.missionIndex;
    if (!progression.complete(mission)) return false;

    const int n = progression.rules.missionCount();
    const u32 everyMission = n >= 32 ? ~0u : (1u << n) - 1u;
    const int reward = progression.rules.missionRewards[static_cast<std::size_t>(mission)];
    if (progression.completed == everyMission)
        resultLine = "CAMPAIGN COMPLETE";
    else if (reward >= 0)
        resultLine = std::string(weaponInfo(static_cast<Weapon>(reward), 0).shortName) + " UNLOCKED";
    else
        resultLine = "MISSION RECORDED";
    if (progression.rules.available(progression.completed) != before) resultLine += " / NEW MISSIONS";

    progression.selectedMission = progression.nextMission();
    progression.loadout = loadout;
    return true;
}

bool Frontend::handleFailure(const World& world, const Input& input) {
    if (coopActive || screen != kPlaying || world.pilot.status != kStatusLost) return false;
    if (skirmish) {
        screen = kSkirmishSetup;
        cursorRow = 9;
    } else {
        screen = kMissionSelection;
    }
    resultLine = "MISSION FAILED";
    ready = false;
    spectating = false;
    missionSelected = false;
    latchHeldButtons(*this, input.fire);
    return true;
}

void Frontend::showDebrief(int mission, const Input& input) {
    debriefMission = mission;
    screen = kDebrief;
    ready = false;
    latchHeldButtons(*this, input.fire);
}

void Frontend::restoreCampaign() {
    if (skirmish) return;
    missionCursor = progression.selectedMission;
    loadout = progression.loadout;
    carouselAngle = carouselTarget(missionCursor);
}

void Frontend::setLobbyHost(bool isHost) {
    host = isHost;
    if (host && coopActive && screen == kLobbyWaiting) screen = missionSelected ? kBriefing : kMissionSelection;
}

void Frontend::connectionLost() {
    screen = kConnectionLost;
    missionSelected = false;
    ready = false;
    spectating = false;
}

}  // namespace bastion

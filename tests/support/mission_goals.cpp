#include "support/mission_goals.h"

#include <algorithm>

namespace bastion::testing_support {
namespace {

constexpr u32 kScriptedAction = 0x80000000u;
u32 actionKind(u32 action) { return (action >> 16) & 0x7FFFu; }
bool countsDown(u32 action) { return (action & kScriptedAction) != 0 && actionKind(action) == 2; }
bool raisesFlag(u32 action) { return (action & kScriptedAction) != 0 && actionKind(action) == 1; }

bool campaignMission(const World& w, int campaign, int mission) {
    return !w.prototype && !w.procedural && w.campaign == campaign && w.missionIndex == mission;
}

// Missions whose trucks are to be brought through, not stopped.
bool escort(const World& w) {
    return campaignMission(w, 0, 13) || campaignMission(w, 1, 4) || campaignMission(w, 1, 8) ||
           campaignMission(w, 1, 18);
}

bool inRegion(const Rectangle& r, Vec3 p) { return p.x >= r[0] && -p.z >= r[1] && p.x <= r[2] && -p.z <= r[3]; }

}  // namespace

bool standing(const Target& t) { return t.active && !t.hidden && !t.destroyed && t.health > 0.0f; }

// A static object whose loss moves the mission towards its goal.
bool objectiveStatic(const World& w, const Target& t) {
    if (t.unitType >= 0 || t.critical || raisesFlag(t.action) || w.prototype || w.procedural) return false;
    const Vec3 h = t.home;
    if (w.campaign == 0) {
        switch (w.missionIndex) {
        case 13: return false;
        case 10: return h.x >= 14.08f && h.x <= 290.56f && h.z >= -71.68f && h.z <= 102.4f;
        case 12: return t.tag < 128;
        default: return countsDown(t.action) || t.tag <= 31;
        }
    }
    switch (w.missionIndex) {
    case 0:
        return std::any_of(w.objectiveRegions.begin(), w.objectiveRegions.end(),
                           [&](const Rectangle& r) { return inRegion(r, h); });
    case 1: return h.x >= 238.08f && h.x <= 273.92f && h.z >= -309.76f && h.z <= -222.72f;
    case 2: case 12: return t.tag == 22;
    case 14: case 17: return t.tag <= 127;
    case 16: return countsDown(t.action) || t.tag == 22;
    case 3: case 6: case 13: return false;
    default: return countsDown(t.action);
    }
}

// What must not be hit: protected buildings and escorted trucks.
bool spare(const World& w, const Target& t) {
    if (t.critical || raisesFlag(t.action)) return true;
    if (campaignMission(w, 0, 13) && t.unitType < 0) return true;
    if (campaignMission(w, 1, 13) && t.unitType < 0 && t.tag == 32) return true;
    if (escort(w) && (t.unitType == 8 || t.unitType == kSB2Trailer || (w.campaign == 0 && t.unitType == 11)))
        return true;
    return false;
}

bool procedurallyWanted(const World& w, std::size_t index) {
    for (const ProceduralObjective& objective : w.proceduralMission.objectives) {
        if (objective.done || objective.kind == 2) continue;
        if (std::find(objective.targets.begin(), objective.targets.end(), index) != objective.targets.end())
            return true;
    }
    return false;
}

// An enemy unit to fight: anything that moves or shoots, but for what is
// towed, carried, protected or harmless.
bool hostile(const World& w, const Target& t) {
    if (t.unitType < 0 || t.unitType >= kEnemyTypeCount || !standing(t) || t.host >= 0 || t.hasDestination)
        return false;
    if (w.campaign == 1 && (t.unitType == 20 || t.unitType == 21)) return false;
    if (w.campaign == 0 && t.unitType == 11) return false;
    return !spare(w, t);
}

}  // namespace bastion::testing_support

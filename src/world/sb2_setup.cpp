#include <algorithm>
#include <array>
#include <string>

#include "world/internal/mission_file.h"
#include "world/internal/objective_region.h"
#include "world/world.h"

namespace bastion {
namespace {

constexpr std::array<int, kSB2MissionCount> kInitialCounter = {0, 5, 0, 0, 3, 0, 0, 4, 3, 10,
                                                               0, 4, 0, 0, 0, 0, 19, 0, 3, 0};

const std::array<std::string, kSB2MissionCount> kObjectives = {
    "DESTROY DESERT FACTORIES",
    "DESTROY ISLAND BUILDINGS",
    "COLLECT SUPPLIES",
    "PROTECT SKYSCRAPERS / 3 SATYRS",
    "ESCORT TRUCKS",
    "STOP 9 CAR BOMBS / MAX 3 ESCAPES",
    "PROTECT CITY / DESTROY SHIPS",
    "AIRBASE + 5 FIGHTERS",
    "ESCORT AT LEAST 2 TRUCKS",
    "STOP ALL 10 TRUCKS",
    "STOP AIR DROP / CLEAR GROUND FORCES",
    "DESTROY 4 POWER PLANTS",
    "COLLECT WAREHOUSE SUPPLIES",
    "PROTECT UR / DESTROY 2 MECHS",
    "DESTROY MILITARY BASE",
    "DESTROY 6 SHIPS / 12 MIN",
    "FORTRESS DEFENSES + SUPPLIES",
    "DESTROY ISLAND FACTORIES",
    "ESCORT AT LEAST 3 TRUCKS",
    "DESTROY COLD BASTION GUNNER",
};

// What a static object of the mission counts for, and whether it is one of
// the objects to protect.
void examineObject(World& world, Target& object) {
    const int tag = object.tag;
    switch (world.missionIndex) {
    case 0:
        if (inObjectiveRegion(world.objectiveRegions, object.home)) ++world.counters[2];
        break;
    case 2:
    case 12:
        if (tag == 22) ++world.counters[0];
        break;
    case 3:
        if (tag >= 32 && tag <= 36) object.critical = true;
        break;
    case 6:
        if (tag == 32) object.critical = true;
        break;
    case 7:
        if (tag == 33) ++world.counters[1];
        break;
    case 13:
        if (tag == 32) {
            ++world.counters[0];
            object.critical = true;
        }
        break;
    case 14:
    case 17:
        if (tag <= 127) ++world.counters[0];
        break;
    default:
        break;
    }
}

// The critical static object with the smallest tag, the first on a tie.
int firstProtectedObject(const std::vector<Target>& targets) {
    int found = -1;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Target& t = targets[i];
        if (t.unitType >= 0 || !t.critical) continue;
        if (found < 0 || t.tag < targets[static_cast<std::size_t>(found)].tag) found = static_cast<int>(i);
    }
    return found;
}

}  // namespace

void World::initSB2() {
    std::fill(std::begin(counters), std::end(counters), 0);
    std::fill(std::begin(killsByType), std::end(killsByType), 0);
    if (missionIndex < 0 || missionIndex >= kSB2MissionCount) return;
    const auto mission = static_cast<std::size_t>(missionIndex);
    counters[0] = kInitialCounter[mission];
    for (Target& target : targets) {
        if (target.unitType < 0) examineObject(*this, target);
    }
    if (missionIndex == 3 || missionIndex == 6 || missionIndex == 13) slots[1] = firstProtectedObject(targets);
    objectiveText = kObjectives[mission];
}

}  // namespace bastion

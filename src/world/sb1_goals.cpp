#include <array>
#include <string>

#include "world/internal/mission_loading.h"
#include "world/world.h"

namespace bastion {

const std::string& sb1GoalLine(int mission) {
    static const std::array<std::string, kSB1MissionCount> kGoals = {
        "WAREHOUSES + SUPPLIES", "CARGO SHIPS / 8 MIN",  "BRIDGE SUPPORTS",       "SUPPLY DUMP + SUPPLIES",
        "ENEMY MECH",            "DEFEND HEADQUARTERS",  "TRUCKS + CAPTURE WEAPON", "CARGO SHIPS / 12:30",
        "FORTRESS + SUPPLIES",   "AIRFIELD + HELICOPTERS", "FACTORY COMPLEX",     "DEFEND LABORATORY",
        "INDUSTRIAL COMPLEX",    "PROTECT CONVOY",       "WARSHIPS",              "COMMAND CENTER",
    };
    return kGoals.at(static_cast<std::size_t>(mission));
}

void presetSB1Counters(World& world) {
    // -1: the mission keeps what its objects counted while being placed.
    static constexpr std::array<int, kSB1MissionCount> kPresets = {-1, 0, 2, -1, 1, 20, 3, 4,
                                                                   1,  5, -1, 1, -1, 3, 5, 1};
    const int preset = kPresets.at(static_cast<std::size_t>(world.missionIndex));
    if (preset >= 0) world.counters[0] = preset;
    if (world.missionIndex == 3) world.counters[1] = 4;
}

}  // namespace bastion

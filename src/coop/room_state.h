#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "world/pilot.h"
#include "world/world.h"

namespace bastion::coop {

// Where a room stands; the room state document carries it as "phase".
enum Phase : u32 {
    kSelecting = 0,
    kBriefing = 1,
    kDeployed = 2,
    kWon = 3,
    kFailed = 4,
};

// One member as the room state document lists it.
struct RoomMember {
    u32 id = 0;
    std::string name;
    u32 slot = 0;
    bool ready = false;
    Loadout loadout = {0, 1, 0, 0, 0, 0};
    Pilot pilot;  // the member's walker, decoded into a default Pilot
};

// The room state document that `Room::state` writes, decoded: what every
// member's game knows of its room.
struct RoomState {
    u64 id = 0;  // "room"
    std::string code;
    u32 host = 0;
    u64 revision = 0;
    u64 round = 0;
    u64 selection = 0;
    int mission = 0;
    Phase phase = kSelecting;
    std::string outcome;
    int campaign = 0;
    u32 completed = 0;
    int difficulty = 0;  // 1 hard, 0 normal
    std::vector<RoomMember> players;
};

// Decodes a room state document completely, so that a caller changes nothing
// when it is bad. "outcome", "campaign" and a member's "loadout" may be
// missing (empty, 0 and the default loadout); any other key missing, a value
// of the wrong type or an integer its field cannot hold throws the JSON
// library's exception. A "difficulty" text other than "hard" reads as normal.
RoomState readRoomState(const nlohmann::json& document);

}  // namespace bastion::coop

#pragma once

#include "world/world.h"

namespace bastion {

// Small pieces that the SB1 and SB2 rules, the pickups and the generators
// share.

// Unit types the mission rules name.
enum MissionUnit : int {
    kTankUnit = 0,
    kHelicopterUnit = 1,
    kWalkerUnit = 3,
    kTruckUnit = 8,
    kShipUnit = 9,
    kCarBombUnit = 17,
};

// Mission flags with one meaning in every mission that uses them.
enum MissionFlag : u32 {
    kProtectedGoneFlag = 24,   // the last protected object is gone (SB2)
    kConvoyArrivedFlag = 30,   // a convoy reached its destination
    kObjectiveTakenFlag = 31,  // the objective was captured or taken
};

// A unit's `flags` bit 2: it holds its position and never activates.
inline constexpr u32 kHoldsPosition = 1u << 2;

inline bool missionFlag(const World& world, u32 bit) { return bit < 32 && ((world.missionFlags >> bit) & 1u) != 0; }
inline void setMissionFlag(World& world, u32 bit) {
    if (bit < 32) world.missionFlags |= 1u << bit;
}
inline void clearMissionFlag(World& world, u32 bit) {
    if (bit < 32) world.missionFlags &= ~(1u << bit);
}

// SB1 mission index 2 protects its object tagged 32: blasts, blows and enemy
// fire leave it whole, only a player's direct grenade hit harms it.
inline bool shieldedObjective(const World& world, const Target& target) {
    return world.campaign == 0 && world.missionIndex == 2 && target.tag == 32;
}

inline bool within(float value, float low, float high) { return value >= low && value <= high; }

// Counts an objective counter down, never below zero.
inline void countDown(int& counter) { counter = (counter > 1 ? counter : 1) - 1; }

inline bool inSB1Mission(const World& world, int mission) {
    return world.campaign == 0 && world.missionIndex == mission;
}
inline bool inSB2Mission(const World& world, int mission) {
    return world.campaign != 0 && world.missionIndex == mission;
}

// Frees the mission slot that names `target`, clearing the slot's flag.
void releaseMissionSlot(World& world, const Target& target);

// A supply crate left where the object stood.
void dropPickup(World& world, int kind, Vec3 home);

// Lights flags 0..6 one by one as counter 2 falls from its loaded value.
void lightProgressFlags(World& world);

// SB1 mission 5: reaching the central zone raises flag 1.
void checkSB1ZoneRule(World& world);

// A mission rule's answer for this step; a loss is tested first.
struct MissionVerdict {
    bool lost = false;
    bool won = false;
};

// A loss ends the mission at once; a win only once the wreckage has
// settled, so it is taken on a later step while explosions still run.
void settleMission(World& world, MissionVerdict verdict);
inline void loseMission(World& world) { world.pilot.status = kStatusLost; }

// A target that may take the next generator or cargo unit: never used, or
// a wreck that has already been destroyed.
inline bool freeEntry(const Target& target) { return !target.active || (target.health <= 0.0f && target.destroyed); }


}  // namespace bastion

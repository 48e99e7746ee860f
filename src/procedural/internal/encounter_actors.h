#pragma once

#include <vector>

#include "world/math.h"
#include "world/target.h"

// Internal to the procedural library: turning an enemy template into a fresh
// actor of a generated mission.
namespace bastion {

class World;

namespace encounter {

inline constexpr int kTankType = 0;
inline constexpr int kGunType = 2;
inline constexpr int kSatyrType = 14;
inline constexpr int kFirstAirType = 1;
inline constexpr int kSecondAirType = 18;

// The first template of that unit type with a non-empty mesh and health left,
// or null.
const Target* findTemplate(const std::vector<Target>& templates, int unitType);

// A copy of the template, active and untouched, without mission hooks or
// route; its bounds are recomputed from its mesh when it is placed.
Target freshActor(const Target& source);

// Puts the actor's box centre over `point` (x and z) with its bottom at
// `bottom`, facing `yaw`.
void settle(World& world, Target& actor, Vec3 point, float yaw, float bottom);

// Clears the AI state and makes the current home pose the one a reset
// returns to.
void restartAi(Target& actor);

}  // namespace encounter
}  // namespace bastion

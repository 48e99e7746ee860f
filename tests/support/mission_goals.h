#pragma once

#include <cstddef>

#include "world/world.h"

// What the scripted player knows of each demo mission's goals: what to
// destroy, what to spare and what to fight.
namespace bastion::testing_support {

bool standing(const Target& t);

// A static object whose loss moves the mission towards its goal.
bool objectiveStatic(const World& w, const Target& t);

// What must not be hit: protected buildings and escorted trucks.
bool spare(const World& w, const Target& t);

// A target that a generated mission's open objectives still count.
bool procedurallyWanted(const World& w, std::size_t index);

// An enemy unit to fight.
bool hostile(const World& w, const Target& t);

}  // namespace bastion::testing_support

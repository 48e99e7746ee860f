#pragma once

#include "procedural/skirmish_settings.h"
#include "world/math.h"

namespace bastion {

// A new seed that always differs from `seed`: the seed advanced by the golden
// ratio increment through the MurmurHash3 finaliser.
u32 rerollSeed(u32 seed);

}  // namespace bastion

#pragma once

#include "world/math.h"

namespace bastion {

// A one-frame sound request; the audio side consumes and clears the list.
struct SoundEvent {
    enum Kind : u32 {
        kFired = 0,
        kStrike = 1,
        kExplosion = 2,
        kPickup = 3,
        kHurt = 4,
        kWon = 5,
        kLost = 6,
        kCutter = 7,
        kLargeExplosion = 8,
        kFootfall = 9,
    };
    u32 kind = kFired;
    int weapon = 0;  // weapon id, or the kind's argument
    Vec3 position;
};

}  // namespace bastion
